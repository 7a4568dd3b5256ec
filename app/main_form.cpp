#include "app/main_form.h"

#include <algorithm>

#include "app/collection_readings.h"
#include "app/file_access.h"
#include "app/path_text.h"
#include "app/scale_commands.h"
#include "app/scale_connection_flow.h"
#include "app/system_text.h"
#include "scale/balance_port.h"
#include "trial/new_trial.h"
#include "trial/trial_file.h"

namespace vorsant {

TMainForm::TMainForm(UiPort& ui, std::string environmentPath, TrialFileSystem& files)
    : ui_(ui), environmentPath_(std::move(environmentPath)), files_(files) {}

TMainForm::~TMainForm() = default;

bool TMainForm::ReadDataFile(int& errorNumber) {
  FileHead head = files_.ReadHead(PathFromText(environmentPath_), kEnvironmentRecSize);
  errorNumber = head.ErrorNumber;
  if (errorNumber == 0 && head.Bytes.size() < kEnvironmentRecSize) {
    // A file too short for the record reads past its end: the system's
    // "reached the end of the file" error.
    errorNumber = 38;
  }
  if (errorNumber != 0) return false;
  Environment = DecodeEnvironmentRec(head.Bytes);
  return true;
}

int TMainForm::WriteDataFile() {
  const std::filesystem::path target = PathFromText(environmentPath_);
  std::filesystem::path temp = target;
  temp += ".new";
  const auto image = EncodeEnvironmentRec(Environment);
  CreateOutcome created = files_.CreateNew(temp, image, target);
  if (created.AlreadyExists) {
    // Left over from an earlier write that failed half-way.
    files_.Remove(temp);
    created = files_.CreateNew(temp, image, target);
  }
  int errorNumber = created.ErrorNumber;
  if (errorNumber == 0) errorNumber = files_.Replace(temp, target);
  if (errorNumber != 0) files_.Remove(temp);
  return errorNumber;
}

bool TMainForm::StartUp(const std::string& startFile) {
  int errorNumber = 0;
  if (!ReadDataFile(errorNumber)) {
    ui_.ShowMessage(EnvironmentLoadErrorText(static_cast<unsigned long>(errorNumber)), MessageIcon::Error,
                    MessageButtons::Ok, MessageAnswer::Ok);
    return false;
  }
  ConfigureScalePort(ComPort, Environment.ScalePort);
  ApplyBalanceSetting(*this);
  ui_.ShowSplash(kSplashMilliseconds);
  ShowWelcome = true;
  WineWindowCount = 0;
  std::string documents = ui_.DocumentsFolder();
  if (!documents.empty()) {
    OpenDialog.InitialDir = documents;
    SaveDialog.InitialDir = documents;
  }
  startFile_ = startFile;
  if (RecentStore) Recent.Load(RecentStore->Load());
  return true;
}

void TMainForm::Welcome() {
  if (!ShowWelcome) return;
  // Cleared before anything is shown: the dialogs below re-activate the
  // frame, and the choice must not be offered again from inside itself.
  ShowWelcome = false;
  if (!startFile_.empty()) {
    std::string path = std::move(startFile_);
    startFile_.clear();
    OpenWineWindow(path, kCmdFileOpen);
    OpenDialog.InitialDir = FolderPart(path);
    return;
  }
  if (ui_.ExecuteWelcomeDialog())
    FileOpenExecute();
  else
    FileNewExecute();
}

std::vector<TMDIChild*> TMainForm::CountedWindows() {
  std::vector<TMDIChild*> counted;
  std::size_t n = WineWindowCount > 0 ? static_cast<std::size_t>(WineWindowCount) : 0;
  for (std::size_t i = 0; i < windows_.size() && i < n; ++i) counted.push_back(windows_[i].get());
  return counted;
}

TMDIChild& TMainForm::CreateTrialWindow() {
  windows_.push_back(std::make_unique<TMDIChild>(*this));
  TMDIChild& child = *windows_.back();
  child.SetUp();
  return child;
}

void TMainForm::Destroy(TMDIChild& child) {
  // Out of the list first, so that the shell counts it gone as it destroys
  // the window; alive until then.
  std::unique_ptr<TMDIChild> gone;
  auto it = std::find_if(windows_.begin(), windows_.end(), [&](const auto& w) { return w.get() == &child; });
  if (it != windows_.end()) {
    gone = std::move(*it);
    windows_.erase(it);
  }
  ui_.DestroyTrialWindow(child);
  ComponentRemoved();
}

void TMainForm::CloseAndDestroy(TMDIChild& child) {
  child.FormClose();
  Destroy(child);
}

void TMainForm::ComponentRemoved() {
  if (WineWindowCount <= 0) DisableWineActions();
}

void TMainForm::EnableWineActions() {
  ActionList.EnableWineActions();
  ui_.ActionsChanged();
}

void TMainForm::DisableWineActions() {
  ActionList.DisableWineActions();
  ui_.ActionsChanged();
}

bool TMainForm::Enabled(CommandId id) const {
  if (Scale && !Scale->Allows(id, ui_.ActiveTrialWindow())) return false;
  return IsActionEnabled(id, ActionContext{ActionList, static_cast<int>(windows_.size())});
}

void TMainForm::FileNewExecute() {
  ConditionsInput input;  // Wine Type "Normal", rate in bpm
  if (!ui_.ExecuteConditionsDialog(input)) return;
  TMDIChild& child = CreateTrialWindow();
  child.WineClass = NewWineClass(input);
  child.WineClass.Modified = true;
  child.Caption = AnsiToUtf8(input.WineName) + " " + AnsiToUtf8(input.FilterName);
  child.FileName = kUnsavedFileName;
  ui_.CreateTrialWindow(child);
  child.FillLines();
  ++WineWindowCount;
  if (WineWindowCount > 0) EnableWineActions();
}

void TMainForm::FileOpenExecute() {
  OpenDialog.Filter = kTrialFileFilter;
  OpenDialog.FileName.clear();
  if (!ui_.ExecuteOpenDialog(OpenDialog)) return;
  OpenChosenFile(OpenDialog.FileName);
}

void TMainForm::OpenRecentExecute(std::size_t index) {
  if (index >= Recent.Paths().size()) return;
  std::string path = Recent.Paths()[index];
  if (OpenChosenFile(path) == OpenOutcome::Unreadable) ForgetRecent(path);
}

void TMainForm::OpenDroppedFiles(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) OpenChosenFile(path);
}

