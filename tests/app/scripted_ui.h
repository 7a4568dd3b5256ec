#pragma once
// A UiPort that plays back the user's answers from scripts and records what
// the program showed, so each branch of a flow can be driven and checked.

#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/trial_window.h"
#include "app/ui_port.h"
#include "trial/conditions_input.h"

namespace vorsant::testing {

struct ShownMessage {
  std::string Text;
  MessageIcon Icon;
  MessageButtons Buttons;
  MessageAnswer Default;
};

struct ShownFileDialog {
  FileDialogState State;  // as the command set it up
  bool Save;
};

class ScriptedUi : public UiPort {
 public:
  // Answers in the order the program asks; running out fails the test.
  std::deque<MessageAnswer> MessageAnswers;
  // nullopt plays Cancel.
  std::deque<std::optional<std::string>> FileChoices;
  // nullopt plays Cancel; otherwise the boxes the user leaves behind.
  std::deque<std::optional<ConditionsInput>> ConditionsAnswers;
  std::deque<bool> WelcomeAnswers;  // true: "Open an existing wine file"
  std::string Documents = "/home/user/Documents/";

  std::vector<ShownMessage> Messages;
  std::vector<ShownFileDialog> FileDialogs;
  std::vector<ConditionsInput> ConditionsShown;
  std::vector<std::string> StatusTexts;
  std::vector<int> Waits;
  std::vector<std::string> Log;  // one entry per visible event, in order
  std::vector<TMDIChild*> Open;  // trial windows, in creation order
  TMDIChild* Active = nullptr;   // null: the last one created
  int Reports = 0;
  int ActionRefreshes = 0;
  int CloseRequests = 0;
  int Splashes = 0;
  int AboutBoxes = 0;
  int Welcomes = 0;

  MessageAnswer ShowMessage(const std::string& text, MessageIcon icon, MessageButtons buttons,
                            MessageAnswer defaultButton) override {
    Messages.push_back({text, icon, buttons, defaultButton});
    Log.push_back("message: " + text);
    if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    if (MessageAnswers.empty()) throw std::logic_error("unscripted question: " + text);
    MessageAnswer a = MessageAnswers.front();
    MessageAnswers.pop_front();
    return a;
  }

  bool ExecuteOpenDialog(FileDialogState& dialog) override { return FileDialog(dialog, false); }
  bool ExecuteSaveDialog(FileDialogState& dialog) override { return FileDialog(dialog, true); }

  bool ExecuteConditionsDialog(ConditionsInput& input) override {
    ConditionsShown.push_back(input);
    Log.push_back("conditions dialog");
    if (ConditionsAnswers.empty()) throw std::logic_error("unscripted conditions dialog");
    auto answer = ConditionsAnswers.front();
    ConditionsAnswers.pop_front();
    if (!answer) return false;
    input = *answer;
    return true;
  }

  bool ExecuteWelcomeDialog() override {
    ++Welcomes;
    Log.push_back("welcome");
    if (WelcomeAnswers.empty()) throw std::logic_error("unscripted welcome dialog");
    bool a = WelcomeAnswers.front();
    WelcomeAnswers.pop_front();
    return a;
  }

  void ExecuteAboutBox() override { ++AboutBoxes; }
  void ShowSplash(int) override {
    ++Splashes;
    Log.push_back("splash");
  }
  void Wait(int ms) override { Waits.push_back(ms); }
  void SetStatusText(const std::string& text) override { StatusTexts.push_back(text); }
  std::string DocumentsFolder() override { return Documents; }

  void CreateTrialWindow(TMDIChild& child) override {
    Open.push_back(&child);
    Log.push_back("window: " + child.Caption);
  }
  void DestroyTrialWindow(TMDIChild& child) override {
    std::erase(Open, &child);
    if (Active == &child) Active = nullptr;
    Log.push_back("destroyed: " + child.Caption);
  }
  void CaptionChanged(TMDIChild&) override {}
  void ShowReport(TMDIChild&, const ReportLines& report) override {
    ++Reports;
    LastReport = report;
  }
  TMDIChild* ActiveTrialWindow() override {
    if (Active) return Active;
    return Open.empty() ? nullptr : Open.back();
  }
  void ActionsChanged() override { ++ActionRefreshes; }
  void CloseMainWindow() override { ++CloseRequests; }
  void ArrangeWindows(int) override {}

  ReportLines LastReport;

 private:
  bool FileDialog(FileDialogState& dialog, bool save) {
    FileDialogs.push_back({dialog, save});
    Log.push_back(save ? "save dialog" : "open dialog");
    if (FileChoices.empty()) throw std::logic_error("unscripted file dialog");
    auto choice = FileChoices.front();
    FileChoices.pop_front();
    if (!choice) return false;
    dialog.FileName = *choice;
    return true;
  }
};

// Conditions that pass every check.
inline ConditionsInput GoodConditions(std::string wine = "Chardonnay", std::string filter = "Pad") {
  ConditionsInput c;
  c.WineName = std::move(wine);
  c.FilterName = std::move(filter);
  c.LabPressure = "30.0";
  c.FilterDiameter = "47.0";
  c.MaxPressure = "  30";
  c.Area = "20.0";
  c.Rate = "40.0";
  return c;
}

}  // namespace vorsant::testing
