#pragma once
// What the command flows need from the user interface. The Windows shell
// implements it with real windows and dialogs; the tests script it. Every
// text crossing the port is UTF-8, except the conditions dialog's boxes,
// which hold the record's single-byte texts.

#include <span>
#include <string>

#include "fouling/fouling_models.h"
#include "fouling/trial_comparison.h"
#include "trial/report.h"

namespace vorsant {

struct ConditionsInput;
struct DataInput;
struct TWineRec;
class TMDIChild;

enum class MessageIcon { Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };
enum class GraphWindowKind { Laboratory, Production };

// The settings a file dialog keeps between uses, like a dialog component
// placed on a form: the command sets them, the dialog shows them and, on OK,
// leaves the chosen full path in FileName.
struct FileDialogState {
  std::string Filter;      // "description|pattern"
  std::string InitialDir;  // empty: the system chooses
  std::string FileName;
};

class UiPort {
 public:
  virtual ~UiPort() = default;

  // Modal message box; returns the button chosen (closing the box counts as
  // its Cancel or No, or OK when it has only OK).
  virtual MessageAnswer ShowMessage(const std::string& text, MessageIcon icon, MessageButtons buttons,
                                    MessageAnswer defaultButton) = 0;

  // Modal common dialogs: true on OK with dialog.FileName set to the choice.
  virtual bool ExecuteOpenDialog(FileDialogState& dialog) = 0;
  virtual bool ExecuteSaveDialog(FileDialogState& dialog) = 0;

  // The conditions dialog, modal, loaded from `input`; true when it closed
  // with OK, and then `input` holds the boxes as accepted.
  virtual bool ExecuteConditionsDialog(ConditionsInput& input) = 0;
  // The data dialog, modal, loaded from `input` (single-byte texts like the
  // conditions); true when it closed with OK, and then `input` holds the
  // boxes as accepted.
  virtual bool ExecuteDataDialog(DataInput& input) = 0;
  // Opens another graph window of `kind`, shows it and hands it `rec`, which
  // it draws once from a copy of its own.
  virtual void ShowGraphWindow(GraphWindowKind kind, const TWineRec& rec) = 0;
  // Opens another Fouling Models window on its own copy of `rec`, showing
  // `report` (the models with the default sizing) until its boxes change.
  virtual void ShowFoulingWindow(const TWineRec& rec, const FoulingReport& report) = 0;
  // Opens another Compare Trials window, drawn once from copies of `trials`.
  virtual void ShowCompareWindow(std::span<const ComparedTrial> trials) = 0;
  // The welcome choice, modal: true for "Open an existing wine file".
  virtual bool ExecuteWelcomeDialog() = 0;
  virtual void ExecuteAboutBox() = 0;
  virtual void ShowSplash(int milliseconds) = 0;

  // Blocks the user-interface thread, as the pauses after saving do.
  virtual void Wait(int milliseconds) = 0;
  virtual void SetStatusText(const std::string& text) = 0;
  // A line the status bar keeps, in place of what it shows when idle, until
  // the user's next command: why a file could not be opened.
  virtual void ShowNotice(const std::string& text) = 0;
  // The user's Documents folder, empty when the shell cannot tell.
  virtual std::string DocumentsFolder() = 0;
  // Today's date as an exported report states it.
  virtual std::string Today() = 0;

  // Trial windows. Create places the window at child.Left/Top with
  // child.Caption; Destroy removes it at once, without asking anything.
  virtual void CreateTrialWindow(TMDIChild& child) = 0;
  virtual void DestroyTrialWindow(TMDIChild& child) = 0;
  virtual void CaptionChanged(TMDIChild& child) = 0;
  // Replaces both panels and redraws the graph from child's record.
  virtual void ShowReport(TMDIChild& child, const ReportLines& report) = 0;
  // The active trial window, or nullptr when none is open.
  virtual TMDIChild* ActiveTrialWindow() = 0;

  // The enabling of the actions has changed: refresh menu and toolbar.
  virtual void ActionsChanged() = 0;
  // Asks the frame to close, which runs every trial window's close query.
  virtual void CloseMainWindow() = 0;
  virtual void ArrangeWindows(int commandId) = 0;
};

}  // namespace vorsant
