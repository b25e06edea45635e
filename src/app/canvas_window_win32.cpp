#include "app/canvas_window_win32.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "win32/font_face_win32.h"
#include "core/monitors_win32.h"
#include "win32/window_proc_win32.h"
#include "res/resource.h"

namespace petariko {
namespace {

constexpr wchar_t kCanvasClass[] = L"PetarikoCanvas";
constexpr int kLabelPadding = 2;
// 14.25 pt, in hundredths of a point.
constexpr int kLabelPointsX100 = 1425;

// The mouse buttons held during a move, as the cut-out logic counts them.
int HeldButtons(WPARAM wparam) {
  int held = 0;
  if (wparam & MK_LBUTTON) held |= kMouseLeft;
  if (wparam & MK_RBUTTON) held |= kMouseRight;
  if (wparam & MK_MBUTTON) held |= kMouseMiddle;
  return held;
}

// The key of a WM_KEYDOWN as the cut-out logic names it: letters and digits as upper-case
// characters (their virtual-key codes), the keypad's digits as the others.
char ControlKey(WPARAM virtual_key) {
  if (virtual_key >= VK_NUMPAD0 && virtual_key <= VK_NUMPAD9) return static_cast<char>('0' + virtual_key - VK_NUMPAD0);
  if ((virtual_key >= '0' && virtual_key <= '9') || (virtual_key >= 'A' && virtual_key <= 'Z')) {
    return static_cast<char>(virtual_key);
  }
  return 0;
}

// The arrow strip whose cells have this side (one of kMarkImageSides).
int ArrowStripResource(int side) {
  switch (side) {
    case 40: return IDB_ARROWS_40;
    case 48: return IDB_ARROWS_48;
    case 64: return IDB_ARROWS_64;
    case 96: return IDB_ARROWS_96;
    case 128: return IDB_ARROWS_128;
    default: return IDB_ARROWS;
  }
}

}  // namespace

void DibSurface::Resize(HDC reference, int width, int height) {
  if (dc_ && width == width_ && height == height_) return;
  Release();
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.reset(Check(CreateDIBSection(reference, &info, DIB_RGB_COLORS, &bits, nullptr, 0), "CreateDIBSection"));
  dc_.reset(Check(CreateCompatibleDC(reference), "CreateCompatibleDC"));
  previous_ = SelectObject(dc_.get(), bitmap_.get());
  bits_ = static_cast<std::uint8_t*>(bits);
  width_ = width;
  height_ = height;
}

void DibSurface::Swap(DibSurface& other) {
  std::swap(dc_, other.dc_);
  std::swap(bitmap_, other.bitmap_);
  std::swap(previous_, other.previous_);
  std::swap(bits_, other.bits_);
  std::swap(width_, other.width_);
  std::swap(height_, other.height_);
}

void DibSurface::Release() {
  if (dc_ && previous_) SelectObject(dc_.get(), previous_);
  previous_ = nullptr;
  dc_.reset();
  bitmap_.reset();
  bits_ = nullptr;
  width_ = height_ = 0;
}

CanvasWindow::CanvasWindow(HINSTANCE instance) : instance_(instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;  // the double-click erases the cut-out
  wc.lpfnWndProc = MemberWindowProc<CanvasWindow, &CanvasWindow::hwnd_, &CanvasWindow::HandleMessage>;
  wc.hInstance = instance_;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_PETARIKO));
  wc.lpszClassName = kCanvasClass;
  Check(RegisterClassExW(&wc), "RegisterClassExW");
  // No border or caption, so the client area starts at the window's corner; a tool window has
  // no task-bar button.
  window_.reset(Check(CreateWindowExW(WS_EX_TOOLWINDOW, kCanvasClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                      nullptr, instance_, this),
                      "CreateWindowExW"));
  arrows_dc_.reset(Check(CreateCompatibleDC(nullptr), "CreateCompatibleDC"));
  LoadMarkImages(kMarkDesignSide);
}

CanvasWindow::~CanvasWindow() {
  if (arrows_dc_ && arrows_previous_) SelectObject(arrows_dc_.get(), arrows_previous_);
  window_.reset();
  UnregisterClassW(kCanvasClass, instance_);
}

