#include "app/scale_windows_win.h"

#include "app/main_form.h"
#include "app/trial_window_win.h"

namespace vorsant {

ScaleWindows::ScaleWindows(TMainForm& form, HWND frame, std::function<bool(MSG&)> translateShortcut)
    : frame_(frame),
      translateShortcut_(std::move(translateShortcut)),
      commands_(form, *this, form.ComPort, clock_) {}

ScaleWindows::~ScaleWindows() = default;

bool ScaleWindows::ExecuteComDialog(int& portNumber) {
  return RunComDialog(frame_, portNumber);
}

bool ScaleWindows::ExecuteNewDataDialog(TNewDataChoice& choice, const RangeCheckHandler& rangeCheck) {
  return RunNewDataDialog(frame_, choice, rangeCheck);
}

void ScaleWindows::ShowProgress(const KeyHandler& onKey) {
  progress_ = std::make_unique<ProgressWindow>(frame_, onKey);
}

void ScaleWindows::SetCountdown(const std::string& text) {
  if (progress_) progress_->SetCountdown(text);
}

void ScaleWindows::CloseProgress() {
  progress_.reset();
}

void ScaleWindows::ProcessMessages() {
  if (progress_) progress_->Repaint();
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Leave it for the program's own loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (translateShortcut_ && translateShortcut_(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void ScaleWindows::ActivateTrialWindow(TMDIChild& child) {
  auto* window = static_cast<TrialWindow*>(child.ShellWindow);
  if (!window || !window->Handle()) return;
  SendMessageW(GetParent(window->Handle()), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(window->Handle()), 0);
}

}  // namespace vorsant
