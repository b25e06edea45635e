// What a trace draws over the frozen screen: the start marker, the traced line, the gesture's
// arrows and the label that names the matched program.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "core/colour.h"
#include "core/gesture_hooks.h"
#include "core/mark_scale.h"
#include "core/point.h"
#include "core/trace.h"
#include "win32/handles_win32.h"

namespace petariko {

// The marks are kept in the frozen picture's pixels and replayed on every paint, so the window
// keeps them while hidden without a second full-screen bitmap.
class TraceMarks : public GestureSurface {
 public:
  // `window` is the frozen-screen window they are drawn on; it outlives the marks.
  TraceMarks(HINSTANCE instance, HWND window);
  ~TraceMarks() override;
  TraceMarks(const TraceMarks&) = delete;
  TraceMarks& operator=(const TraceMarks&) = delete;

  // A new trace over a picture whose corner is at `origin` on the screen: no marks, no label.
  void Restart(Point origin);
  void Clear();
  // Clears and also gives back the memory the marks held.
  void Release();
  void DrawStartMarker(TraceMode mode, Point centre);
  void DrawLine(Point from, Point to, Rgb colour);
  // Draws every mark, then the label above them.
  void Paint(HDC dc);

  // GestureSurface
  void DrawArrowCell(int code, Point top_left) override;
  void ShowLabel(const std::wstring& caption, Point top_left) override;
  void HideLabel() override;
  Point MonitorCorner(Point screen) override;
  int DpiAt(Point screen) override;

 private:
  struct Mark {
    enum class Kind { kIcon, kArrow, kLine } kind;
    Point a;
    Point b;
    Rgb colour;
    int code = 0;
    int size = 0;  // the side of an icon or arrow, the width of a line
  };
  struct Label {
    std::wstring caption;
    RECT rect;
  };

  // The start marker and the arrow strip drawn at `side` pixels, from the resources.
  void LoadImages(int side);
  void Add(const Mark& screen_mark);
  void DrawMark(HDC dc, const Mark& mark);
  void DrawLabel(HDC dc);
  void InvalidateLabel();
  void CreateLabelFont(int dpi);

  HINSTANCE instance_;
  HWND window_;
  Point origin_;
  std::vector<Mark> marks_;
  std::optional<Label> label_;
  // The images, at the side of the latest trace's monitor scale or the next larger one.
  UniqueIcon icon_;
  UniqueMemoryDc arrows_dc_;
  UniqueBitmap arrows_;
  HGDIOBJ arrows_previous_ = nullptr;
  int image_side_ = 0;
  // The scale of the monitor where the current trace began.
  int dpi_ = kDesignDpi;
  UniqueFont label_font_;  // made when a label is first shown, for its monitor's DPI
  int label_font_dpi_ = 0;
};

}  // namespace petariko