void CanvasWindow::LoadMarkImages(int side) {
  if (side == mark_image_side_) return;
  // Both are had before either is replaced, so that a failure keeps the last trace's pair.
  UniqueIcon icon(static_cast<HICON>(
      Check(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_PETARIKO), IMAGE_ICON, side, side, 0), "LoadImageW icon")));
  UniqueBitmap arrows(static_cast<HBITMAP>(Check(
      LoadImageW(instance_, MAKEINTRESOURCEW(ArrowStripResource(side)), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION),
      "LoadImageW arrows")));
  const HGDIOBJ previous = SelectObject(arrows_dc_.get(), arrows.get());
  if (!arrows_previous_) arrows_previous_ = previous;
  icon_ = std::move(icon);
  arrows_ = std::move(arrows);  // the strip it replaces is no longer selected
  mark_image_side_ = side;
}

void CanvasWindow::CreateLabelFont(int dpi) {
  LOGFONTW font{};
  font.lfHeight = -MulDiv(kLabelPointsX100, dpi, 7200);
  font.lfWeight = FW_BOLD;
  font.lfCharSet = SHIFTJIS_CHARSET;
  font.lfQuality = DEFAULT_QUALITY;
  wcsncpy_s(font.lfFaceName, JapaneseFontFace().c_str(), _TRUNCATE);
  label_font_.reset(Check(CreateFontIndirectW(&font), "CreateFontIndirectW"));
  label_font_dpi_ = dpi;
}

// ---- The frozen screen while tracing ----

void CanvasWindow::CoverScreen() {
  // Placed together with the showing: one window operation instead of two while the user waits.
  cover_on_show_ = true;
}

void CanvasWindow::Freeze() {
  const Rect desktop = VirtualScreen(DisplayMonitors());
  ScopedGetDc screen(nullptr);
  frozen_.Resize(screen.get(), desktop.width(), desktop.height());
  // Copied from the desktop's corner, where the window's client area starts, so the frozen
  // picture lies exactly over what it shows.
  Check(BitBlt(frozen_.dc(), 0, 0, frozen_.width(), frozen_.height(), screen.get(), desktop.left, desktop.top,
               SRCCOPY),
        "BitBlt");
  origin_ = desktop.corner();
  // The frozen bits are read directly by a save; nothing draws on them after this.
  GdiFlush();
  marks_.clear();
  label_.reset();
}

void CanvasWindow::DrawStartMarker(TraceMode mode, Point centre) {
  // The whole trace is drawn at the scale of the monitor where it began, where the user looks.
  marks_dpi_ = MonitorDpi(centre);
  const int side = MarkSide(marks_dpi_);
  LoadMarkImages(MarkImageSide(side));
  const Point top_left = MarkerCorner(centre, marks_dpi_);
  if (mode == TraceMode::kGesture) {
    AddMark({Mark::Kind::kArrow, top_left, {}, {}, 1, side});
  } else {
    AddMark({Mark::Kind::kIcon, top_left, {}, {}, 0, side});
  }
}

void CanvasWindow::DrawLine(Point from, Point to, Rgb colour) {
  AddMark({Mark::Kind::kLine, from, to, colour, 0, PenWidth(marks_dpi_)});
}

void CanvasWindow::Show() {
  if (cover_on_show_) {
    cover_on_show_ = false;
    Check(SetWindowPos(hwnd(), HWND_TOPMOST, origin_.x, origin_.y, frozen_.width(), frozen_.height(),
                       SWP_FRAMECHANGED | SWP_SHOWWINDOW),
          "SetWindowPos");
  } else {
    ShowWindow(hwnd(), SW_SHOW);
  }
  // Paint now, so the frozen screen is up before the next tick samples the cursor.
  UpdateWindow(hwnd());
}

void CanvasWindow::Hide() {
  ShowWindow(hwnd(), SW_HIDE);
  // A trace that ends without a cut-out gives the desktop-sized picture back at once; a cut-out
  // hidden for a menu action keeps its piece.
  if (!holds_cutout_) ReleasePicture();
}

