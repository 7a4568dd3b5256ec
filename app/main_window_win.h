#pragma once
// The frame window: menu, toolbar, status bar and MDI client, and the
// UiPort through which the command flows of TMainForm reach the user.

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "app/main_form.h"
#include "app/balance_store_win.h"
#include "app/recent_store_win.h"
#include "app/scale_windows_win.h"
#include "app/trial_window_win.h"
#include "app/ui_port.h"
#include "app/verdict_status.h"
#include "app/win_handles.h"
#include "app/window_proc_win.h"

namespace vorsant {

class MainWindow final : public ProgramWindow, public UiPort {
 public:
  explicit MainWindow(HINSTANCE instance);
  ~MainWindow() override;

  // Creates the frame and runs the start-up sequence; false when the
  // program has to end at once.
  bool Start(const std::string& startFile, int showCommand);
  // One message of the loop: true when it was consumed by an accelerator.
  bool TranslateShortcut(MSG& msg);

  // A trial window's close box or system menu.
  void CloseRequested(TrialWindow& window);
  void ChildActivated();

  // UiPort
  MessageAnswer ShowMessage(const std::string& text, MessageIcon icon, MessageButtons buttons,
                            MessageAnswer defaultButton) override;
  bool ExecuteOpenDialog(FileDialogState& dialog) override;
  bool ExecuteSaveDialog(FileDialogState& dialog) override;
  bool ExecuteConditionsDialog(ConditionsInput& input) override;
  bool ExecuteDataDialog(DataInput& input) override;
  void ShowGraphWindow(GraphWindowKind kind, const TWineRec& rec) override;
  void ShowFoulingWindow(const TWineRec& rec, const FoulingReport& report) override;
  void ShowCompareWindow(std::span<const ComparedTrial> trials) override;
  bool ExecuteWelcomeDialog() override;
  void ExecuteAboutBox() override;
  void ShowSplash(int milliseconds) override;
  void Wait(int milliseconds) override;
  void SetStatusText(const std::string& text) override;
  void ShowNotice(const std::string& text) override;
  std::string DocumentsFolder() override;
  std::string Today() override;
  void CreateTrialWindow(TMDIChild& child) override;
  void DestroyTrialWindow(TMDIChild& child) override;
  void CaptionChanged(TMDIChild& child) override;
  void ShowReport(TMDIChild& child, const ReportLines& report) override;
  TMDIChild* ActiveTrialWindow() override;
  void ActionsChanged() override;
  void CloseMainWindow() override;
  void ArrangeWindows(int commandId) override;

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  LRESULT DefaultHandling(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) override;
  // Destroys every trial window, before the frame goes.
  void DestroyTrialViews();
  void OnCreate();
  // The fonts, the toolbar's pictures and sizes at the frame's DPI.
  void ApplyDpi();
  void OnSize();
  void OnNotify(NMHDR* header);
  void OnMenuSelect(UINT item, UINT flags);
  void OnDropFiles(HDROP drop);
  void UpdateMenu(HMENU popup);
  void UpdateToolbar();
  HWND DialogOwner() const;
  // The active trial's verdict, kept for the status bar when it has nothing
  // else to show.
  void ShowVerdictLine();
  // The same once the change that asked for it has settled.
  void ShowVerdictLater();

  HINSTANCE instance_;
  RegistryRecentTrials recentStore_;
  RegistryBalanceSetting balanceStore_;
  TMainForm form_;
  // The balance commands and their windows; after form_, which they use.
  std::unique_ptr<ScaleWindows> scale_;
  HWND mdiClient_ = nullptr;
  HWND toolbar_ = nullptr;
  HWND statusBar_ = nullptr;
  HIMAGELIST images_ = nullptr;
  int imageSize_ = 16;
  int toolbarHeight_ = 0;  // set with the display scale before the toolbar exists
  UniqueAccelerators accelerators_;
  UniqueAccelerators extraKeys_;
  UniqueFont uiFont_;
  bool started_ = false;
  std::string verdictLine_;
  std::string notice_;
  VerdictCache verdicts_;  // kept until a trial's record changes
};

}  // namespace vorsant