TMainForm::OpenOutcome TMainForm::OpenChosenFile(const std::string& path) {
  OpenOutcome outcome = OpenTrialFile(path);
  OpenDialog.InitialDir = FolderPart(path);
  return outcome;
}

void TMainForm::RememberRecent(const std::string& path) {
  Recent.Add(path);
  if (RecentStore) RecentStore->Save(Recent.Paths());
}

void TMainForm::ForgetRecent(const std::string& path) {
  Recent.Remove(path);
  if (RecentStore) RecentStore->Save(Recent.Paths());
}

void TMainForm::OpenWineWindow(const std::string& path, CommandId action) {
  if (action == kCmdFileNew) {
    FileNewExecute();
    return;
  }
  OpenTrialFile(path);
}

TMainForm::OpenOutcome TMainForm::OpenTrialFile(const std::string& path) {
  for (TMDIChild* w : CountedWindows()) {
    if (w->FileName == path) {
      ui_.ShowMessage(
          "A file with that name is already open. It must be closed or saved under another name before "
          "opening "
          "again.  " +
              path,
          MessageIcon::Information, MessageButtons::Ok, MessageAnswer::Ok);
      return OpenOutcome::AlreadyOpen;
    }
  }
  TMDIChild& child = CreateTrialWindow();
  child.FileName = path;
  child.Caption = FileNamePart(path);
  ui_.CreateTrialWindow(child);
  ++WineWindowCount;
  if (WineWindowCount > 0) EnableWineActions();
  if (!FileExistsAt(path)) {
    ui_.ShowMessage("Can not locate file.", MessageIcon::Information, MessageButtons::Ok, MessageAnswer::Ok);
    CloseAndDestroy(child);
    return OpenOutcome::Unreadable;
  }
  TWineRec rec{};
  if (!child.FilterFileOpen(path, rec)) {
    CloseAndDestroy(child);
    if (std::optional<std::string> why = WrongSizeNotice(path)) ui_.ShowNotice(*why);
    return OpenOutcome::Unreadable;
  }
  child.WineClass.WineRec = rec;
  child.WineClass.Modified = false;
  child.FillLines();
  RememberRecent(path);
  return OpenOutcome::Opened;
}

