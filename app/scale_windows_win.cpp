#include "app/scale_windows_win.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <system_error>

#include "app/collection_readings.h"
#include "app/dialogs_win.h"
#include "app/main_form.h"
#include "app/trial_window_win.h"

namespace vorsant {

namespace {

constexpr wchar_t kTimerClass[] = L"VorsantRunTimer";
constexpr UINT_PTR kRoundTimer = 1;
// Longest real wait between two rounds, so a late WM_TIMER never holds a
// reading back by much.
constexpr double kLongestTimerMs = 100.0;

}  // namespace

ScaleWindows::ScaleWindows(TMainForm& form, HWND frame)
    : frame_(frame), commands_(form, *this, form.ComPort, clock_) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (!GetClassInfoExW(instance, kTimerClass, &wc))
    RegisterWindowClass(instance, kTimerClass, BoundWindowProc<>, ClassLook::kPlain);
  if (!CreateWindowExW(0, kTimerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, CreationParam()))
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category());
}

ScaleWindows::~ScaleWindows() {
  if (const HWND wnd = Release()) DestroyWindow(wnd);
}

bool ScaleWindows::ExecuteComDialog(int& portNumber) {
  return RunComDialog(frame_, portNumber);
}

bool ScaleWindows::ExecuteNewDataDialog(TNewDataChoice& choice, const RangeCheckHandler& rangeCheck) {
  return RunNewDataDialog(frame_, choice, rangeCheck);
}

bool ScaleWindows::ExecuteBalanceDialog(BalanceDialogState& state, const FindBalanceHandler& find) {
  return RunBalanceDialog(frame_, state, find);
}

std::vector<PresentPort> ScaleWindows::PresentPorts() {
  return ListSerialPorts();
}

std::filesystem::path ScaleWindows::NewReadingsPath() {
  return NewCollectionReadingsPath();
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

void ScaleWindows::RepaintProgress() {
  if (progress_) progress_->Repaint();
}

void ScaleWindows::ScheduleTick(RunClock::Seconds after, const TickHandler& onTick) {
  tick_ = onTick;
  const double ms = std::clamp(std::ceil(after.count() / clock_.Scale() * 1000.0), 0.0, kLongestTimerMs);
  // Below USER_TIMER_MINIMUM the system waits that long anyway.
  SetTimer(Handle(), kRoundTimer, static_cast<UINT>(ms), nullptr);
}

void ScaleWindows::CancelTick() {
  KillTimer(Handle(), kRoundTimer);
  tick_ = nullptr;
}

void ScaleWindows::OnTimer() {
  // One call per scheduling: the round asks for the next one itself.
  KillTimer(Handle(), kRoundTimer);
  const TickHandler tick = std::exchange(tick_, nullptr);
  if (!tick) return;
  try {
    tick();
  } catch (...) {
    // As the frame's own error handler shows what reaches it.
    ShowUnexpected(frame_, std::current_exception());
  }
}

LRESULT ScaleWindows::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER && wp == kRoundTimer) {
    OnTimer();
    return 0;
  }
  return ProgramWindow::HandleMessage(msg, wp, lp);
}

void ScaleWindows::ActivateTrialWindow(TMDIChild& child) {
  auto* window = static_cast<TrialWindow*>(child.View.get());
  if (!window || !window->Handle()) return;
  SendMessageW(GetParent(window->Handle()), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(window->Handle()), 0);
}

}  // namespace vorsant