void CanvasWindow::ReleasePicture() {
  frozen_.Release();
  std::vector<Mark>().swap(marks_);
  label_.reset();
  // The system keeps a surface as large as the window, shown or not.
  SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

Rect CanvasWindow::FrozenRect() const {
  return {origin_.x, origin_.y, origin_.x + frozen_.width(), origin_.y + frozen_.height()};
}

void CanvasWindow::KeepPiece(const Rect& piece) {
  if (piece.empty() || piece == FrozenRect()) return;
  DibSurface kept;
  kept.Resize(frozen_.dc(), piece.width(), piece.height());
  const Point from = ToSurface(piece.corner(), origin_);
  Check(BitBlt(kept.dc(), 0, 0, piece.width(), piece.height(), frozen_.dc(), from.x, from.y, SRCCOPY), "BitBlt");
  GdiFlush();
  frozen_.Swap(kept);  // the desktop-sized picture goes with `kept`
  origin_ = piece.corner();
  // The window shrinks to the piece, which shows the same pixels at the same places.
  Check(SetWindowPos(hwnd(), nullptr, piece.left, piece.top, piece.width(), piece.height(),
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS),
        "SetWindowPos");
}

void CanvasWindow::WipeToFrozen() {
  marks_.clear();
  label_.reset();
  InvalidateRect(hwnd(), nullptr, FALSE);
}

bool CanvasWindow::ClipToOutline(std::span<const Point> outline) {
  try {
    return ClipTo(outline);
  } catch (const ActionFailed&) {
    ResetShape();  // nothing half-made is left: the hide that follows finds a plain window
    throw;
  }
}

bool CanvasWindow::ClipTo(std::span<const Point> outline) {
  holds_cutout_ = true;
  KeepPiece(OutlinePiece(outline, FrozenRect()));
  piece_outline_.clear();
  if (outline.size() < 3) {
    // No polygon: the whole frozen screen becomes the cut-out.
    SetWindowRgn(hwnd(), nullptr, TRUE);
  } else {
    for (const Point& p : outline) piece_outline_.push_back(ToSurface(p, origin_));
    UniqueRegion region = OutlineRegion();
    if (!region) {
      holds_cutout_ = false;  // the hide that follows gives the piece back
      return false;
    }
    SetShape(std::move(region), true);
  }
  // Ctrl+C works at once, without a click on the cut-out first.
  TakeFocus();
  RaiseOwnBoxes();
  return true;
}

void CanvasWindow::RaiseOwnBoxes() {
  // A box that was up while the trace was drawn (the quit question, a message) must not stay
  // hidden under the cut-out that was made over it.
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM) -> BOOL {
        wchar_t name[16] = {};
        if (IsWindowVisible(window) && GetClassNameW(window, name, 16) && lstrcmpW(name, L"#32770") == 0) {
          SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        return TRUE;
      },
      0);
}

UniqueRegion CanvasWindow::OutlineRegion() const {
  std::vector<POINT> points;
  points.reserve(piece_outline_.size());
  const std::vector<Point> shown = orientation_.MapOutline(piece_outline_, frozen_.width(), frozen_.height());
  for (const Point& p : ScaleOutline(shown, scale_)) points.push_back({p.x, p.y});
  UniqueRegion region(
      Check(CreatePolygonRgn(points.data(), static_cast<int>(points.size()), WINDING), "CreatePolygonRgn"));
  RECT box{};
  if (GetRgnBox(region.get(), &box) == NULLREGION) return {};
  return region;
}

void CanvasWindow::SetShape(UniqueRegion region, bool redraw) {
  const auto give = [&](UniqueRegion& shape) {
    CheckCall("SetWindowRgn", [&] { return SetWindowRgn(hwnd(), shape.get(), redraw); });
    shape.release();  // the window owns it now
  };
  try {
    give(region);
    return;
  } catch (const Win32Error&) {
    // The region of an outline that crosses itself can come out of the polygon in a form the
    // window system refuses; the same area rebuilt from its own rectangles is accepted.
  }
  const DWORD size = Check(GetRegionData(region.get(), 0, nullptr), "GetRegionData");
  std::vector<DWORD> data((size + sizeof(DWORD) - 1) / sizeof(DWORD));
  auto* rectangles = reinterpret_cast<RGNDATA*>(data.data());
  Check(GetRegionData(region.get(), size, rectangles), "GetRegionData");
  UniqueRegion rebuilt(Check(ExtCreateRegion(nullptr, size, rectangles), "ExtCreateRegion"));
  give(rebuilt);
}

