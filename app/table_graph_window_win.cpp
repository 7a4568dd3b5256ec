#include "app/table_graph_window_win.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "app/dialogs_win.h"
#include "app/report_font_win.h"
#include "app/resource_ids.h"
#include "graphs/scale_graphs.h"

namespace vorsant {
namespace {

constexpr wchar_t kWindowClass[] = L"VorsantTableGraphWindow";
constexpr wchar_t kPictureClass[] = L"VorsantTableGraphPicture";
// A single border and the close button only, like the graph windows.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr int kTablePadding = 4;
// Room for the text box's own margins beside the widest line.
constexpr int kTableMarginColumns = 2;
constexpr int kLeastTableLines = 6;

void ShowUnexpected(HWND wnd, const char* what) {
  MessageBoxW(wnd, Widen(what).c_str(), L"Error", MB_OK | MB_ICONERROR);
}

TEXTMETRICW Metrics(HWND wnd, HFONT font) {
  WindowDc dc(wnd);
  SelectGuard select(dc.Get(), font);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc.Get(), &tm);
  return tm;
}

}  // namespace

TableGraphWindow::~TableGraphWindow() {
  if (wnd_) {
    // Destroyed before its window: the window must not come back for it.
    closing_ = true;
    SetWindowLongPtrW(wnd_, GWLP_USERDATA, 0);
    if (picture_) SetWindowLongPtrW(picture_, GWLP_USERDATA, 0);
    DestroyWindow(std::exchange(wnd_, nullptr));
  }
}

bool TableGraphWindow::Create(HWND owner, int tableLines, int tableColumns) {
  static const bool registered = [] {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterWindowClass(instance, kWindowClass, WndProc, ClassLook::kIconAndButtonFace);
    RegisterWindowClass(instance, kPictureClass, PictureProc, ClassLook::kPlain);
    return true;
  }();
  (void)registered;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  HWND wnd = CreateWindowExW(0, kWindowClass, Caption(), kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                             kScaleGraphWidth, kScaleGraphHeight, owner, nullptr, instance, this);
  if (!wnd) return false;
  uiFont_.Reset(CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
  tableFont_.Reset(CreateReportFont(wnd));
  const TEXTMETRICW tm = Metrics(wnd, tableFont_.Get());

  // As wide as the wider of the picture and the table, the picture centred
  // under the table.
  const int tableWidth = (tableColumns + kTableMarginColumns) * tm.tmAveCharWidth + 2 * kTablePadding;
  int width = std::max(kScaleGraphWidth, tableWidth);
  const int band = BandHeight();
  int tableHeight = tableLines * tm.tmHeight + 2 * kTablePadding;
  SetClientSize(wnd, width, band + tableHeight + kScaleGraphHeight);
  // On a screen too short for the whole text the table scrolls, so that the
  // picture stays on the screen.
  DWORD scroll = 0;
  RECT frame{}, client{}, work{};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (GetWindowRect(wnd, &frame) && GetClientRect(wnd, &client) &&
      GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
    work = monitor.rcWork;
    // Worked out rather than read back: the system keeps a window within the
    // screen's size, whatever its client area asks for.
    const int frameHeight = (frame.bottom - frame.top) - (client.bottom - client.top);
    const int over = frameHeight + band + tableHeight + kScaleGraphHeight - (work.bottom - work.top);
    if (over > 0) {
      tableHeight = std::max<int>(tableHeight - over, kLeastTableLines * tm.tmHeight + 2 * kTablePadding);
      width += GetSystemMetrics(SM_CXVSCROLL);
      SetClientSize(wnd, width, band + tableHeight + kScaleGraphHeight);
      scroll = WS_VSCROLL;
    }
    // Moved up as far as it needs to be to end on the screen.
    GetWindowRect(wnd, &frame);
    if (frame.bottom > work.bottom) {
      SetWindowPos(wnd, nullptr, frame.left, std::max(work.top, work.bottom - (frame.bottom - frame.top)), 0,
                   0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }

  CreateBand(wnd, uiFont_.Get());
  table_ = CreateWindowExW(
      0, L"EDIT", L"",
      WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL | scroll,
      kTablePadding, band + kTablePadding, width - 2 * kTablePadding, tableHeight - 2 * kTablePadding, wnd,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_MODEL_TABLE)), instance, nullptr);
  picture_ =
      CreateWindowExW(0, kPictureClass, L"", WS_CHILD | WS_VISIBLE, (width - kScaleGraphWidth) / 2,
                      band + tableHeight, kScaleGraphWidth, kScaleGraphHeight, wnd,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_GRAPH_IMAGE)), instance, nullptr);
  if (!table_ || !picture_) return false;
  SendMessageW(table_, WM_SETFONT, reinterpret_cast<WPARAM>(tableFont_.Get()), FALSE);
  SetWindowLongPtrW(picture_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return true;
}

void TableGraphWindow::Show() {
  ShowWindow(wnd_, SW_SHOWNORMAL);
  UpdateWindow(wnd_);
}

void TableGraphWindow::HandOver(std::unique_ptr<TableGraphWindow> window) {
  window->ownedByWindow_ = true;
  window.release();
}

void TableGraphWindow::SetTable(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) text += "\r\n";
    text += lines[i];
  }
  SetWindowTextUtf8(table_, text);
}

void TableGraphWindow::DrawPicture(const std::function<void(Canvas&)>& draw) {
  WindowDc screen(picture_);
  auto bitmap = std::make_unique<OffscreenBitmap>(screen.Get(), kScaleGraphWidth, kScaleGraphHeight);
  GdiCanvas canvas(bitmap->Dc());
  draw(canvas);
  bitmap_ = std::move(bitmap);
  InvalidateRect(picture_, nullptr, FALSE);
  UpdateWindow(picture_);
}

LRESULT TableGraphWindow::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (lp) OnCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(wnd_, focus)) focus_ = focus;
      } else if (focus_ && IsWindow(focus_)) {
        SetFocus(focus_);
        return 0;
      }
      break;
    case WM_CLOSE:
    case WM_DESTROY:
      closing_ = true;
      break;
    default:
      if (msg >= WM_APP && msg <= 0xBFFF) {
        if (!closing_) OnPosted(msg, wp);
        return 0;
      }
  }
  return DefWindowProcW(wnd_, msg, wp, lp);
}

LRESULT CALLBACK TableGraphWindow::WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<TableGraphWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->wnd_ = wnd;
    SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TableGraphWindow*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
    if (self) {
      self->wnd_ = nullptr;
      self->table_ = nullptr;
      self->picture_ = nullptr;
      self->focus_ = nullptr;
      if (self->ownedByWindow_) delete self;
    }
    return DefWindowProcW(wnd, msg, wp, lp);
  }
  if (!self) return DefWindowProcW(wnd, msg, wp, lp);
  try {
    return self->Handle(msg, wp, lp);
  } catch (const std::exception& e) {
    ShowUnexpected(wnd, e.what());
  } catch (...) {
    ShowUnexpected(wnd, "Unexpected error.");
  }
  return 0;
}

LRESULT CALLBACK TableGraphWindow::PictureProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ERASEBKGND) return 1;
  if (msg != WM_PAINT) return DefWindowProcW(wnd, msg, wp, lp);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(wnd, &ps);
  auto* self = reinterpret_cast<TableGraphWindow*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
  if (self && self->bitmap_)
    self->bitmap_->CopyTo(dc, 0, 0);
  else
    FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
  EndPaint(wnd, &ps);
  return 0;
}

}  // namespace vorsant
