#pragma once
// The report's fixed-pitch font, for every window that shows a table the
// user reads column by column.

#include <windows.h>

namespace vorsant {

// Consolas where it is installed, otherwise the first fixed-pitch face
// found, 8 point with a 6-pixel advance (at 96 DPI; scaled to the window's)
// whatever the face, so tables keep their widths. The caller owns the font.
HFONT CreateReportFont(HWND wnd);

}  // namespace vorsant