void CanvasWindow::TakeFocus() {
  // Only a call that cannot wait on another program: the system grants the foreground when the
  // user's last input went to this program (the release over the frozen screen, a click on the
  // cut-out), and otherwise the first click on the cut-out gives it.
  SetForegroundWindow(hwnd());
  SetFocus(hwnd());
}

void CanvasWindow::Reshape(Scale scale, Orientation orientation, const Placement& placement) {
  RECT was{};
  Check(GetWindowRect(hwnd(), &was), "GetWindowRect");
  // The turned picture is made first: if it cannot be had, nothing has changed.
  DibSurface turned;
  if (orientation != orientation_ && !orientation.IsIdentity()) {
    turned.Resize(frozen_.dc(), orientation.ShownWidth(frozen_.width(), frozen_.height()),
                  orientation.ShownHeight(frozen_.width(), frozen_.height()));
    OrientPixels(frozen_.Pixels(), frozen_.width(), frozen_.height(), frozen_.width(), orientation, turned.Pixels(),
                 turned.width());
  }
  const Scale scale_before = scale_;
  const Orientation orientation_before = orientation_;
  scale_ = scale;
  orientation_ = orientation;
  try {
    // A sliver reduced to nothing keeps its previous shape rather than becoming unreachable.
    UniqueRegion region = piece_outline_.size() >= 3 ? OutlineRegion() : UniqueRegion();
    Check(SetWindowPos(hwnd(), nullptr, placement.top_left.x, placement.top_left.y, placement.width,
                       placement.height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS),
          "SetWindowPos");
    if (region) {
      try {
        SetShape(std::move(region), false);
      } catch (const ActionFailed&) {
        SetWindowPos(hwnd(), nullptr, was.left, was.top, was.right - was.left, was.bottom - was.top,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
        throw;
      }
    }
  } catch (const ActionFailed&) {
    scale_ = scale_before;
    orientation_ = orientation_before;
    throw;
  }
  if (orientation != orientation_before) {
    turned_.Swap(turned);  // the previous turned copy goes with `turned`
    GdiFlush();
  }
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void CanvasWindow::SetOpacity(int percent) {
  const LONG_PTR style = GetWindowLongPtrW(hwnd(), GWL_EXSTYLE);
  if (percent >= kOpaque) {
    // An opaque cut-out is an ordinary window again, drawn as fast as before.
    if (style & WS_EX_LAYERED) SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, style & ~WS_EX_LAYERED);
    return;
  }
  if (!(style & WS_EX_LAYERED)) SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, style | WS_EX_LAYERED);
  try {
    Check(SetLayeredWindowAttributes(hwnd(), 0, static_cast<BYTE>(MulDiv(percent, 255, 100)), LWA_ALPHA),
          "SetLayeredWindowAttributes");
  } catch (const ActionFailed&) {
    // A layered window without its attributes would not be drawn at all.
    SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, style);
    throw;
  }
}

SaveRect CanvasWindow::ShownImage::Extent() {
  const DibSurface& shown = canvas_.Shown();
  return {0, 0, shown.width(), shown.height()};
}

void CanvasWindow::ShownImage::ReadRow(int x, int y, int width, std::uint8_t* bgr) {
  const DibSurface& shown = canvas_.Shown();
  for (int i = 0; i < width; ++i, bgr += 3) {
    const bool on = y >= 0 && y < shown.height() && x + i >= 0 && x + i < shown.width();
    const std::uint8_t* pixel = on ? shown.Row(y) + static_cast<std::size_t>(x + i) * 4 : nullptr;
    bgr[0] = on ? pixel[0] : 0;
    bgr[1] = on ? pixel[1] : 0;
    bgr[2] = on ? pixel[2] : 0;
  }
}

long long CanvasWindow::DesktopArea() {
  const Rect desktop = VirtualScreen(DisplayMonitors());
  return static_cast<long long>(desktop.width()) * desktop.height();
}

void CanvasWindow::MoveBy(int dx, int dy) {
  const Point at = Position();
  MoveTo({at.x + dx, at.y + dy});
}

