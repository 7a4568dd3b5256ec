#pragma once
// The child window a graph is shown in (the trial window's graph, the graph
// windows' pictures, the models and comparison pictures): it paints nothing
// of its own and asks its source, the window it sits in, for each WM_PAINT.

#include <windows.h>

#include "app/gdi_canvas_win.h"

namespace vorsant {

class PictureSource {
 public:
  // Paints at least `dirty` of the box's client area.
  virtual void PaintPicture(HDC dc, const RECT& dirty) = 0;

 protected:
  ~PictureSource() = default;
};

// A visible child of `parent` with control id `id`, placed later by its
// parent, painted by `source` until DetachPictureBox. Nullptr on failure.
HWND CreatePictureBox(HWND parent, int id, PictureSource& source);
// From here on the box no longer comes back to its source, for a source
// that goes before the box's window; it shows the button face.
void DetachPictureBox(HWND box);
// The bitmap at the box's origin, or the button face while there is none.
void PaintBitmapOrFace(HDC dc, const RECT& dirty, const OffscreenBitmap* bitmap);

}  // namespace vorsant
