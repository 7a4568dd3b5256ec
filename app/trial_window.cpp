#include "app/trial_window.h"

#include <system_error>

#include "app/file_access.h"
#include "app/main_form.h"
#include "app/path_text.h"
#include "app/system_text.h"
#include "trial/trial_file.h"

namespace vorsant {

std::filesystem::path PathFromText(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string UnsavedChangesText(const std::string& caption) {
  return caption + " has unsaved changes";
}

bool FileExistsAt(const std::string& text) {
  std::error_code ec;
  return std::filesystem::exists(PathFromText(text), ec);
}

void TMDIChild::SetUp() {
  // The count, not the windows still open, decides: after closes a new
  // window may land exactly on an open one.
  Left = Top = 30 * (owner_.WineWindowCount % 8);
}

void TMDIChild::FormClose() {
  --owner_.WineWindowCount;
}

bool TMDIChild::FormQuery() {
  if (!WineClass.Modified) return true;
  UiPort& ui = owner_.Ui();
  MessageAnswer answer = ui.ShowMessage("Save the changes to " + Caption + "?", MessageIcon::Warning,
                                        MessageButtons::YesNoCancel, MessageAnswer::Yes);
  if (answer == MessageAnswer::Cancel) return false;
  if (answer == MessageAnswer::No) return true;
  SaveDialog.Filter = kTrialFileFilter;
  if (FileName != kUnsavedFileName) SaveDialog.InitialDir = FolderPart(FileName);
  bool canClose = false;
  bool error = true;
  while (error) {
    if (!ui.ExecuteSaveDialog(SaveDialog)) return false;
    SaveChildFile(WithTrialExtension(SaveDialog.FileName), error, true);
    if (!error) canClose = true;
    ui.Wait(200);
  }
  return canClose;
}

void TMDIChild::SaveChildFile(const std::string& name, bool& Error, bool SaveAs) {
  Error = false;
  UiPort& ui = owner_.Ui();
  if (SaveAs) {
    std::string namePart = FileNamePart(name);
    for (TMDIChild* w : owner_.CountedWindows()) {
      if (w == this || !SameFileNameText(w->Caption, namePart)) continue;
      ui.ShowMessage(
          "A wine with that file name is open in another window. Please choose another file name or close "
          "that "
          "window. " +
              name,
          MessageIcon::Information, MessageButtons::Ok, MessageAnswer::Ok);
      Error = true;
    }
    if (!Error && !owner_.ConfirmOverwrite(name)) Error = true;
  }
  if (Error) return;
  const int errorNumber = owner_.WriteTrial(name, WineClass.WineRec);
  if (errorNumber != 0) {
    ui.ShowMessage("I/O Error type " + std::to_string(errorNumber) + " - The file did not get saved.",
                   MessageIcon::Error, MessageButtons::Ok, MessageAnswer::Ok);
    Error = true;
    return;
  }
  owner_.TrialSaved(*this, name);
}

bool TMDIChild::FilterFileOpen(const std::string& Name, TWineRec& WineRec) {
  TrialReadResult result = ReadTrialFile(PathFromText(Name), owner_.Files());
  if (!result.Ok()) {
    owner_.Ui().ShowMessage(result.Message(), MessageIcon::Error, MessageButtons::Ok, MessageAnswer::Ok);
    return false;
  }
  WineRec = result.WineRec;
  return true;
}

}  // namespace vorsant