void CanvasWindow::AddMark(const Mark& screen_mark) {
  Mark mark = screen_mark;
  mark.a = ToSurface(mark.a, origin_);
  mark.b = ToSurface(mark.b, origin_);
  marks_.push_back(mark);
  if (!IsWindowVisible(hwnd())) return;  // painted from marks_ when shown
  try {
    ScopedGetDc dc(hwnd());
    DrawMark(dc.get(), mark);
    if (label_) DrawLabel(dc.get());  // the label stays above what is drawn
  } catch (const ActionFailed&) {
    InvalidateRect(hwnd(), nullptr, FALSE);  // the next paint draws it from marks_
  }
}

void CanvasWindow::DrawMark(HDC dc, const Mark& mark) {
  switch (mark.kind) {
    case Mark::Kind::kIcon:
      DrawIconEx(dc, mark.a.x, mark.a.y, icon_.get(), mark.size, mark.size, 0, nullptr, DI_NORMAL);
      break;
    case Mark::Kind::kArrow: {
      const int cell = mark_image_side_;
      if (mark.size == cell) {
        BitBlt(dc, mark.a.x, mark.a.y, cell, cell, arrows_dc_.get(), (mark.code - 1) * cell, 0, SRCCOPY);
      } else {
        // A scale between the drawn sizes: the next larger cell, reduced smoothly (beyond the
        // largest, that one enlarged).
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, mark.a.x, mark.a.y, mark.size, mark.size, arrows_dc_.get(), (mark.code - 1) * cell, 0, cell,
                   cell, SRCCOPY);
      }
      break;
    }
    case Mark::Kind::kLine: {
      UniquePen pen(
          Check(CreatePen(PS_SOLID, mark.size, RGB(mark.colour.r, mark.colour.g, mark.colour.b)), "CreatePen"));
      ScopedSelect select(dc, pen.get());
      MoveToEx(dc, mark.a.x, mark.a.y, nullptr);
      LineTo(dc, mark.b.x, mark.b.y);
      break;
    }
  }
}

// ---- The gesture's arrows and label ----

void CanvasWindow::DrawArrowCell(int code, Point top_left) {
  if (code < 1 || code > 4) return;
  AddMark({Mark::Kind::kArrow, top_left, {}, {}, code, MarkSide(marks_dpi_)});
}

void CanvasWindow::ShowLabel(const std::wstring& caption, Point screen_top_left) {
  InvalidateLabel();
  label_.reset();
  const Point top_left = ToSurface(screen_top_left, origin_);
  SIZE text{};
  try {
    // Only a gesture that names a program needs the font; at the size of its monitor.
    const int dpi = MonitorDpi(screen_top_left);
    if (!label_font_ || dpi != label_font_dpi_) CreateLabelFont(dpi);
    ScopedGetDc dc(hwnd());
    ScopedSelect font(dc.get(), label_font_.get());
    GetTextExtentPoint32W(dc.get(), caption.c_str(), static_cast<int>(caption.size()), &text);
  } catch (const ActionFailed&) {
    return;  // the gesture still starts its program; only its name is not shown
  }
  label_ = Label{caption,
                 {top_left.x, top_left.y, top_left.x + text.cx + 2 * kLabelPadding,
                  top_left.y + text.cy + 2 * kLabelPadding}};
  InvalidateLabel();
  UpdateWindow(hwnd());
}

void CanvasWindow::HideLabel() {
  InvalidateLabel();
  label_.reset();
}

Point CanvasWindow::MonitorCorner(Point screen) { return MonitorOf(screen, DisplayMonitors()).corner(); }

int CanvasWindow::DpiAt(Point screen) { return MonitorDpi(screen); }

void CanvasWindow::InvalidateLabel() {
  if (label_) InvalidateRect(hwnd(), &label_->rect, FALSE);
}

