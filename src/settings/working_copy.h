// Everything the settings screen edits, loaded from the store when it opens and copied back
// only on OK.
#pragma once

#include "core/settings_store.h"
#include "settings/option_rules.h"
#include "settings/program_list.h"

namespace petariko {

struct SettingsWorkingCopy {
  OptionRules options;
  int hold_time = 3;  // the slider's position
  ProgramList list;

  static SettingsWorkingCopy Load(const SettingsStore& store);
  // Buttons, hold time and all 30 rows into the store; the caller writes the file.
  void CommitTo(SettingsStore& store) const;
};

}  // namespace petariko
