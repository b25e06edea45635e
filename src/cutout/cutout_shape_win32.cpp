#include "cutout/cutout_shape_win32.h"

#include <algorithm>

namespace petariko {

bool CutoutShape::SetOutline(std::span<const Point> outline) {
  outline_.clear();
  if (outline.size() < 3) {
    // No polygon: the whole piece is the cut-out.
    SetWindowRgn(window_, nullptr, TRUE);
    return true;
  }
  outline_.assign(outline.begin(), outline.end());
  UniqueRegion region = OutlineRegion();
  if (!region) return false;
  SetShape(std::move(region), true);
  return true;
}

UniqueRegion CutoutShape::OutlineRegion() const {
  std::vector<POINT> points;
  points.reserve(outline_.size());
  const std::vector<Point> shown = orientation_.MapOutline(outline_, piece_.width(), piece_.height());
  for (const Point& p : ScaleOutline(shown, scale_)) points.push_back({p.x, p.y});
  UniqueRegion region(
      Check(CreatePolygonRgn(points.data(), static_cast<int>(points.size()), WINDING), "CreatePolygonRgn"));
  RECT box{};
  if (GetRgnBox(region.get(), &box) == NULLREGION) return {};
  return region;
}

void CutoutShape::SetShape(UniqueRegion region, bool redraw) {
  const auto give = [&](UniqueRegion& shape) {
    CheckCall("SetWindowRgn", [&] { return SetWindowRgn(window_, shape.get(), redraw); });
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

void CutoutShape::Reshape(Scale scale, Orientation orientation, const Placement& placement) {
  RECT was{};
  Check(GetWindowRect(window_, &was), "GetWindowRect");
  // The turned picture is made first: if it cannot be had, nothing has changed.
  DibSurface turned;
  if (orientation != orientation_ && !orientation.IsIdentity()) {
    turned.Resize(piece_.dc(), orientation.ShownWidth(piece_.width(), piece_.height()),
                  orientation.ShownHeight(piece_.width(), piece_.height()));
    OrientPixels(piece_.Pixels(), piece_.width(), piece_.height(), piece_.width(), orientation, turned.Pixels(),
                 turned.width());
  }
  const Scale scale_before = scale_;
  const Orientation orientation_before = orientation_;
  scale_ = scale;
  orientation_ = orientation;
  try {
    // A sliver reduced to nothing keeps its previous shape rather than becoming unreachable.
    UniqueRegion region = outline_.size() >= 3 ? OutlineRegion() : UniqueRegion();
    Check(SetWindowPos(window_, nullptr, placement.top_left.x, placement.top_left.y, placement.width, placement.height,
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS),
          "SetWindowPos");
    if (region) {
      try {
        SetShape(std::move(region), false);
      } catch (const ActionFailed&) {
        SetWindowPos(window_, nullptr, was.left, was.top, was.right - was.left, was.bottom - was.top,
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
  InvalidateRect(window_, nullptr, FALSE);
}

void CutoutShape::SetOpacity(int percent) {
  const LONG_PTR style = GetWindowLongPtrW(window_, GWL_EXSTYLE);
  if (percent >= kOpaque) {
    // An opaque cut-out is an ordinary window again, drawn as fast as before.
    if (style & WS_EX_LAYERED) {
      SetWindowLongPtrW(window_, GWL_EXSTYLE, style & ~WS_EX_LAYERED);
      // A window that stops being layered is not redrawn by the system: drawn whole, at once.
      RedrawWindow(window_, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    }
    return;
  }
  if (!(style & WS_EX_LAYERED)) SetWindowLongPtrW(window_, GWL_EXSTYLE, style | WS_EX_LAYERED);
  try {
    Check(SetLayeredWindowAttributes(window_, 0, static_cast<BYTE>(MulDiv(percent, 255, 100)), LWA_ALPHA),
          "SetLayeredWindowAttributes");
  } catch (const ActionFailed&) {
    // A layered window without its attributes would not be drawn at all.
    SetWindowLongPtrW(window_, GWL_EXSTYLE, style);
    throw;
  }
}

void CutoutShape::Reset() {
  SetWindowRgn(window_, nullptr, TRUE);
  SetOpacity(kOpaque);
  cursor_over_ = false;
  outline_.clear();
  scale_ = {};
  orientation_ = {};
  turned_.Release();
}

SaveRect CutoutShape::ShownImage::Extent() {
  const DibSurface& shown = shape_.Shown();
  return {0, 0, shown.width(), shown.height()};
}

void CutoutShape::ShownImage::ReadRow(int x, int y, int width, std::uint8_t* bgr) {
  const DibSurface& shown = shape_.Shown();
  for (int i = 0; i < width; ++i, bgr += 3) {
    const bool on = y >= 0 && y < shown.height() && x + i >= 0 && x + i < shown.width();
    const std::uint8_t* pixel = on ? shown.Row(y) + static_cast<std::size_t>(x + i) * 4 : nullptr;
    bgr[0] = on ? pixel[0] : 0;
    bgr[1] = on ? pixel[1] : 0;
    bgr[2] = on ? pixel[2] : 0;
  }
}

void CutoutShape::OnCursorOver() {
  if (cursor_over_ || !IsWindowVisible(window_)) return;
  // The system says when the cursor leaves, and the edge goes with it.
  TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window_, 0};
  if (!TrackMouseEvent(&track)) return;
  cursor_over_ = true;
  InvalidateRect(window_, nullptr, FALSE);
}

void CutoutShape::OnCursorLeft() {
  cursor_over_ = false;
  InvalidateRect(window_, nullptr, FALSE);
}

void CutoutShape::DrawEdge(HDC dc) {
  if (!cursor_over_) return;
  // A dark line outside a light one, each a pixel wide at 100 % scale: one of them stands out
  // on any picture. Both lie inside the shape, over the piece's own edge pixels.
  const int width = std::max(1, MulDiv(1, static_cast<int>(GetDpiForWindow(window_)), USER_DEFAULT_SCREEN_DPI));
  RECT client{};
  GetClientRect(window_, &client);
  UniqueRegion shape(CreateRectRgn(0, 0, client.right, client.bottom));
  if (!shape) return;
  // The window's own shape, or the whole window when it has none.
  if (GetWindowRgn(window_, shape.get()) == ERROR) SetRectRgn(shape.get(), 0, 0, client.right, client.bottom);
  FrameRgn(dc, shape.get(), static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), 2 * width, 2 * width);
  FrameRgn(dc, shape.get(), static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), width, width);
}

}  // namespace petariko
