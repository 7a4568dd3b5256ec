#pragma once
// The balance commands' side of the shell, scripted: the port dialog, the
// new-data dialog, the progress window and the timer of a run. What
// it shows goes into the frame's ScriptedUi log, so the order of everything
// the user saw can be checked in one place.

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/scale_ui_port.h"
#include "scripted_ui.h"
#include "tests/scale/scripted_balance.h"

namespace vorsant::testing {

// What the user does in one showing of the new-data dialog: the densities
// typed before each press of "Begin Data Collection" (the dialog stays while
// the check refuses them, and a refused last one leaves it with Cancel), the
// duration checked, or Cancel straight away.
struct NewDataAnswer {
  std::vector<std::string> Densities;
  int MaxDuration = 9;
  bool Cancel = false;
};

class ScriptedScaleUi final : public ScaleUiPort {
 public:
  explicit ScriptedScaleUi(ScriptedUi& frame) : frame_(frame) {}

  // nullopt plays Cancel; a number plays OK with that port checked (0: none).
  std::deque<std::optional<int>> ComAnswers;
  std::deque<NewDataAnswer> NewDataAnswers;
  // The Balance Settings dialog: each answer plays the user on the boxes
  // as opened (pressing Find Balance through `find` if it likes) and returns
  // true for OK.
  using BalanceAnswer = std::function<bool(BalanceDialogState&, const FindBalanceHandler& find)>;
  std::deque<BalanceAnswer> BalanceAnswers;
  std::vector<BalanceDialogState> BalanceShown;  // the boxes on opening
  std::vector<PresentPort> Ports;
  std::filesystem::path ReadingsPath;  // empty: runs keep only their points
  // Runs after each round, as the user's clicks come between the timer's
  // calls.
  std::function<void(int round)> OnRound;

  std::vector<int> ComShown;                   // the port checked on opening
  std::vector<TNewDataChoice> NewDataShown;    // the boxes on opening
  std::vector<TNewDataChoice> NewDataChecked;  // the boxes after each accepted check
  std::vector<std::string> Countdowns;
  int Rounds = 0;
  bool ProgressOpen = false;

  bool ExecuteComDialog(int& portNumber) override {
    ComShown.push_back(portNumber);
    frame_.Log.push_back("com dialog");
    if (ComAnswers.empty()) throw std::logic_error("unscripted port dialog");
    std::optional<int> answer = ComAnswers.front();
    ComAnswers.pop_front();
    if (!answer) return false;
    portNumber = *answer;
    return true;
  }

  bool ExecuteBalanceDialog(BalanceDialogState& state, const FindBalanceHandler& find) override {
    BalanceShown.push_back(state);
    frame_.Log.push_back("balance dialog");
    if (BalanceAnswers.empty()) throw std::logic_error("unscripted balance dialog");
    const BalanceAnswer answer = BalanceAnswers.front();
    BalanceAnswers.pop_front();
    return answer(state, find);
  }
  std::vector<PresentPort> PresentPorts() override { return Ports; }
  std::filesystem::path NewReadingsPath() override { return ReadingsPath; }

  bool ExecuteNewDataDialog(TNewDataChoice& choice, const RangeCheckHandler& rangeCheck) override {
    NewDataShown.push_back(choice);
    frame_.Log.push_back("new data dialog");
    if (NewDataAnswers.empty()) throw std::logic_error("unscripted new-data dialog");
    NewDataAnswer answer = NewDataAnswers.front();
    NewDataAnswers.pop_front();
    if (answer.Cancel) return false;
    for (const std::string& density : answer.Densities) {
      TNewDataChoice boxes{density, answer.MaxDuration};
      if (rangeCheck(boxes)) {
        NewDataChecked.push_back(boxes);
        choice = boxes;
        return true;
      }
    }
    return false;
  }

  void ShowProgress(const KeyHandler& onKey) override {
    if (ProgressOpen) throw std::logic_error("progress window shown twice");
    ProgressOpen = true;
    key_ = onKey;
    frame_.Log.push_back("progress shown");
  }
  void SetCountdown(const std::string& text) override { Countdowns.push_back(text); }
  void CloseProgress() override {
    ProgressOpen = false;
    key_ = nullptr;
    frame_.Log.push_back("progress closed");
  }
  void RepaintProgress() override {}
  void ScheduleTick(RunClock::Seconds after, const TickHandler& onTick) override {
    tickAfter_ = after;
    tick_ = onTick;
  }
  void CancelTick() override { tick_ = nullptr; }

  // The program's message loop while a run goes on: lets each scheduled
  // time pass on `clock`, calls the timer, then gives the user a turn.
  void RunTicks(FakeClock& clock) {
    while (tick_) {
      const TickHandler tick = std::exchange(tick_, nullptr);
      clock.Advance(tickAfter_.count());
      tick();
      ++Rounds;
      if (OnRound && tick_) OnRound(Rounds);
    }
  }
  void ActivateTrialWindow(TMDIChild& child) override { frame_.Active = &child; }

  // A key struck in the progress window.
  void Strike(char key) {
    if (!key_) throw std::logic_error("no progress window to strike a key in");
    key_(key);
  }

 private:
  ScriptedUi& frame_;
  KeyHandler key_;
  TickHandler tick_;
  RunClock::Seconds tickAfter_{};
};

}  // namespace vorsant::testing