void TMainForm::SaveWineFile(const std::string& LocalFileName, bool& Error, bool SaveAs) {
  Error = false;
  TMDIChild* target = ui_.ActiveTrialWindow();
  if (!target) {
    Error = true;
    return;
  }
  if (SaveAs) {
    for (TMDIChild* w : CountedWindows()) {
      if (w == target || !SameFileNameText(w->FileName, LocalFileName)) continue;
      ui_.ShowMessage(
          "That file is open in another window. Please choose another file name or close that window. " +
              LocalFileName,
          MessageIcon::Information, MessageButtons::Ok, MessageAnswer::Ok);
      Error = true;
    }
    if (!Error && !ConfirmOverwrite(LocalFileName)) Error = true;
  }
  if (Error) return;
  const int errorNumber = WriteTrial(LocalFileName, target->WineClass.WineRec);
  if (errorNumber != 0) {
    Error = true;
    ui_.ShowMessage("I/O Error type " + std::to_string(errorNumber) +
                        " occurred while saving the wine file. Your data was not saved!",
                    MessageIcon::Warning, MessageButtons::Ok, MessageAnswer::Ok);
    return;
  }
  TrialSaved(*target, LocalFileName);
  ui_.SetStatusText("File Saved");
  ui_.Wait(400);
  ui_.SetStatusText("");
}

bool TMainForm::ConfirmOverwrite(const std::string& path) {
  return !FileExistsAt(path) ||
         ui_.ShowMessage("A file with that name already exists. Overwrite it?", MessageIcon::Warning,
                         MessageButtons::OkCancel, MessageAnswer::Cancel) == MessageAnswer::Ok;
}

int TMainForm::WriteTrial(const std::string& path, const TWineRec& rec) {
  const int errorNumber = SaveOverError(path);
  return errorNumber != 0 ? errorNumber : SaveTrialFile(PathFromText(path), rec, files_);
}

void TMainForm::TrialSaved(TMDIChild& child, const std::string& path) {
  const std::string previous = child.FileName;
  child.Caption = FileNamePart(path);
  child.FileName = path;
  child.WineClass.Modified = false;
  if (!child.PendingReadings.empty())
    MoveCollectionReadings(child.PendingReadings, PathFromText(path));
  else if (previous != kUnsavedFileName && previous != path)
    CopyReadingsBeside(PathFromText(previous), PathFromText(path));
  ui_.CaptionChanged(child);
  RememberRecent(path);
}

void TMainForm::FileSaveExecute() {
  TMDIChild* active = ui_.ActiveTrialWindow();
  if (!active) return;
  if (active->FileName == kUnsavedFileName) {
    FileSaveAsExecute();
    return;
  }
  bool error = false;
  SaveWineFile(active->FileName, error, false);
}

void TMainForm::FileSaveAsExecute() {
  SaveCancelled = false;
  TMDIChild* active = ui_.ActiveTrialWindow();
  if (!active) return;
  SaveDialog.Filter = kTrialFileFilter;
  SaveDialog.FileName.clear();
  if (active->FileName != kUnsavedFileName) SaveDialog.InitialDir = FolderPart(active->FileName);
  bool error = true;
  while (error) {
    if (!ui_.ExecuteSaveDialog(SaveDialog)) {
      SaveCancelled = true;
      return;
    }
    std::string name = WithTrialExtension(SaveDialog.FileName);
    SaveWineFile(name, error, true);
    OpenDialog.InitialDir = FolderPart(name);
  }
}

