#pragma once
// The portable part of a trial window: its trial, its file name and caption,
// its placement, and how it is saved and closed. The shell's window shows it
// and forwards its close box here.

#include <filesystem>
#include <memory>
#include <string>

#include "app/ui_port.h"
#include "trial/wine_rec.h"

namespace vorsant {

class TMainForm;

inline constexpr const char* kUnsavedFileName = "unsaved";
inline constexpr const char* kTrialFileFilter = "VORSANT files|*.vrs";

// What the shell shows of one trial window. Its TMDIChild owns it, so the
// open trials are counted in one place, TMainForm's list of them.
class TrialView {
 public:
  virtual ~TrialView() = default;
  virtual void UpdateCaption() = 0;
  virtual void ShowReport(const ReportLines& report) = 0;
};

class TMDIChild {
 public:
  explicit TMDIChild(TMainForm& owner) : owner_(owner) {}
  TMDIChild(const TMDIChild&) = delete;
  TMDIChild& operator=(const TMDIChild&) = delete;

  int Left = 0;
  int Top = 0;
  std::string FileName = kUnsavedFileName;
  std::string Caption;
  TWineClass WineClass{};
  FileDialogState SaveDialog;   // used only by the close query
  std::unique_ptr<TrialView> View;  // made and used by the shell
  // Readings of a collection into this window not yet beside a saved file.
  std::filesystem::path PendingReadings;

  // Placement from the number of trial windows counted before this one.
  void SetUp();
  // The window is closing for good: it is no longer counted.
  void FormClose();
  // Asks about unsaved changes and may save; true when the window may close.
  bool FormQuery();
  void SaveChildFile(const std::string& name, bool& Error, bool SaveAs);
  bool FilterFileOpen(const std::string& Name, TWineRec& WineRec);

  // Rebuilds both report panels and the graph from the record.
  void FillLines();
  // Recalculates every result, showing the analysis' warnings when asked,
  // then refills the panels.
  void Calculate(bool ShowDialogs);

 private:
  TMainForm& owner_;
};

// The status bar's word that the trial in `caption` has changes not saved.
std::string UnsavedChangesText(const std::string& caption);

// What the status bar adds to "Data is insufficient to calculate fouling
// constants.": how many readings the trial has and how many are needed.
std::string TooFewReadingsText(const std::string& caption, const TData& data);

// UTF-8 path text to a file-system path (UTF-16 on Windows).
std::filesystem::path PathFromText(const std::string& text);
bool FileExistsAt(const std::string& text);

}  // namespace vorsant
