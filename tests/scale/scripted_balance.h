#pragma once
// Test doubles for the collection run: a clock that moves only when told, a
// balance behind the serial interface that answers from a script of the
// clock's time, and a user interface that records what it is asked.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "scale/com_port.h"
#include "scale/collection_ui.h"
#include "scale/run_clock.h"
#include "scale/serial_port.h"
#include "trial/number_text.h"

namespace vorsant::testing {

class FakeClock final : public RunClock {
 public:
  Seconds Now() override { return Seconds(t_); }
  void Sleep(Seconds span) override { t_ += span.count(); }
  void Advance(double seconds) { t_ += seconds; }
  double t() const { return t_; }

 private:
  double t_ = 1000.0;  // any origin will do; the run only uses differences
};

// A reply line as a balance sends it for `grams`.
inline std::string ReplyFor(double grams) {
  return std::string(1, grams < 0 ? '-' : '+') + Fixed(grams < 0 ? -grams : grams, 9, 2) + " g\r";
}

class ScriptedBalancePort final : public SerialPort {
 public:
  explicit ScriptedBalancePort(FakeClock& clock) : clock_(clock) {}

  // The reply to a weight request answered at clock time `t`; nullopt for
  // a balance that stays silent.
  std::function<std::optional<std::string>(double t)> replyAt = [](double) { return ReplyFor(0); };
  // How long a weight request takes on the run's clock.
  double readingSeconds = 0.3;
  // Opening fails with a system error on this open (1-based).
  std::optional<int> failOnOpen;

  bool Active() const override { return active_; }
  void SetActive(bool value) override {
    if (value == active_) return;
    if (value) {
      ++opens;
      if (failOnOpen && opens == *failOnOpen)
        throw EComError("The system cannot find the file specified.", 2);
      pending_.clear();  // opening discards what the driver still held
      line_.clear();
    }
    active_ = value;
  }
  void WriteAnsiChar(char c) override {
    if (!active_) throw EComError(kClosedPortMessage, 0);
    line_.push_back(c);
    if (line_.size() < 3) return;
    commands.push_back(line_);
    if (line_ == std::string{27, 'P', 13}) {
      ++requests;
      clock_.Advance(readingSeconds);
      requestTimes.push_back(clock_.t());
      pending_ = replyAt(clock_.t()).value_or("");
    }
    line_.clear();
  }
  char ReadAnsiChar() override {
    std::optional<char> c = ReadAnsiCharWithin(std::chrono::milliseconds(0));
    if (!c) throw EComError(kTimeoutMessage, 0);
    return *c;
  }
  std::optional<char> ReadAnsiCharWithin(std::chrono::milliseconds) override {
    if (!active_) throw EComError(kClosedPortMessage, 0);
    if (pending_.empty()) return std::nullopt;
    const char c = pending_.front();
    pending_.erase(pending_.begin());
    return c;
  }

  int opens = 0;
  int requests = 0;
  std::vector<std::string> commands;
  std::vector<double> requestTimes;

 private:
  FakeClock& clock_;
  bool active_ = false;
  std::string line_;
  std::string pending_;
};

class ScriptedCollectionUi final : public CollectionUi {
 public:
  bool dialogAnswer = true;
  TNewDataChoice dialogChoice{"1", 9};
  bool confirmAnswer = false;
  std::function<void()> onRound;  // runs inside ProcessMessages
  // Runs while a message box or Save As is open, as their modal loops would.
  std::function<void()> onModal;

  bool ExecuteNewDataDialog(TNewDataChoice& choice) override {
    events.push_back("dialog " + choice.Density + " " + std::to_string(choice.MaxDuration));
    if (dialogAnswer) choice = dialogChoice;
    return dialogAnswer;
  }
  void ShowProgress() override { events.push_back("progress shown"); }
  void SetCountdown(const std::string& text) override { countdowns.push_back(text); }
  void CloseProgress() override { events.push_back("progress closed"); }
  void TrialChanged(TWineClass&) override { ++trialChanges; }
  void ProcessMessages() override {
    ++rounds;
    if (onRound) onRound();
  }
  void ShowInformation(const std::string& text) override {
    events.push_back("info " + text);
    if (onModal) onModal();
  }
  bool Confirm(const std::string& text) override {
    events.push_back("confirm " + text);
    if (onModal) onModal();
    return confirmAnswer;
  }
  void SaveAs(TWineClass&) override {
    events.push_back("save as");
    if (onModal) onModal();
  }

  std::vector<std::string> events;
  std::vector<std::string> countdowns;
  int trialChanges = 0;
  int rounds = 0;
};

}  // namespace vorsant::testing
