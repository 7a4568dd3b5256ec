#pragma once
// What the Fouling Models and Compare Trials windows share: a sizable
// window owned by the frame, with an optional band of controls at the top,
// a read-only table in the report's fixed-pitch font (so it can be selected
// and copied), optionally with notes of its own above it, and a 700 x 600
// picture. They share the height: the text shows every line while the
// picture keeps at least half its size, and scrolls beyond (the notes, where
// there are some, so that every row of the table stays in view); the picture
// is drawn smaller, never cut, when the window is.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/gdi_canvas_win.h"
#include "app/owned_window_win.h"
#include "app/picture_box_win.h"
#include "app/win_handles.h"

namespace vorsant {

class TableGraphWindow : public OwnedWindow, private PictureSource {
 public:
  ~TableGraphWindow() override;

  // Creates the window, hidden, owned by `owner`, with room for a table of
  // `tableLines` lines of `tableColumns` characters and `noteLines` lines of
  // notes above it (none: no notes box).
  bool Create(HWND owner, int tableLines, int tableColumns, int noteLines = 0);
  void Show();

 protected:
  TableGraphWindow() = default;
  virtual const wchar_t* Caption() const = 0;
  // Height of the band above the table at 96 DPI, 0 for none.
  virtual int BandHeight() const { return 0; }
  // Creates the band's controls in `wnd`, in the interface font `font`,
  // placed for the window's DPI.
  virtual void CreateBand(HWND /*wnd*/, HFONT /*font*/) {}
  // WM_COMMAND from a control of the band, and the window's own posted
  // messages (WM_APP and up).
  virtual void OnCommand(int /*id*/, int /*code*/) {}
  virtual void OnPosted(UINT /*msg*/, WPARAM /*wp*/) {}

  void SetTable(const std::vector<std::string>& lines);
  // Only for a window created with notes.
  void SetNotes(const std::vector<std::string>& lines);
  // Composes the picture (700 x 600 at 96 DPI) in a fresh bitmap at the
  // window's DPI and shows it; again if the window changes scale.
  void DrawPicture(std::function<void(Canvas&)> draw);
  // The window is on its way out: no more questions to the user.
  bool Closing() const { return closing_; }
  // The control that takes the focus when the window is activated, as a
  // dialog's does; afterwards, the one that had it when the window was left.
  void SetFocusControl(HWND control) { focus_ = control; }
  // Gives a box of the band the keys of a dialog's box: Tab and Shift+Tab
  // move on (selecting the next box's text), Ctrl+A selects, Escape closes.
  static void TakeKeys(HWND control);

  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  bool ClosesOnEscape() const override { return true; }
  void WindowDestroyed() override;

 private:
  void PaintPicture(HDC dc, const RECT& dirty) override;
  // WM_DPICHANGED: the suggested size, the band's controls scaled by the
  // change, the fonts and the picture made again for the new DPI.
  void OnDpiChanged(UINT dpi, LPARAM suggested);
  // Places the table and the picture in the client area; the picture is
  // composed again when its scale changes.
  void LayOut();
  void Compose();
  // Height of a text box in the table's font showing `lines` lines.
  int TableHeight(int lines) const;
  // A box's text has a new number of lines: the window grows by their
  // height while the work area has room, and lays out again.
  void Resized(int& count, int lines);
  void OnMinMaxInfo(MINMAXINFO* info) const;

  HWND table_ = nullptr;
  HWND notes_ = nullptr;
  HWND picture_ = nullptr;
  HWND focus_ = nullptr;
  UniqueFont uiFont_;
  UniqueFont tableFont_;
  std::unique_ptr<OffscreenBitmap> bitmap_;
  std::function<void(Canvas&)> draw_;
  UINT dpi_ = kBaseDpi;
  // The scale the picture is composed at, at most the window's.
  UINT pictureDpi_ = 0;
  int lines_ = 0;
  int noteLines_ = 0;
  bool closing_ = false;
};

}  // namespace vorsant
