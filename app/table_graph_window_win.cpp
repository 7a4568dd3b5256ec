#include "app/table_graph_window_win.h"

#include <commctrl.h>

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
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr int kTablePadding = 4;
// Room for the text box's own margins beside the widest line.
constexpr int kTableMarginColumns = 2;
// The fewest lines the scrolling text shows before the picture gives up
// height.
constexpr int kLeastTableLines = 4;
// The smallest picture, at 96 DPI, and the narrowest window.
constexpr int kLeastPictureHeight = kScaleGraphHeight / 2;
constexpr int kLeastWidth = 360;

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

void SelectAll(HWND box) {
  SendMessageW(box, EM_SETSEL, 0, -1);
}

LRESULT CALLBACK KeyedBox(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  if (msg == WM_KEYDOWN && wp == VK_TAB) {
    if (HWND next = GetNextDlgTabItem(GetParent(wnd), wnd, GetKeyState(VK_SHIFT) < 0)) {
      SetFocus(next);
      SelectAll(next);
    }
    return 0;
  }
  if (msg == WM_KEYDOWN && wp == 'A' && GetKeyState(VK_CONTROL) < 0) {
    SelectAll(wnd);
    return 0;
  }
  // Escape in a dropped-down list closes the list, not the window.
  const bool dropped = msg == WM_KEYDOWN && wp == VK_ESCAPE && SendMessageW(wnd, CB_GETDROPPEDSTATE, 0, 0);
  if (!dropped && OwnedWindow::CloseOnEscape(wnd, msg, wp)) return 0;
  // Their characters, which the box would only answer with a beep.
  if (msg == WM_CHAR && (wp == L'\t' || wp == 0x1B || wp == 0x01)) return 0;
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(wnd, KeyedBox, 0);
  return DefSubclassProc(wnd, msg, wp, lp);
}

// A read-only box of fixed-pitch lines, scrolling both ways.
HWND TextBox(HWND wnd, int id) {
  return CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                         WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL |
                             ES_AUTOVSCROLL | WS_VSCROLL | WS_HSCROLL,
                         0, 0, 0, 0, wnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), nullptr);
}

std::string JoinedLines(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) text += "\r\n";
    text += lines[i];
  }
  return text;
}

}  // namespace

TableGraphWindow::~TableGraphWindow() {
  // Destroyed before its window: the window must not come back for it.
  closing_ = true;
  DetachPictureBox(picture_);
  Destroy();
}

void TableGraphWindow::TakeKeys(HWND control) {
  SetWindowSubclass(control, KeyedBox, 0, 0);
}

int TableGraphWindow::TableHeight(int lines) const {
  const TEXTMETRICW tm = Metrics(Handle(), tableFont_.Get());
  const DpiScale px(dpi_);
  // The text, the box's edge and its horizontal scroll bar.
  return lines * tm.tmHeight + 2 * px(kTablePadding) + px(4) + GetSystemMetrics(SM_CYHSCROLL);
}

bool TableGraphWindow::Create(HWND owner, int tableLines, int tableColumns, int noteLines) {
  const DpiScale ownerPx(owner);
  if (!CreateOwned(kWindowClass, ClassLook::kIconAndButtonFace, 0, kWindowStyle, Caption(), CW_USEDEFAULT,
                   CW_USEDEFAULT, ownerPx(kScaleGraphWidth), ownerPx(kScaleGraphHeight), owner))
    return false;
  HWND wnd = Handle();
  const DpiScale px(wnd);
  dpi_ = px.Dpi();
  lines_ = tableLines;
  noteLines_ = noteLines;
  uiFont_.Reset(InterfaceFont(px));
  tableFont_.Reset(CreateReportFont(wnd));

  CreateBand(wnd, uiFont_.Get());
  // In reading order, which is also the order of Tab.
  if (noteLines > 0) notes_ = TextBox(wnd, IDC_MODEL_VERDICT);
  table_ = TextBox(wnd, IDC_MODEL_TABLE);
  picture_ = CreatePictureBox(wnd, IDC_GRAPH_IMAGE, *this);
  if (!table_ || !picture_ || (noteLines > 0 && !notes_)) return false;
  for (HWND box : {notes_, table_}) {
    if (!box) continue;
    SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(tableFont_.Get()), FALSE);
    TakeKeys(box);
  }

  // As wide as the wider of the picture and the table, as tall as the band,
  // every line of the table and the picture; the work area may take less.
  const TEXTMETRICW tm = Metrics(wnd, tableFont_.Get());
  const int tableWidth = (tableColumns + kTableMarginColumns) * tm.tmAveCharWidth + 2 * px(kTablePadding) +
                         GetSystemMetrics(SM_CXVSCROLL) + px(4);
  SetClientSize(wnd, std::max(px(kScaleGraphWidth), tableWidth),
                px(BandHeight()) + (notes_ ? TableHeight(noteLines) : 0) + TableHeight(tableLines) +
                    px(kScaleGraphHeight));
  PlaceCascaded(owner);
  LayOut();
  return true;
}