void TMainForm::FileCloseExecute() {
  TMDIChild* w = ui_.ActiveTrialWindow();
  if (!w) return;
  if (Scale && Scale->DeferClose(*w, CloseRequest::Command)) return;
  if (w->WineClass.Modified) {
    MessageAnswer answer = ui_.ShowMessage("Save " + w->Caption + " before closing?", MessageIcon::Warning,
                                           MessageButtons::YesNo, MessageAnswer::Yes);
    // Only No throws the changes away: Escape or the box's close button
    // leave the trial open and changed.
    if (answer == MessageAnswer::Yes) {
      FileSaveAsExecute();
      if (SaveCancelled) return;
    } else if (answer != MessageAnswer::No) {
      return;
    }
  }
  CloseAndDestroy(*w);
}

void TMainForm::FileExitExecute() {
  ui_.CloseMainWindow();
}

void TMainForm::HelpAboutExecute() {
  ui_.ExecuteAboutBox();
}

void TMainForm::EditConditionsExecute() {
  TMDIChild* w = ui_.ActiveTrialWindow();
  if (!w) return;
  ConditionsInput input = LoadConditions(w->WineClass.WineRec.Conditions);
  if (!ui_.ExecuteConditionsDialog(input)) return;
  ApplyConditions(input, w->WineClass);
  w->Calculate(true);
}

bool TMainForm::CloseQuery() {
  if (Scale && Scale->DeferFrameClose()) return false;
  // Copied first: a query that saves changes a caption but never the list.
  std::vector<TMDIChild*> all;
  for (auto& w : windows_) all.push_back(w.get());
  for (TMDIChild* w : all)
    if (!w->FormQuery()) return false;
  return true;
}

void TMainForm::CloseTrialWindow(TMDIChild& child) {
  if (Scale && Scale->DeferClose(child, CloseRequest::CloseBox)) return;
  if (!child.FormQuery()) return;
  CloseAndDestroy(child);
}

void TMainForm::Execute(CommandId id) {
  if (!Enabled(id)) return;
  switch (id) {
    case kCmdFileNew:
      FileNewExecute();
      break;
    case kCmdFileOpen:
      FileOpenExecute();
      break;
    case kCmdFileClose:
      FileCloseExecute();
      break;
    case kCmdFileSave:
      FileSaveExecute();
      break;
    case kCmdFileSaveAs:
      FileSaveAsExecute();
      break;
    case kCmdExit:
      FileExitExecute();
      break;
    case kCmdHelpAbout:
      HelpAboutExecute();
      break;
    case kCmdEditConditions:
      EditConditionsExecute();
      break;
    case kCmdWindowCascade:
    case kCmdWindowTileHorizontal:
    case kCmdWindowTileVertical:
      ui_.ArrangeWindows(id);
      break;
    case kCmdEditData:
      EditDataExecute();
      break;
    case kCmdLaboratoryGraph:
      LaboratoryGraphExecute();
      break;
    case kCmdProductionGraph:
      ProductionGraphExecute();
      break;
    case kCmdFoulingModels:
      FoulingModelsExecute();
      break;
    case kCmdCompareOpenTrials:
      CompareOpenTrialsExecute();
      break;
    case kCmdExportReport:
      ExportReportExecute();
      break;
    case kCmdCollectNewData:
      if (Scale) Scale->CollectNewDataExecute();
      break;
    case kCmdSetScaleConnection:
      if (Scale) Scale->SetScaleConnectionExecute();
      break;
    case kCmdBalanceSettings:
      if (Scale) Scale->BalanceSettingsExecute();
      break;
  }
}

std::optional<ConditionsBox> CheckConditionsDialog(ConditionsInput& input, UiPort& ui) {
  std::optional<ConditionsFailure> failure = ConditionsRangeCheck(input);
  if (!failure) return std::nullopt;
  ui.ShowMessage(failure->Message, MessageIcon::Information, MessageButtons::Ok, MessageAnswer::Ok);
  return failure->Box;
}

}  // namespace vorsant
