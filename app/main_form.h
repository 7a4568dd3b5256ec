#pragma once
// The frame's command flows: start-up, the welcome choice and the document
// commands, with the trial windows they create. Everything the user is asked
// goes through the UiPort, so each branch runs the same here and in tests.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/actions.h"
#include "app/balance_setting.h"
#include "app/environment_file.h"
#include "app/recent_trials.h"
#include "app/trial_window.h"
#include "app/ui_port.h"
#include "scale/com_port.h"
#include "trial/conditions_input.h"
#include "trial/trial_file_system.h"

namespace vorsant {

inline constexpr const char* kProductName = "VORSANT";
inline constexpr const char* kVersionText = "Version 6.1.0";
inline constexpr int kSplashMilliseconds = 3000;

class ScaleCommands;

class TMainForm {
 public:
  // `environmentPath` is the environment file; `files` is where trial files
  // are read and saved.
  TMainForm(UiPort& ui, std::string environmentPath = kEnvironmentFilePath,
            TrialFileSystem& files = SystemFileSystem());
  TMainForm(const TMainForm&) = delete;
  TMainForm& operator=(const TMainForm&) = delete;
  ~TMainForm();

  // Start-up sequence. False when the program must end at once (the reason
  // has been shown). `startFile`, a full path, is opened instead of offering
  // the welcome choice.
  bool StartUp(const std::string& startFile = "");
  // On every activation of the frame; offers the welcome choice once.
  void Welcome();

  void FileNewExecute();
  void FileOpenExecute();
  void FileSaveExecute();
  void FileSaveAsExecute();
  void FileCloseExecute();
  void FileExitExecute();
  void HelpAboutExecute();
  void EditConditionsExecute();
  void EditDataExecute();
  void LaboratoryGraphExecute();
  void ProductionGraphExecute();
  void FoulingModelsExecute();
  void CompareOpenTrialsExecute();
  void ExportReportExecute();
  // Runs the handler of a menu, toolbar or accelerator command, if the
  // command is enabled.
  void Execute(CommandId id);

  // The Wine menu's recent trial `index` (0 for the newest), opened as the
  // Open command opens a chosen file; one that cannot be read leaves the
  // list after its message.
  void OpenRecentExecute(std::size_t index);
  // Files dropped on the frame, opened one by one as Open opens a chosen file.
  void OpenDroppedFiles(const std::vector<std::string>& paths);

  void OpenWineWindow(const std::string& path, CommandId action);
  void SaveWineFile(const std::string& LocalFileName, bool& Error, bool SaveAs);
  // What both save paths share (the frame's and a trial window's close
  // question): the overwrite question, writing the record safely (0 or the
  // system's error number), and, once saved, the window's caption and file
  // name, the recent trials and the collection's readings moved beside it.
  bool ConfirmOverwrite(const std::string& path);
  int WriteTrial(const std::string& path, const TWineRec& rec);
  void TrialSaved(TMDIChild& child, const std::string& path);
  void EnableWineActions();
  void DisableWineActions();

  // The frame is asked to close (Exit, its close box): every trial window's
  // close query in turn; the first veto keeps everything open.
  bool CloseQuery();
  // A trial window's close box or system menu: its close query, then, if it
  // may close, its close handler and its destruction.
  void CloseTrialWindow(TMDIChild& child);

  bool ReadDataFile(int& errorNumber);
  // Rewrites the environment file from Environment, never leaving a partly
  // written file in its place. Returns 0 or the system's error number.
  int WriteDataFile();
  // Whether the command may run now, with the open trial windows counted.
  bool Enabled(CommandId id) const;

  // The first WineWindowCount trial windows, as every loop over them sees.
  std::vector<TMDIChild*> CountedWindows();
  const std::vector<std::unique_ptr<TMDIChild>>& Windows() const { return windows_; }

  UiPort& Ui() { return ui_; }
  TrialFileSystem& Files() { return files_; }

  bool ShowWelcome = false;
  int WineWindowCount = 0;
  bool SaveCancelled = false;
  TEnvironmentRec Environment{};
  FileDialogState OpenDialog;
  FileDialogState SaveDialog;
  // Export Report's own dialog, so exporting never moves where Save As starts.
  FileDialogState ExportDialog;
  ActionStates ActionList;
  // The balance's port, set up at start-up from ScalePort.
  TComPort ComPort;
  // The balance commands and the guard of a running collection, once the
  // shell has attached them.
  ScaleCommands* Scale = nullptr;
  // The trials most recently opened or saved, and where the shell keeps
  // them (none: the list lives as long as the program).
  RecentTrials Recent;
  RecentTrialsStore* RecentStore = nullptr;
  // The balance beside the environment file's port (a port above COM9, its
  // command set), and where the shell keeps it (none: until the program
  // ends).
  BalanceSetting Balance;
  BalanceSettingStore* BalanceStore = nullptr;

 private:
  enum class OpenOutcome { Opened, AlreadyOpen, Unreadable };
  OpenOutcome OpenTrialFile(const std::string& path);
  // What the Open command does with the file the user chose.
  OpenOutcome OpenChosenFile(const std::string& path);
  void RememberRecent(const std::string& path);
  void ForgetRecent(const std::string& path);
  TMDIChild& CreateTrialWindow();
  // Runs the close handler and destroys the window at once, as a failed
  // Open and the Close command do.
  void CloseAndDestroy(TMDIChild& child);
  void Destroy(TMDIChild& child);
  void ComponentRemoved();

  UiPort& ui_;
  std::string environmentPath_;
  TrialFileSystem& files_;
  std::string startFile_;
  std::vector<std::unique_ptr<TMDIChild>> windows_;
};

// The conditions dialog's OK button: checks the boxes in order, shows the
// first failure's message and returns the failing box; nullopt when the
// dialog may close with OK.
std::optional<ConditionsBox> CheckConditionsDialog(ConditionsInput& input, UiPort& ui);

}  // namespace vorsant
