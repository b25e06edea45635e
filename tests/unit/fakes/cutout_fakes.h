#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/action_failed.h"
#include "cutout/cutout.h"
#include "fakes/bmp_bytes.h"

namespace petariko {

// Every fake appends to one log so that tests can check the order across them.
using CallLog = std::vector<std::string>;

class FakeCutoutWindow : public CutoutWindow {
 public:
  explicit FakeCutoutWindow(CallLog& log) : log_(log) {}
  Point position{10, 10};
  Point cursor;
  bool visible = true;
  bool shaped = true;
  int piece_width = 40;
  Scale scale;
  int width = 40;
  int height = 40;
  Orientation orientation;
  int opacity = 100;
  FrozenImage* shown = nullptr;
  bool fail_zoom = false;
  long long desktop_area = 1'000'000;

  Point Position() override { return position; }
  long long DesktopArea() override { return desktop_area; }
  void Hide() override {
    visible = false;
    log_.push_back("hide");
  }
  void ShowAt(Point p) override {
    position = p;
    visible = true;
    log_.push_back("show " + std::to_string(p.x) + "," + std::to_string(p.y));
  }
  void MoveTo(Point p) override {
    position = p;
    log_.push_back("move " + std::to_string(p.x) + "," + std::to_string(p.y));
  }
  void ResetShape() override {
    shaped = false;
    scale = {};
    log_.push_back("reset-shape");
  }
  Point CursorPos() override { return cursor; }
  int PieceWidth() override { return piece_width; }
  int PieceHeight() override { return 40; }
  void Reshape(Scale s, Orientation o, const Placement& placement) override {
    if (fail_zoom) throw ActionFailed("SetWindowPos");
    scale = s;
    orientation = o;
    position = placement.top_left;
    width = placement.width;
    height = placement.height;
  }
  void SetOpacity(int percent) override {
    if (fail_zoom) throw ActionFailed("SetLayeredWindowAttributes");
    opacity = percent;
  }
  FrozenImage& ShownPiece() override { return *shown; }

 private:
  CallLog& log_;
};

class FakeSaveDialog : public SavePathDialog {
 public:
  explicit FakeSaveDialog(CallLog& log) : log_(log) {}
  std::optional<std::wstring> answer;
  bool fail = false;
  std::vector<std::wstring> offered;  // the initial name of every call
  std::function<void()> while_open;

  std::optional<std::wstring> Ask(const std::wstring& initial_name) override {
    log_.push_back("dialog");
    offered.push_back(initial_name);
    if (while_open) while_open();
    if (fail) throw ActionFailed("dialog failed");
    return answer;
  }

 private:
  CallLog& log_;
};

// A frozen screen of 2000 x 1500 pixels whose pixel (x, y) is a colour made from x and y.
class PatternFrozenImage : public FrozenImage {
 public:
  static constexpr int kWidth = 2000;
  static constexpr int kHeight = 1500;
  bool fail = false;
  SaveRect Extent() override { return {0, 0, kWidth, kHeight}; }
  static Rgb At(int x, int y) {
    return {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(x ^ y)};
  }
  void ReadRow(int x, int y, int width, std::uint8_t* bgr) override {
    if (fail) throw ActionFailed("copy failed");
    for (int i = 0; i < width; ++i) {
      const bool on = x + i >= 0 && x + i < kWidth && y >= 0 && y < kHeight;
      const Rgb c = on ? At(x + i, y) : Rgb{};
      bgr[3 * i] = c.b;
      bgr[3 * i + 1] = c.g;
      bgr[3 * i + 2] = c.r;
    }
  }
};

class FakeClipboard : public CutoutClipboard {
 public:
  bool fail = false;
  SaveRect piece;
  std::vector<Point> outline;

  bool Copy(FrozenImage&, const SaveRect& p, std::span<const Point> o) override {
    piece = p;
    outline.assign(o.begin(), o.end());
    return !fail;
  }
};

class FakeFileWriter : public FileWriter {
 public:
  explicit FakeFileWriter(CallLog& log) : log_(log) {}
  bool fail_create = false;
  int fail_at_write = -1;
  std::vector<std::wstring> paths;  // files left behind
  std::vector<std::uint8_t> last_bytes;

  bool WriteFile(const std::wstring& path, const std::function<bool(ByteSink&)>& produce) override {
    log_.push_back("write");
    if (fail_create) return false;
    VectorSink sink;
    sink.fail_at_write = fail_at_write;
    if (!produce(sink)) return false;
    paths.push_back(path);
    last_bytes = sink.bytes;
    return true;
  }

 private:
  CallLog& log_;
};

}  // namespace petariko
