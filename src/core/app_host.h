// What the tray menu's commands need from the resident application.
#pragma once

namespace petariko {

// The cut-out window as the menu commands see it.
class CutoutControl {
 public:
  virtual ~CutoutControl() = default;
  // Remembers the window's position in intCutLeft/intCutTop and hides it, keeping its shape.
  virtual void HideForLater() = 0;
  // Shows the window again at (intCutLeft, intCutTop).
  virtual void PutBack() = 0;
  virtual void SaveFromMenu() = 0;   // "現在の切り取り窓を保存"
  virtual void EraseFromMenu() = 0;  // "現在の切り取り窓を消去"
};

}  // namespace petariko
