#include "app/scale_commands.h"

#include <utility>

#include "app/main_form.h"
#include "app/scale_connection_flow.h"
#include "app/trial_window.h"
#include "scale/density_check.h"

namespace vorsant {

bool CheckNewDataDialog(TNewDataChoice& choice, UiPort& ui) {
  const std::optional<std::string> formatted = RangeCheck(choice.Density);
  if (!formatted) {
    ui.ShowMessage(kDensityRangeMessage, MessageIcon::Information, MessageButtons::Ok, MessageAnswer::Ok);
    return false;
  }
  choice.Density = *formatted;
  return true;
}

ScaleCommands::ScaleCommands(TMainForm& form, ScaleUiPort& shell, SerialPort& balance, RunClock& clock)
    : form_(form), shell_(shell), run_(balance, clock, *this) {
  form_.Scale = this;
}

ScaleCommands::~ScaleCommands() {
  if (form_.Scale == this) form_.Scale = nullptr;
}

bool ScaleCommands::IsFilling(const TMDIChild& child) const {
  return filling_ == &child && run_.IsFilling(child.WineClass);
}

bool ScaleCommands::Allows(CommandId id, const TMDIChild* active) const {
  if (!InProgress()) return true;
  switch (id) {
    case kCmdCollectNewData:
    case kCmdSetScaleConnection:
    case kCmdBalanceSettings:
      return false;
    case kCmdEditData:
    case kCmdEditConditions:
      return active == nullptr || !IsFilling(*active);
    default:
      return true;
  }
}

void ScaleCommands::Defer(CloseRequest how) {
  // Closing the program covers any close of the trial itself.
  if (!deferred_ || how == CloseRequest::Frame) deferred_ = how;
  run_.RequestStop();
}

bool ScaleCommands::DeferClose(TMDIChild& child, CloseRequest how) {
  if (!IsFilling(child)) return false;
  Defer(how);
  return true;
}

bool ScaleCommands::DeferFrameClose() {
  if (!InProgress()) return false;
  Defer(CloseRequest::Frame);
  return true;
}

void ScaleCommands::CollectNewDataExecute() {
  if (InProgress()) return;
  TMDIChild* child = form_.Ui().ActiveTrialWindow();
  if (child == nullptr) return;
  deferred_.reset();
  filling_ = child;
  // The port object's line is the profile's already: start-up and Balance
  // Settings set it.
  const BalanceProfile& profile = ProfileOf(form_.Balance);
  readings_.reset();
  child->PendingReadings = shell_.NewReadingsPath();
  if (!child->PendingReadings.empty()) readings_ = std::make_unique<ReadingLog>(child->PendingReadings);
  run_.UseBalance(profile, readings_.get());
  Advance(*child, [&] { return run_.Start(child->WineClass); });
}

void ScaleCommands::Tick() {
  // A call left over from a run that has ended does nothing.
  if (!filling_) return;
  // Also when this call came while another round is busy (from one of its
  // message boxes): the rounds go on once that one is done.
  Advance(*filling_, [&] { return run_.Tick(); });
}

void ScaleCommands::Advance(TMDIChild& child, const std::function<bool()>& step) {
  bool running = false;
  try {
    running = step();
  } catch (...) {
    EndRun();
    deferred_.reset();
    throw;
  }
  if (running) {
    ScheduleNextRound();
    return;
  }
  EndRun();
  RunDeferredClose(child);
}

void ScaleCommands::ScheduleNextRound() {
  shell_.ScheduleTick(run_.NextRoundIn(), [this] { Tick(); });
}

void ScaleCommands::EndRun() {
  filling_ = nullptr;
  // The run has ended (by its own end or an error), so it holds the log no
  // longer.
  run_.UseBalance(ProfileOf(form_.Balance), nullptr);
  readings_.reset();
  shell_.CancelTick();
}

void ScaleCommands::RunDeferredClose(TMDIChild& child) {
  const std::optional<CloseRequest> how = std::exchange(deferred_, std::nullopt);
  if (!how) return;
  switch (*how) {
    case CloseRequest::Frame:
      form_.FileExitExecute();
      break;
    case CloseRequest::CloseBox:
      form_.CloseTrialWindow(child);
      break;
    case CloseRequest::Command:
      // Close works on the active window, and the save question may have
      // left another one active.
      shell_.ActivateTrialWindow(child);
      if (form_.Ui().ActiveTrialWindow() == &child) form_.FileCloseExecute();
      break;
  }
}

void ScaleCommands::SetScaleConnectionExecute() {
  vorsant::SetScaleConnectionExecute(form_, shell_);
}

void ScaleCommands::BalanceSettingsExecute() {
  TComPort& port = form_.ComPort;
  vorsant::BalanceSettingsExecute(form_, shell_, [&port](const std::string& device) {
    port.SetDeviceName(device);
    return FindBalance(port);
  });
}

void ScaleCommands::ShowBalanceProblem(const std::string& text) {
  form_.Ui().SetStatusText(text);
}

bool ScaleCommands::ExecuteNewDataDialog(TNewDataChoice& choice) {
  if (choice.Density.empty()) choice.Density = lastDensity_;
  UiPort& ui = form_.Ui();
  const bool ok =
      shell_.ExecuteNewDataDialog(choice, [&ui](TNewDataChoice& c) { return CheckNewDataDialog(c, ui); });
  if (ok) lastDensity_ = choice.Density;
  return ok;
}

void ScaleCommands::ShowProgress() {
  shell_.ShowProgress([this](char key) { run_.IterruptDataCollection(key); });
}

void ScaleCommands::SetCountdown(const std::string& text) {
  shell_.SetCountdown(text);
}

void ScaleCommands::CloseProgress() {
  shell_.CloseProgress();
}

void ScaleCommands::TrialChanged(TWineClass&) {
  if (filling_) filling_->FillLines();
}

void ScaleCommands::ProcessMessages() {
  // The shell's own message loop serves the messages between rounds.
  shell_.RepaintProgress();
}

void ScaleCommands::ShowInformation(const std::string& text) {
  form_.Ui().ShowMessage(text, MessageIcon::Information, MessageButtons::Ok, MessageAnswer::Ok);
}

bool ScaleCommands::Confirm(const std::string& text) {
  return form_.Ui().ShowMessage(text, MessageIcon::Question, MessageButtons::YesNo, MessageAnswer::Yes) ==
         MessageAnswer::Yes;
}

void ScaleCommands::SaveAs(TWineClass&) {
  if (!filling_) return;
  if (readings_) readings_->Close();
  // Save As works on the active window: make it the trial that was filled,
  // which the user may have left for another one during the run.
  shell_.ActivateTrialWindow(*filling_);
  if (form_.Ui().ActiveTrialWindow() != filling_) return;
  form_.FileSaveAsExecute();
}

}  // namespace vorsant
