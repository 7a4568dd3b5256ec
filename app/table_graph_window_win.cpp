#include "app/table_graph_window_win.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "app/dialogs_win.h"
#include "app/dpi_win.h"
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

HFONT InterfaceFont(const DpiScale& px) {
  return CreateFontW(-px(11), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
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
  // Destroyed before its window: the window must not come back for it.
  closing_ = true;
  if (picture_) SetWindowLongPtrW(picture_, GWLP_USERDATA, 0);
  Destroy();
}

bool TableGraphWindow::Create(HWND owner, int tableLines, int tableColumns) {
  static const bool registered = [] {
    RegisterWindowClass(GetModuleHandleW(nullptr), kPictureClass, PictureProc, ClassLook::kPlain);
    return true;
  }();
  (void)registered;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  const DpiScale ownerPx(owner);
  if (!CreateOwned(kWindowClass, ClassLook::kIconAndButtonFace, 0, kWindowStyle, Caption(), CW_USEDEFAULT,
                   CW_USEDEFAULT, ownerPx(kScaleGraphWidth), ownerPx(kScaleGraphHeight), owner))
    return false;
  HWND wnd = Handle();
  const DpiScale px(wnd);
  dpi_ = px.Dpi();
  const int graphWidth = px(kScaleGraphWidth), graphHeight = px(kScaleGraphHeight);
  const int padding = px(kTablePadding);
  uiFont_.Reset(InterfaceFont(px));
  tableFont_.Reset(CreateReportFont(wnd));
  const TEXTMETRICW tm = Metrics(wnd, tableFont_.Get());

  // As wide as the wider of the picture and the table, the picture centred
  // under the table.
  const int tableWidth = (tableColumns + kTableMarginColumns) * tm.tmAveCharWidth + 2 * padding;
  int width = std::max(graphWidth, tableWidth);
  const int band = px(BandHeight());
  int tableHeight = tableLines * tm.tmHeight + 2 * padding;
  SetClientSize(wnd, width, band + tableHeight + graphHeight);
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
    const int over = frameHeight + band + tableHeight + graphHeight - (work.bottom - work.top);
    if (over > 0) {
      tableHeight = std::max<int>(tableHeight - over, kLeastTableLines * tm.tmHeight + 2 * padding);
      width += GetSystemMetrics(SM_CXVSCROLL);
      SetClientSize(wnd, width, band + tableHeight + graphHeight);
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
      WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL | scroll, padding,
      band + padding, width - 2 * padding, tableHeight - 2 * padding, wnd,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_MODEL_TABLE)), instance, nullptr);
  picture_ = CreateWindowExW(
      0, kPictureClass, L"", WS_CHILD | WS_VISIBLE, (width - graphWidth) / 2, band + tableHeight, graphWidth,
      graphHeight, wnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_GRAPH_IMAGE)), instance, nullptr);
  if (!table_ || !picture_) return false;
  SendMessageW(table_, WM_SETFONT, reinterpret_cast<WPARAM>(tableFont_.Get()), FALSE);
  SetWindowLongPtrW(picture_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return true;
}

void TableGraphWindow::Show() {
  ShowWindow(Handle(), SW_SHOWNORMAL);
  UpdateWindow(Handle());
}

void TableGraphWindow::SetTable(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) text += "\r\n";
    text += lines[i];
  }
  SetWindowTextUtf8(table_, text);
}

void TableGraphWindow::DrawPicture(std::function<void(Canvas&)> draw) {
  draw_ = std::move(draw);
  WindowDc screen(picture_);
  const DpiScale px(dpi_);
  auto bitmap = std::make_unique<OffscreenBitmap>(screen.Get(), px(kScaleGraphWidth), px(kScaleGraphHeight));
  GdiCanvas canvas(bitmap->Dc(), dpi_);
  draw_(canvas);
  bitmap_ = std::move(bitmap);
  InvalidateRect(picture_, nullptr, FALSE);
  UpdateWindow(picture_);
}

void TableGraphWindow::OnDpiChanged(UINT dpi, LPARAM suggested) {
  const UINT old = std::exchange(dpi_, dpi);
  MoveToSuggestedRect(Handle(), suggested);
  const DpiScale px(dpi_);
  uiFont_.Reset(InterfaceFont(px));
  tableFont_.Reset(CreateReportFont(Handle()));
  const auto scale = [&](LONG v) { return MulDiv(v, static_cast<int>(dpi_), static_cast<int>(old)); };
  for (HWND child = GetWindow(Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r), 2);
    MoveWindow(child, scale(r.left), scale(r.top), scale(r.right - r.left), scale(r.bottom - r.top), TRUE);
    if (child != picture_)
      SendMessageW(child, WM_SETFONT,
                   reinterpret_cast<WPARAM>(child == table_ ? tableFont_.Get() : uiFont_.Get()), TRUE);
  }
  if (draw_) DrawPicture(draw_);
}

LRESULT TableGraphWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (lp) OnCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(Handle(), focus)) focus_ = focus;
      } else if (focus_ && IsWindow(focus_)) {
        SetFocus(focus_);
        return 0;
      }
      break;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wp), lp);
      return 0;
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
  return OwnedWindow::HandleMessage(msg, wp, lp);
}

void TableGraphWindow::WindowDestroyed() {
  table_ = nullptr;
  picture_ = nullptr;
  focus_ = nullptr;
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
