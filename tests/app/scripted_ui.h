#pragma once
// A UiPort that plays back the user's answers from scripts and records what
// the program showed, so each branch of a flow can be driven and checked.

#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/edit_data_flow.h"
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

// One press of the data dialog's OK or Cancel: the user edits the boxes and
// returns true for OK. OK runs the dialog's checks; a refused OK keeps the
// dialog open for the next press.
using DataDialogPress = std::function<bool(DataInput& boxes)>;

struct ShownGraphWindow {
  GraphWindowKind Kind;
  TWineRec WineRec;  // the copy the window drew from
};

struct ShownFoulingWindow {
  TWineRec WineRec;
  FoulingReport Report;
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
  std::deque<DataDialogPress> DataPresses;
  std::string Documents = "/home/user/Documents/";
  std::string Date = "2026-12-09";

  std::vector<ShownMessage> Messages;
  std::vector<ShownFileDialog> FileDialogs;
  std::vector<ConditionsInput> ConditionsShown;
  std::vector<DataInput> DataShown;
  std::vector<ShownGraphWindow> GraphWindows;
  std::vector<ShownFoulingWindow> FoulingWindows;
  std::vector<std::vector<ComparedTrial>> CompareWindows;
  std::vector<std::string> StatusTexts;
  std::vector<std::string> Notices;
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

  bool ExecuteDataDialog(DataInput& input) override {
    DataShown.push_back(input);
    Log.push_back("data dialog");
    DataInput boxes = input;
    for (;;) {
      if (DataPresses.empty()) throw std::logic_error("unscripted data dialog");
      DataDialogPress press = std::move(DataPresses.front());
      DataPresses.pop_front();
      if (!press(boxes)) return false;
      if (!CheckDataDialog(boxes, *this)) break;
    }
    input = boxes;
    return true;
  }

  void ShowGraphWindow(GraphWindowKind kind, const TWineRec& rec) override {
    GraphWindows.push_back({kind, rec});
    Log.push_back(kind == GraphWindowKind::Laboratory ? "lab graph window" : "production graph window");
  }

  void ShowFoulingWindow(const TWineRec& rec, const FoulingReport& report) override {
    FoulingWindows.push_back({rec, report});
    Log.push_back("fouling window");
  }
  void ShowCompareWindow(std::span<const ComparedTrial> trials) override {
    CompareWindows.emplace_back(trials.begin(), trials.end());
    Log.push_back("compare window");
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
  void ShowNotice(const std::string& text) override { Notices.push_back(text); }
  std::string DocumentsFolder() override { return Documents; }
  std::string Today() override { return Date; }

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
    Log.push_back("report");
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
