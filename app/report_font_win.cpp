#include "app/report_font_win.h"

#include <cwchar>

#include "app/dpi_win.h"
#include "app/win_handles.h"

namespace vorsant {
namespace {

int CALLBACK FontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FontInstalled(HDC dc, const wchar_t* face) {
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  wcsncpy_s(lf.lfFaceName, face, LF_FACESIZE - 1);
  bool found = false;
  EnumFontFamiliesExW(dc, &lf, FontFound, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

}  // namespace

HFONT CreateReportFont(HWND wnd) {
  WindowDc dc(wnd);
  const wchar_t* face = L"";
  for (const wchar_t* candidate :
       {L"Consolas", L"Courier New", L"DejaVu Sans Mono", L"Liberation Mono", L"Lucida Console"}) {
    if (FontInstalled(dc.Get(), candidate)) {
      face = candidate;
      break;
    }
  }
  DpiScale px(wnd);
  return CreateFontW(-px(11), px(6), 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, face);
}

}  // namespace vorsant
