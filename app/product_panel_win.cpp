#include "app/dialogs_win.h"
#include "app/dpi_win.h"
#include "app/main_form.h"
#include "app/resource_ids.h"
#include "app/win_handles.h"

namespace vorsant {
namespace {

constexpr wchar_t kPanelClass[] = L"VorsantProductPanel";
constexpr wchar_t kSplashClass[] = L"VorsantSplash";
constexpr int kPictureWidth = 450;
constexpr int kPictureHeight = 213;
constexpr wchar_t kComment[] = L"Filtration trials, from the laboratory to the production filter";

// The product picture: a vineyard at dusk behind a glass of red wine.
void PaintPicture(HDC dc, int left, int top) {
  for (int y = 0; y < kPictureHeight; ++y) {
    double t = static_cast<double>(y) / kPictureHeight;
    UniqueBrush row(CreateSolidBrush(
        RGB(static_cast<int>(70 + 170 * t), static_cast<int>(30 + 150 * t), static_cast<int>(70 + 100 * t))));
    RECT r{left, top + y, left + kPictureWidth, top + y + 1};
    FillRect(dc, &r, row.Get());
  }
  HRGN clip = CreateRectRgn(left, top, left + kPictureWidth, top + kPictureHeight);
  SelectClipRgn(dc, clip);
  {
    UniqueBrush hill(CreateSolidBrush(RGB(52, 90, 40)));
    UniquePen none(CreatePen(PS_NULL, 0, 0));
    SelectGuard b(dc, hill.Get());
    SelectGuard p(dc, none.Get());
    Ellipse(dc, left - 120, top + 150, left + 260, top + 330);
    UniqueBrush distant(CreateSolidBrush(RGB(80, 120, 60)));
    SelectGuard b2(dc, distant.Get());
    Ellipse(dc, left + 180, top + 140, left + 560, top + 320);
  }
  {
    // Rows of vines on the hills.
    UniquePen vine(CreatePen(PS_SOLID, 1, RGB(30, 60, 25)));
    SelectGuard p(dc, vine.Get());
    for (int i = 0; i < 9; ++i) {
      MoveToEx(dc, left + 10 + 40 * i, top + 213, nullptr);
      LineTo(dc, left + 150 + 15 * i, top + 170);
    }
  }
  {
    // The glass: bowl, wine, stem and foot.
    const int cx = left + 330, rim = top + 28;
    UniquePen outline(CreatePen(PS_SOLID, 2, RGB(230, 235, 245)));
    UniqueBrush wine(CreateSolidBrush(RGB(128, 14, 40)));
    SelectGuard p(dc, outline.Get());
    SelectGuard b(dc, wine.Get());
    Chord(dc, cx - 48, rim - 20, cx + 48, rim + 110, cx - 48, rim + 40, cx + 48, rim + 40);
    UniqueBrush air(CreateSolidBrush(RGB(200, 190, 210)));
    SelectGuard b2(dc, air.Get());
    Chord(dc, cx - 48, rim - 20, cx + 48, rim + 110, cx + 48, rim + 40, cx - 48, rim + 40);
    MoveToEx(dc, cx, rim + 110, nullptr);
    LineTo(dc, cx, rim + 160);
    MoveToEx(dc, cx - 32, rim + 162, nullptr);
    LineTo(dc, cx + 33, rim + 162);
  }
  SelectClipRgn(dc, nullptr);
  DeleteObject(clip);
}

void PaintPanel(HWND wnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(wnd, &ps);
  // The panel is drawn at 96 DPI and scaled by the device context, so the
  // picture and its texts keep their places at every scale.
  const UINT dpi = WindowDpi(wnd);
  if (dpi != kBaseDpi) {
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, kBaseDpi, kBaseDpi, nullptr);
    SetViewportExtEx(dc, static_cast<int>(dpi), static_cast<int>(dpi), nullptr);
  }
  RECT r;
  GetClientRect(wnd, &r);
  DPtoLP(dc, reinterpret_cast<POINT*>(&r), 2);
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
  PaintPicture(dc, 9, 9);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  UniqueFont nameFont(
      CreateFontW(-19, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"MS Sans Serif"));
  UniqueFont textFont(CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
  {
    SelectGuard f(dc, nameFont.Get());
    std::wstring name = Widen(kProductName);
    TextOutW(dc, 12, 236, name.c_str(), static_cast<int>(name.size()));
  }
  SelectGuard f(dc, textFont.Get());
  std::wstring version = Widen(kVersionText);
  TextOutW(dc, 12, 266, version.c_str(), static_cast<int>(version.size()));
  TextOutW(dc, 12, 290, kComment, static_cast<int>(wcslen(kComment)));
  EndPaint(wnd, &ps);
}

LRESULT CALLBACK PanelProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    PaintPanel(wnd);
    return 0;
  }
  return DefWindowProcW(wnd, msg, wp, lp);
}

INT_PTR CALLBACK AboutProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG: {
      DpiScale px(dlg);
      SetClientSize(dlg, px(485), px(388));
      CenterWindow(dlg, GetWindow(dlg, GW_OWNER));
      MoveWindow(GetDlgItem(dlg, IDC_PRODUCT_PANEL), px(8), px(8), px(469), px(320), FALSE);
      MoveWindow(GetDlgItem(dlg, IDOK), px(205), px(344), px(75), px(25), FALSE);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
        EndDialog(dlg, IDOK);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

void RegisterProductPanel(HINSTANCE instance) {
  RegisterWindowClass(instance, kPanelClass, PanelProc, ClassLook::kPlain);
  RegisterWindowClass(instance, kSplashClass, DefWindowProcW, ClassLook::kButtonFace);
}

void RunAboutBox(HWND owner) {
  DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutProc, 0);
}

void ShowSplashFor(int milliseconds) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  HWND splash = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kSplashClass, L"VORSANT", WS_POPUP, 0, 0,
                                484, 336, nullptr, nullptr, instance, nullptr);
  if (!splash) return;
  DpiScale px(splash);
  SetClientSize(splash, px(484), px(336));
  CenterWindow(splash, nullptr);
  CreateWindowExW(0, kPanelClass, L"", WS_CHILD | WS_VISIBLE, px(8), px(8), px(468), px(320), splash,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PRODUCT_PANEL)), instance, nullptr);
  ShowWindow(splash, SW_SHOWNOACTIVATE);
  UpdateWindow(splash);
  RedrawWindow(splash, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(static_cast<DWORD>(milliseconds));
  DestroyWindow(splash);
}

}  // namespace vorsant
