#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cutout/cutout.h"

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

  Point Position() override { return position; }
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
    log_.push_back("reset-shape");
  }
  Point CursorPos() override { return cursor; }

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
    if (fail) throw std::runtime_error("dialog failed");
    return answer;
  }

 private:
  CallLog& log_;
};

// A frozen screen whose pixel (x, y) is a colour made from x and y.
class PatternFrozenImage : public FrozenImage {
 public:
  bool fail = false;
  static Rgb At(int x, int y) {
    return {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(x ^ y)};
  }
  void CopyTo(Point top_left, BmpImage& out) override {
    if (fail) throw std::runtime_error("copy failed");
    for (int y = 0; y < out.height(); ++y) {
      for (int x = 0; x < out.width(); ++x) out.SetPixel(x, y, At(top_left.x + x, top_left.y + y));
    }
  }
};

class FakeFileWriter : public FileWriter {
 public:
  explicit FakeFileWriter(CallLog& log) : log_(log) {}
  bool fail = false;
  std::vector<std::wstring> paths;
  std::vector<std::uint8_t> last_bytes;

  bool WriteWholeFile(const std::wstring& path, std::span<const std::uint8_t> bytes) override {
    log_.push_back("write");
    if (fail) return false;
    paths.push_back(path);
    last_bytes.assign(bytes.begin(), bytes.end());
    return true;
  }

 private:
  CallLog& log_;
};

}  // namespace petariko