void CanvasWindow::DrawLabel(HDC dc) {
  FillRect(dc, &label_->rect, GetSysColorBrush(COLOR_BTNFACE));
  ScopedSelect font(dc, label_font_.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  TextOutW(dc, label_->rect.left + kLabelPadding, label_->rect.top + kLabelPadding, label_->caption.c_str(),
           static_cast<int>(label_->caption.size()));
}

// ---- The cut-out window ----

SaveRect CanvasWindow::Extent() {
  const Rect rect = FrozenRect();
  return {rect.left, rect.top, rect.right, rect.bottom};
}

Point CanvasWindow::Position() {
  RECT rect{};
  Check(GetWindowRect(hwnd(), &rect), "GetWindowRect");
  return {rect.left, rect.top};
}

void CanvasWindow::ShowAt(Point remembered) {
  // A cut-out that exists must come back whatever fails: hidden, it would block every hold.
  try {
    // The monitor it was hidden on may have gone meanwhile.
    const Point top_left = Reachable(remembered);
    Check(SetWindowPos(hwnd(), nullptr, top_left.x, top_left.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW),
          "SetWindowPos");
  } catch (const ActionFailed&) {
    ShowWindow(hwnd(), SW_SHOW);
  }
  TakeFocus();
}

void CanvasWindow::MoveTo(Point top_left) {
  Check(SetWindowPos(hwnd(), nullptr, top_left.x, top_left.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE),
        "SetWindowPos");
}

Point CanvasWindow::Reachable(Point top_left) {
  RECT rect{};
  Check(GetWindowRect(hwnd(), &rect), "GetWindowRect");
  return BringBack({top_left.x, top_left.y, top_left.x + rect.right - rect.left, top_left.y + rect.bottom - rect.top},
                   DisplayMonitors());
}

void CanvasWindow::ResetShape() {
  SetWindowRgn(hwnd(), nullptr, TRUE);
  SetOpacity(kOpaque);
  holds_cutout_ = false;
  cursor_over_ = false;
  piece_outline_.clear();
  scale_ = {};
  orientation_ = {};
  turned_.Release();
  ReleasePicture();
}

Point CanvasWindow::CursorPos() {
  POINT p{};
  GetCursorPos(&p);
  return {p.x, p.y};
}

void CanvasWindow::ReadRow(int screen_x, int screen_y, int width, std::uint8_t* bgr) {
  const Point at = ToSurface({screen_x, screen_y}, origin_);
  const int x = at.x;
  const int y = at.y;
  // Pixels off the frozen picture are black.
  const int first = std::max(x, 0);
  const int last = std::min(x + width, frozen_.width());
  if (y < 0 || y >= frozen_.height() || first >= last) {
    std::memset(bgr, 0, static_cast<std::size_t>(width) * 3);
    return;
  }
  std::memset(bgr, 0, static_cast<std::size_t>(first - x) * 3);
  std::memset(bgr + static_cast<std::size_t>(last - x) * 3, 0, static_cast<std::size_t>(x + width - last) * 3);

  const std::uint8_t* in = frozen_.Row(y) + static_cast<std::size_t>(first) * 4;
  std::uint8_t* out = bgr + static_cast<std::size_t>(first - x) * 3;
  int i = first;
  // Two 32-bit pixels become six bytes of 24-bit pixels, stored as eight so that the next pair
  // overwrites the two extra: a whole-screen save spends most of its time here. The loop stops
  // one pixel early so the last eight-byte store stays inside the row.
  for (; i + 3 <= last; i += 2, in += 8, out += 6) {
    std::uint64_t pair;
    std::memcpy(&pair, in, 8);
    const std::uint64_t packed = (pair & 0xFFFFFFull) | ((pair >> 8) & 0xFFFFFF000000ull);
    std::memcpy(out, &packed, 8);
  }
  for (; i < last; ++i, in += 4, out += 3) {
    out[0] = in[0];
    out[1] = in[1];
    out[2] = in[2];
  }
}

// ---- Messages ----

LRESULT CanvasWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  const Point client{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the paint covers everything
    case WM_PAINT:
      try {
        Paint();
      } catch (const ActionFailed&) {
        // What could not be drawn now is drawn at the next paint.
      }
      return 0;
    case WM_LBUTTONDOWN:
      // Keep the release even if the cursor outruns the window.
      SetCapture(hwnd());
      if (cutout_) cutout_->OnMouseDown(kMouseLeft, client);
      return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      if (cutout_) cutout_->OnMouseDown(kMouseRight, client);
      return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      if (cutout_) cutout_->OnMouseDown(kMouseMiddle, client);
      return 0;
    case WM_MOUSEMOVE:
      OnMouseOver();
      if (cutout_) cutout_->OnMouseMove(HeldButtons(wparam));
      return 0;
    case WM_MOUSELEAVE:
      cursor_over_ = false;
      InvalidateRect(hwnd(), nullptr, FALSE);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (GetCapture() == hwnd()) ReleaseCapture();
      if (cutout_) cutout_->OnMouseUp();
      return 0;
    case WM_LBUTTONDBLCLK:
      if (cutout_) cutout_->OnDoubleClick();
      return 0;
    case WM_KEYDOWN:
      if (cutout_ && cutout_->OnKey(ControlKey(wparam), GetKeyState(VK_CONTROL) < 0)) return 0;
      return DefWindowProcW(hwnd(), message, wparam, lparam);
    case WM_MOUSEWHEEL:
      // The wheel's position is in screen pixels.
      if (cutout_) cutout_->OnWheel(GET_WHEEL_DELTA_WPARAM(wparam), client, GET_KEYSTATE_WPARAM(wparam) & MK_CONTROL);
      return 0;
    case WM_CLOSE:
      // Alt+F4 erases the cut-out; the window itself lives as long as the program.
      if (cutout_) cutout_->OnClose();
      return 0;
    case WM_GETDPISCALEDSIZE:
      return TRUE;  // the size stays: a cut-out shows its pixels one to one on any monitor
    case WM_DPICHANGED:
      return 0;  // the suggested size is ignored for the same reason
    case WM_DISPLAYCHANGE:
      // A trace finishes on the picture it has; a shown cut-out must stay reachable.
      try {
        if (holds_cutout_ && IsWindowVisible(hwnd())) MoveTo(Reachable(Position()));
      } catch (const ActionFailed&) {
        // Left where it is; a drag or the menu's erase still reaches it.
      }
      return 0;
    default:
      return DefWindowProcW(hwnd(), message, wparam, lparam);
  }
}

