#include "app/trace_marks_win32.h"

#include "core/monitors.h"
#include "core/monitors_win32.h"
#include "res/resource.h"
#include "win32/font_face_win32.h"

namespace petariko {
namespace {

constexpr int kLabelPadding = 2;
// 14.25 pt, in hundredths of a point.
constexpr int kLabelPointsX100 = 1425;

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

TraceMarks::TraceMarks(HINSTANCE instance, HWND window) : instance_(instance), window_(window) {
  arrows_dc_.reset(Check(CreateCompatibleDC(nullptr), "CreateCompatibleDC"));
  LoadImages(kMarkDesignSide);
}

TraceMarks::~TraceMarks() {
  if (arrows_dc_ && arrows_previous_) SelectObject(arrows_dc_.get(), arrows_previous_);
}

void TraceMarks::LoadImages(int side) {
  if (side == image_side_) return;
  // Both are had before either is replaced, so that a failure keeps the last trace's pair.
  UniqueIcon icon(static_cast<HICON>(
      Check(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_PETARIKO), IMAGE_ICON, side, side, 0), "LoadImageW icon")));
  UniqueBitmap arrows(static_cast<HBITMAP>(
      Check(LoadImageW(instance_, MAKEINTRESOURCEW(ArrowStripResource(side)), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION),
            "LoadImageW arrows")));
  const HGDIOBJ previous = SelectObject(arrows_dc_.get(), arrows.get());
  if (!arrows_previous_) arrows_previous_ = previous;
  icon_ = std::move(icon);
  arrows_ = std::move(arrows);  // the strip it replaces is no longer selected
  image_side_ = side;
}

void TraceMarks::CreateLabelFont(int dpi) {
  LOGFONTW font{};
  font.lfHeight = -MulDiv(kLabelPointsX100, dpi, 7200);
  font.lfWeight = FW_BOLD;
  font.lfCharSet = SHIFTJIS_CHARSET;
  font.lfQuality = DEFAULT_QUALITY;
  wcsncpy_s(font.lfFaceName, JapaneseFontFace().c_str(), _TRUNCATE);
  label_font_.reset(Check(CreateFontIndirectW(&font), "CreateFontIndirectW"));
  label_font_dpi_ = dpi;
}

void TraceMarks::Restart(Point origin) {
  origin_ = origin;
  Clear();
}

void TraceMarks::Clear() {
  marks_.clear();
  label_.reset();
}

void TraceMarks::Release() {
  std::vector<Mark>().swap(marks_);
  label_.reset();
}

void TraceMarks::DrawStartMarker(TraceMode mode, Point centre) {
  // The whole trace is drawn at the scale of the monitor where it began, where the user looks.
  dpi_ = MonitorDpi(centre);
  const int side = MarkSide(dpi_);
  LoadImages(MarkImageSide(side));
  const Point top_left = MarkerCorner(centre, dpi_);
  if (mode == TraceMode::kGesture) {
    Add({Mark::Kind::kArrow, top_left, {}, {}, 1, side});
  } else {
    Add({Mark::Kind::kIcon, top_left, {}, {}, 0, side});
  }
}

void TraceMarks::DrawLine(Point from, Point to, Rgb colour) {
  Add({Mark::Kind::kLine, from, to, colour, 0, PenWidth(dpi_)});
}

void TraceMarks::Add(const Mark& screen_mark) {
  Mark mark = screen_mark;
  mark.a = ToSurface(mark.a, origin_);
  mark.b = ToSurface(mark.b, origin_);
  marks_.push_back(mark);
  if (!IsWindowVisible(window_)) return;  // painted from marks_ when shown
  try {
    ScopedGetDc dc(window_);
    DrawMark(dc.get(), mark);
    if (label_) DrawLabel(dc.get());  // the label stays above what is drawn
  } catch (const ActionFailed&) {
    InvalidateRect(window_, nullptr, FALSE);  // the next paint draws it from marks_
  }
}

void TraceMarks::Paint(HDC dc) {
  for (const Mark& mark : marks_) DrawMark(dc, mark);
  if (label_) DrawLabel(dc);
}

void TraceMarks::DrawMark(HDC dc, const Mark& mark) {
  switch (mark.kind) {
    case Mark::Kind::kIcon:
      DrawIconEx(dc, mark.a.x, mark.a.y, icon_.get(), mark.size, mark.size, 0, nullptr, DI_NORMAL);
      break;
    case Mark::Kind::kArrow: {
      const int cell = image_side_;
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

void TraceMarks::DrawArrowCell(int code, Point top_left) {
  if (code < 1 || code > 4) return;
  Add({Mark::Kind::kArrow, top_left, {}, {}, code, MarkSide(dpi_)});
}

void TraceMarks::ShowLabel(const std::wstring& caption, Point screen_top_left) {
  InvalidateLabel();
  label_.reset();
  const Point top_left = ToSurface(screen_top_left, origin_);
  SIZE text{};
  try {
    // Only a gesture that names a program needs the font; at the size of its monitor.
    const int dpi = MonitorDpi(screen_top_left);
    if (!label_font_ || dpi != label_font_dpi_) CreateLabelFont(dpi);
    ScopedGetDc dc(window_);
    ScopedSelect font(dc.get(), label_font_.get());
    GetTextExtentPoint32W(dc.get(), caption.c_str(), static_cast<int>(caption.size()), &text);
  } catch (const ActionFailed&) {
    return;  // the gesture still starts its program; only its name is not shown
  }
  label_ = Label{caption,
                 {top_left.x, top_left.y, top_left.x + text.cx + 2 * kLabelPadding,
                  top_left.y + text.cy + 2 * kLabelPadding}};
  InvalidateLabel();
  UpdateWindow(window_);
}

void TraceMarks::HideLabel() {
  InvalidateLabel();
  label_.reset();
}

Point TraceMarks::MonitorCorner(Point screen) { return MonitorOf(screen, DisplayMonitors()).corner(); }

int TraceMarks::DpiAt(Point screen) { return MonitorDpi(screen); }

void TraceMarks::InvalidateLabel() {
  if (label_) InvalidateRect(window_, &label_->rect, FALSE);
}

void TraceMarks::DrawLabel(HDC dc) {
  FillRect(dc, &label_->rect, GetSysColorBrush(COLOR_BTNFACE));
  ScopedSelect font(dc, label_font_.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  TextOutW(dc, label_->rect.left + kLabelPadding, label_->rect.top + kLabelPadding, label_->caption.c_str(),
           static_cast<int>(label_->caption.size()));
}

}  // namespace petariko