void TableGraphWindow::LayOut() {
  if (!table_ || !picture_) return;
  RECT client{};
  GetClientRect(Handle(), &client);
  const DpiScale px(dpi_);
  const int padding = px(kTablePadding);
  const int band = px(BandHeight());
  // With notes, the table keeps every row and the notes scroll.
  const int fixed = notes_ ? std::min<int>(TableHeight(lines_), std::max<int>(0, client.bottom - band)) : 0;
  const int below = std::max<int>(0, client.bottom - band - fixed);
  const int full = TableHeight(notes_ ? noteLines_ : lines_);
  const int least = std::min(full, TableHeight(kLeastTableLines));
  // Every line while the picture keeps half its height; then the text
  // scrolls down to its fewest lines. Height left over goes to the text.
  int textHeight = std::min(full, std::max(least, below - px(kLeastPictureHeight)));
  textHeight = std::max(textHeight, below - px(kScaleGraphHeight));
  const int roomWidth = std::max<int>(0, client.right - 2 * padding);
  const int roomHeight = std::max(0, below - textHeight);
  if (notes_) {
    MoveWindow(notes_, padding, band, roomWidth, std::max(0, textHeight - padding), TRUE);
    MoveWindow(table_, padding, band + textHeight, roomWidth, std::max(0, fixed - padding), TRUE);
  } else {
    MoveWindow(table_, padding, band, roomWidth, std::max(0, textHeight - padding), TRUE);
  }
  const int pictureTop = band + fixed + textHeight;

  const UINT fit = std::min({dpi_, static_cast<UINT>(client.right * 96 / kScaleGraphWidth),
                             static_cast<UINT>(roomHeight * 96 / kScaleGraphHeight)});
  const UINT pictureDpi = std::max<UINT>(fit, 24);
  const DpiScale pictureScale(pictureDpi);
  const int width = pictureScale(kScaleGraphWidth), height = pictureScale(kScaleGraphHeight);
  MoveWindow(picture_, std::max<int>(0, (client.right - width) / 2), pictureTop, width, height, TRUE);
  if (pictureDpi != pictureDpi_) {
    pictureDpi_ = pictureDpi;
    Compose();
  }
  // The gaps the moved controls left (beside the table, round the picture)
  // are painted afresh rather than keeping what stood there.
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
}

void TableGraphWindow::OnMinMaxInfo(MINMAXINFO* info) const {
  const DpiScale px(dpi_);
  int bandWidth = 0;
  for (HWND child = GetWindow(Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (child == table_ || child == notes_ || child == picture_) continue;
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r), 2);
    bandWidth = std::max<int>(bandWidth, r.right + px(6));
  }
  const int text = notes_ ? TableHeight(lines_) + std::min(TableHeight(noteLines_), TableHeight(kLeastTableLines))
                          : std::min(TableHeight(lines_), TableHeight(kLeastTableLines));
  RECT r{0, 0, std::max(bandWidth, px(kLeastWidth)), px(BandHeight()) + text + px(kLeastPictureHeight) / 2};
  AdjustWindowRectEx(&r, kWindowStyle, FALSE, 0);
  info->ptMinTrackSize = {r.right - r.left, r.bottom - r.top};
}

void TableGraphWindow::Show() {
  ShowWindow(Handle(), SW_SHOWNORMAL);
  UpdateWindow(Handle());
}

void TableGraphWindow::SetTable(const std::vector<std::string>& lines) {
  SetWindowTextUtf8(table_, JoinedLines(lines));
  Resized(lines_, static_cast<int>(lines.size()));
}

void TableGraphWindow::SetNotes(const std::vector<std::string>& lines) {
  if (!notes_) return;
  SetWindowTextUtf8(notes_, JoinedLines(lines));
  Resized(noteLines_, static_cast<int>(lines.size()));
}

void TableGraphWindow::Resized(int& count, int lines) {
  // More lines make the window taller while the work area has room; past
  // that they take their height from the picture, then scroll.
  if (lines == count) return;
  const int more = TableHeight(lines) - TableHeight(count);
  count = lines;
  RECT frame{};
  GetWindowRect(Handle(), &frame);
  const RECT work = WorkArea(Handle());
  const int grow = std::min<int>(more, work.bottom - frame.bottom);
  if (grow > 0 && !IsZoomed(Handle())) {
    SetWindowPos(Handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top + grow,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  LayOut();
}

void TableGraphWindow::DrawPicture(std::function<void(Canvas&)> draw) {
  draw_ = std::move(draw);
  Compose();
}

void TableGraphWindow::Compose() {
  if (!draw_ || !picture_ || !pictureDpi_) return;
  WindowDc screen(picture_);
  const DpiScale px(pictureDpi_);
  auto bitmap = std::make_unique<OffscreenBitmap>(screen.Get(), px(kScaleGraphWidth), px(kScaleGraphHeight));
  // Drawn at the size it is shown; shrunk to fit a small screen, its text
  // stays at the window's DPI.
  GdiCanvas canvas(bitmap->Dc(), pictureDpi_, dpi_);
  draw_(canvas);
  bitmap_ = std::move(bitmap);
  InvalidateRect(picture_, nullptr, FALSE);
}

void TableGraphWindow::OnDpiChanged(UINT dpi, LPARAM suggested) {
  const UINT old = std::exchange(dpi_, dpi);
  const DpiScale px(dpi_);
  uiFont_.Reset(InterfaceFont(px));
  tableFont_.Reset(CreateReportFont(Handle()));
  const auto scale = [&](LONG v) { return MulDiv(v, static_cast<int>(dpi_), static_cast<int>(old)); };
  for (HWND child = GetWindow(Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (child == picture_) continue;
    const bool text = child == table_ || child == notes_;
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(text ? tableFont_.Get() : uiFont_.Get()), TRUE);
    if (text) continue;
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r), 2);
    MoveWindow(child, scale(r.left), scale(r.top), scale(r.right - r.left), scale(r.bottom - r.top), TRUE);
  }
  pictureDpi_ = 0;
  // The new size lays the table and the picture out again.
  MoveToSuggestedRect(Handle(), suggested);
  LayOut();
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
    case WM_SIZE:
      if (wp != SIZE_MINIMIZED) LayOut();
      return 0;
    case WM_GETMINMAXINFO:
      if (table_) OnMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lp));
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

void TableGraphWindow::PaintPicture(HDC dc, const RECT& dirty) {
  PaintBitmapOrFace(dc, dirty, bitmap_.get());
}

}  // namespace vorsant
