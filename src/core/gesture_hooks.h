// How the trace hands its points to the arrow-gesture recognizer, and what the recognizer
// needs from the frozen-screen window and from the program launcher.
#pragma once

#include <string>

#include "core/point.h"

namespace petariko {

// Called by the trace while tracing with the gesture button.
class GestureHooks {
 public:
  virtual ~GestureHooks() = default;
  // A new point was stored; `previous` is the point stored before it.
  virtual void OnPointStored(Point previous, Point newest) = 0;
  // The length limit abandoned the trace: arrows, label and matched program are cleared.
  virtual void Reset() = 0;
  // The button was released; the frozen screen is already hidden. Launches the matched
  // program, if any, and clears arrows, label and match.
  virtual void Finish() = 0;
};

// Drawing on the frozen-screen window (its surface keeps what is drawn while hidden).
class GestureSurface {
 public:
  virtual ~GestureSurface() = default;
  // Copies cell `code` - 1 (1 up, 2 left, 3 right, 4 down) of the arrow strip to `top_left`, at
  // the scale of the monitor on which the trace began.
  virtual void DrawArrowCell(int code, Point top_left) = 0;
  virtual void ShowLabel(const std::wstring& caption, Point top_left) = 0;
  virtual void HideLabel() = 0;  // hides the label and empties its caption
  // The top-left corner of the monitor that shows `screen` (the nearest one when none does).
  virtual Point MonitorCorner(Point screen) = 0;
  // The scale of that monitor, in dots per inch (96 at 100 %).
  virtual int DpiAt(Point screen) = 0;
};

// Starts a registered command line without waiting for it.
class ProgramLauncher {
 public:
  virtual ~ProgramLauncher() = default;
  virtual void Launch(const std::wstring& command_line) = 0;
};

}  // namespace petariko
