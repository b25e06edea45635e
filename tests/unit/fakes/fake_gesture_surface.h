// Records what the recognizer draws on the frozen screen and what it launches.
#pragma once

#include <string>
#include <vector>

#include "core/gesture_hooks.h"
#include "core/point.h"

namespace petariko::testing {

struct DrawnCell {
  int code;
  Point top_left;
  friend bool operator==(const DrawnCell&, const DrawnCell&) = default;
};

class FakeGestureSurface : public GestureSurface {
 public:
  std::vector<DrawnCell> cells;
  bool label_visible = false;
  std::wstring label_caption;
  Point label_position;
  Point monitor_corner;             // what MonitorCorner answers
  std::vector<Point> corner_asked;  // the points it was asked about
  int monitor_dpi = 96;             // what DpiAt answers

  void DrawArrowCell(int code, Point top_left) override { cells.push_back({code, top_left}); }
  void ShowLabel(const std::wstring& caption, Point top_left) override {
    label_visible = true;
    label_caption = caption;
    label_position = top_left;
  }
  void HideLabel() override {
    label_visible = false;
    label_caption.clear();
  }
  Point MonitorCorner(Point screen) override {
    corner_asked.push_back(screen);
    return monitor_corner;
  }
  int DpiAt(Point) override { return monitor_dpi; }
};

class FakeProgramLauncher : public ProgramLauncher {
 public:
  std::vector<std::wstring> launched;
  void Launch(const std::wstring& command_line) override { launched.push_back(command_line); }
};

}  // namespace petariko::testing
