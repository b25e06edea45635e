#include "settings/working_copy.h"

namespace petariko {

SettingsWorkingCopy SettingsWorkingCopy::Load(const SettingsStore& store) {
  SettingsWorkingCopy copy;
  copy.options.Load(store.lngCutButton, store.lngGestureButton);
  copy.hold_time = SliderPositionFor(store.intWaitTime);
  copy.list = ProgramList(store);
  return copy;
}

void SettingsWorkingCopy::CommitTo(SettingsStore& store) const {
  store.lngCutButton = options.CutButton();
  store.lngGestureButton = options.GestureButton();
  store.intWaitTime = hold_time;
  list.CopyTo(store);
}

}  // namespace petariko
