#pragma once

#include <span>
#include <string>
#include <vector>

#include "core/action_failed.h"
#include "core/colour.h"
#include "core/trace.h"

namespace petariko {

// Records the canvas calls as short words ("cover", "line 1,2>3,4", "clip 3", ...) and keeps
// the colours of the lines and the last clip outline. The call named by `fail_on` ("freeze",
// "line", "clip", "move") fails as the desktop would.
class FakeFrozenScreen : public FrozenScreenWindow {
 public:
  std::vector<std::string> calls;
  std::string fail_on;
  std::vector<Rgb> line_colours;
  std::vector<Point> clip;
  bool visible = false;

  void PrepareFreeze() override { calls.push_back("prepare"); }
  void DropPreparedFreeze() override { calls.push_back("drop"); }
  void CoverScreen() override { calls.push_back("cover"); }
  void Freeze() override { Record("freeze"); }
  void DrawStartMarker(TraceMode mode, Point p) override {
    calls.push_back("marker" + std::to_string(static_cast<int>(mode)) + "@" + Xy(p));
  }
  void DrawLine(Point from, Point to, Rgb colour) override {
    Record("line", " " + Xy(from) + ">" + Xy(to));
    line_colours.push_back(colour);
  }
  void Show() override {
    visible = true;
    calls.push_back("show");
  }
  void Hide() override {
    visible = false;
    calls.push_back("hide");
  }
  void WipeToFrozen() override { calls.push_back("wipe"); }
  bool region_empty = false;  // what the desktop says of the polygon's region
  bool ClipToOutline(std::span<const Point> outline) override {
    clip.assign(outline.begin(), outline.end());
    Record("clip", " " + std::to_string(outline.size()));
    return !region_empty;
  }
  void MoveBy(int dx, int dy) override { Record("move", " " + std::to_string(dx) + "," + std::to_string(dy)); }

  void Record(const std::string& name, const std::string& detail = "") {
    if (name == fail_on) throw ActionFailed(name);
    calls.push_back(name + detail);
  }
  static std::string Xy(Point p) { return std::to_string(p.x) + "," + std::to_string(p.y); }
};

}  // namespace petariko