void CanvasWindow::Paint() {
  ScopedPaint paint(hwnd());
  const RECT& area = paint.paint().rcPaint;
  const DibSurface& shown = Shown();
  if (shown.dc() && scale_ == Scale{}) {
    BitBlt(paint.get(), area.left, area.top, area.right - area.left, area.bottom - area.top, shown.dc(), area.left,
           area.top, SRCCOPY);
  } else if (shown.dc()) {
    // The whole piece onto the whole window, so that partial repaints meet without seams.
    if (QualityFor(scale_) == StretchQuality::kCrisp) {
      SetStretchBltMode(paint.get(), COLORONCOLOR);
    } else {
      SetStretchBltMode(paint.get(), HALFTONE);
      SetBrushOrgEx(paint.get(), 0, 0, nullptr);
    }
    RECT client{};
    GetClientRect(hwnd(), &client);
    StretchBlt(paint.get(), 0, 0, client.right, client.bottom, shown.dc(), 0, 0, shown.width(), shown.height(),
               SRCCOPY);
  }
  for (const Mark& mark : marks_) DrawMark(paint.get(), mark);
  if (label_) DrawLabel(paint.get());
  if (cursor_over_) DrawEdge(paint.get());
}

void CanvasWindow::OnMouseOver() {
  if (cursor_over_ || !holds_cutout_ || !IsWindowVisible(hwnd())) return;
  // The system says when the cursor leaves, and the edge goes with it.
  TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd(), 0};
  if (!TrackMouseEvent(&track)) return;
  cursor_over_ = true;
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void CanvasWindow::DrawEdge(HDC dc) {
  // A dark line outside a light one, each a pixel wide at 100 % scale: one of them stands out
  // on any picture. Both lie inside the shape, over the piece's own edge pixels.
  const int width = std::max(1, MulDiv(1, static_cast<int>(GetDpiForWindow(hwnd())), USER_DEFAULT_SCREEN_DPI));
  RECT client{};
  GetClientRect(hwnd(), &client);
  UniqueRegion shape(CreateRectRgn(0, 0, client.right, client.bottom));
  if (!shape) return;
  // The window's own shape, or the whole window when it has none.
  if (GetWindowRgn(hwnd(), shape.get()) == ERROR) SetRectRgn(shape.get(), 0, 0, client.right, client.bottom);
  FrameRgn(dc, shape.get(), static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), 2 * width, 2 * width);
  FrameRgn(dc, shape.get(), static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), width, width);
}

}  // namespace petariko
