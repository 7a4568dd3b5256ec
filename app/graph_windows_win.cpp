#include "app/graph_windows_win.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "app/dialogs_win.h"
#include "app/dpi_win.h"
#include "app/resource_ids.h"
#include "app/win_handles.h"
#include "graphs/scale_graphs.h"

namespace vorsant {
namespace {

constexpr wchar_t kWindowClass[] = L"VorsantGraphWindow";
// A single border and the close button only: the picture has one size.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

}  // namespace

GraphWindow::~GraphWindow() {
  // The picture's control must not come back for this object either.
  DetachPictureBox(image_);
}

bool GraphWindow::Create(HWND owner) {
  DpiScale ownerPx(owner);
  RECT frame{0, 0, ownerPx(kScaleGraphWidth), ownerPx(kScaleGraphHeight)};
  AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
  if (!CreateOwned(kWindowClass, ClassLook::kIconAndButtonFace, 0, kWindowStyle, L"", CW_USEDEFAULT,
                   CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, owner))
    return false;
  HWND wnd = Handle();
  const UINT dpi = WindowDpi(wnd);
  // On a screen too small for the picture at the window's scale, the window
  // takes the largest size that fits the work area, and the picture is drawn
  // at the scale of that size rather than stretched.
  RECT border{0, 0, 0, 0};
  AdjustWindowRectEx(&border, kWindowStyle, FALSE, 0);
  const RECT work = WorkArea(owner);
  const int roomWidth = (work.right - work.left) - (border.right - border.left);
  const int roomHeight = (work.bottom - work.top) - (border.bottom - border.top);
  drawDpi_ = std::max<UINT>(24, std::min({dpi, static_cast<UINT>(std::max(0, roomWidth) * 96 / kScaleGraphWidth),
                                          static_cast<UINT>(std::max(0, roomHeight) * 96 / kScaleGraphHeight)}));
  const DpiScale px(drawDpi_);
  SetClientSize(wnd, px(kScaleGraphWidth), px(kScaleGraphHeight));
  PlaceCascaded(owner);
  image_ = CreatePictureBox(wnd, IDC_GRAPH_IMAGE, *this);
  if (!image_) return false;
  MoveWindow(image_, 0, 0, px(kScaleGraphWidth), px(kScaleGraphHeight), FALSE);
  return true;
}

void GraphWindow::Show() {
  ShowWindow(Handle(), SW_SHOWNORMAL);
  UpdateWindow(Handle());
}

void GraphWindow::FormCreate(const TWineRec& WineRec) {
  SetWindowTextW(Handle(), Caption());
  // Drawn from a copy taken now; later changes of the trial are not seen.
  const TWineRec rec = WineRec;
  WindowDc screen(image_);
  const DpiScale px(drawDpi_);
  auto picture = std::make_unique<OffscreenBitmap>(screen.Get(), px(kScaleGraphWidth), px(kScaleGraphHeight));
  GdiCanvas canvas(picture->Dc(), drawDpi_);
  Draw(canvas, rec);
  picture_ = std::move(picture);
  InvalidateRect(image_, nullptr, FALSE);
  UpdateWindow(image_);
}

void GraphWindow::PaintPicture(HDC dc, const RECT& dirty) {
  if (!picture_) {
    PaintBitmapOrFace(dc, dirty, nullptr);
    return;
  }
  RECT client;
  GetClientRect(image_, &client);
  // The picture is stretched to the control, which has its size.
  StretchBlt(dc, 0, 0, client.right, client.bottom, picture_->Dc(), 0, 0, picture_->Width(),
             picture_->Height(), SRCCOPY);
}

LRESULT GraphWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DPICHANGED) {
    // The window keeps only its picture, so on a monitor of another scale
    // the picture is stretched to the new size.
    MoveToSuggestedRect(Handle(), lp);
    RECT client{};
    GetClientRect(Handle(), &client);
    MoveWindow(image_, 0, 0, client.right, client.bottom, TRUE);
    return 0;
  }
  return OwnedWindow::HandleMessage(msg, wp, lp);
}

void TGraphWinLab::Draw(Canvas& canvas, const TWineRec& rec) const {
  DrawLabGraph(canvas, rec);
}

void TGraphWinProd::Draw(Canvas& canvas, const TWineRec& rec) const {
  DrawProdGraph(canvas, rec);
}

void OpenGraphWindow(HWND owner, GraphWindowKind kind, const TWineRec& rec) {
  std::unique_ptr<GraphWindow> window;
  if (kind == GraphWindowKind::Laboratory)
    window = std::make_unique<TGraphWinLab>();
  else
    window = std::make_unique<TGraphWinProd>();
  if (!window->Create(owner)) return;
  window->Show();
  window->FormCreate(rec);
  OwnedWindow::HandOver(std::move(window));
}

}  // namespace vorsant
