// Any bytes at all must either read as settings or give a described error, never crash; what
// reads must write back and read again to the same settings, text included.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <variant>

#include "core/settings_file.h"
#include "fakes/cp932_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const petariko::testing::Cp932Codec codec;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  petariko::SettingsParseResult result = petariko::ParseSettings(bytes, codec);
  if (const auto* error = std::get_if<petariko::SettingsParseError>(&result)) {
    if (petariko::DescribeSettingsError(*error).empty()) std::abort();
    return 0;
  }
  const auto& store = std::get<petariko::SettingsStore>(result);
  petariko::SettingsParseResult again = petariko::ParseSettings(petariko::SerializeSettings(store, codec), codec);
  // Text with a line break inside cannot come from a line, so a round trip must be exact,
  // whichever way the text was read and written.
  if (!std::holds_alternative<petariko::SettingsStore>(again)) std::abort();
  if (!(std::get<petariko::SettingsStore>(again) == store)) std::abort();
  return 0;
}
