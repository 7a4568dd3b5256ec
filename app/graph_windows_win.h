#pragma once
// The large graph windows "Lab Scale Graph" and "Production Scale Graph":
// fixed-size windows owned by the frame, each showing one 700 x 600 picture
// drawn once from a copy of a trial record.

#include <windows.h>

#include <memory>

#include "app/dpi_win.h"
#include "app/gdi_canvas_win.h"
#include "app/owned_window_win.h"
#include "app/picture_box_win.h"
#include "app/ui_port.h"
#include "trial/wine_rec.h"

namespace vorsant {

class GraphWindow : public OwnedWindow, private PictureSource {
 public:
  ~GraphWindow() override;

  // Creates the window, hidden, owned by `owner`.
  bool Create(HWND owner);
  void Show();
  // Sets the caption and draws the picture from its own copy of `WineRec`;
  // the window keeps only the picture.
  void FormCreate(const TWineRec& WineRec);

 protected:
  GraphWindow() = default;
  virtual const wchar_t* Caption() const = 0;
  virtual void Draw(Canvas& canvas, const TWineRec& rec) const = 0;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  bool ClosesOnEscape() const override { return true; }
  void WindowDestroyed() override { image_ = nullptr; }

 private:
  void PaintPicture(HDC dc, const RECT& dirty) override;

  HWND image_ = nullptr;
  std::unique_ptr<OffscreenBitmap> picture_;
  // The scale the picture is drawn at: the window's, or less on a screen
  // too small for it.
  UINT drawDpi_ = kBaseDpi;
};

class TGraphWinLab final : public GraphWindow {
 protected:
  const wchar_t* Caption() const override { return L"Lab Scale Graph"; }
  void Draw(Canvas& canvas, const TWineRec& rec) const override;
};

class TGraphWinProd final : public GraphWindow {
 protected:
  const wchar_t* Caption() const override { return L"Production Scale Graph"; }
  void Draw(Canvas& canvas, const TWineRec& rec) const override;
};

// A new graph window of `kind`: created, shown, then handed the record.
void OpenGraphWindow(HWND owner, GraphWindowKind kind, const TWineRec& rec);

}  // namespace vorsant
