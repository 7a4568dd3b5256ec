#pragma once
// The Windows side of a trial window: an MDI child showing the summary
// panel, the graph and the report table of one TMDIChild.

#include <windows.h>

#include <memory>

#include "app/gdi_canvas_win.h"
#include "app/picture_box_win.h"
#include "app/trial_window.h"
#include "app/window_proc_win.h"
#include "trial/report.h"

namespace vorsant {

class MainWindow;

class TrialWindow final : public ProgramWindow, public TrialView, private PictureSource {
 public:
  static void RegisterClass(HINSTANCE instance);

  TrialWindow(MainWindow& main, TMDIChild& child) : main_(main), child_(child) {}
  ~TrialWindow() override;

  // Creates the MDI child inside `mdiClient` at the child's placement.
  bool Create(HWND mdiClient);
  void Destroy();
  void ShowReport(const ReportLines& report) override;
  void UpdateCaption() override;
  TMDIChild& Child() { return child_; }
  // The TrialWindow behind an MDI child window, or nullptr.
  static TrialWindow* FromHandle(HWND wnd);

 private:
  void PaintPicture(HDC dc, const RECT& dirty) override;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  LRESULT DefaultHandling(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) override;
  void OnCreate();
  // Places the panels and the graph, and sizes the panels' font, for the
  // window's DPI; again when the window moves to a monitor of another scale.
  void LayOut();
  void OnDpiChanged();
  void OnScroll(int bar, WPARAM wp);
  // Moves the view and the panels with it to `pos` of `bar`, kept within
  // the bar's range.
  void ScrollTo(int bar, int pos);
  void OnSize();
  void DrawGraphPicture();

  MainWindow& main_;
  TMDIChild& child_;
  HWND mdiClient_ = nullptr;
  HWND memo1_ = nullptr, memo2_ = nullptr, graph_ = nullptr;
  UniqueFont memoFont_;
  std::unique_ptr<OffscreenBitmap> picture_;
  int scrollX_ = 0, scrollY_ = 0;
  UINT dpi_ = 96;
};

}  // namespace vorsant
