#include "core/temporary_path.h"

namespace petariko {

namespace {

std::wstring Base36(unsigned value) {
  std::wstring digits;
  do {
    digits.insert(digits.begin(), L"0123456789abcdefghijklmnopqrstuvwxyz"[value % 36]);
    value /= 36;
  } while (value != 0);
  return digits;
}

}  // namespace

std::wstring TemporaryPathFor(std::wstring_view target, unsigned process_id, unsigned attempt) {
  std::wstring usual = std::wstring(target) + L".~" + std::to_wstring(process_id) + L".tmp";
  if (usual.size() < kMaxPath || target.size() >= kMaxPath) return usual;
  const std::size_t slash = target.find_last_of(L"\\/");
  const std::size_t name_start = slash == std::wstring_view::npos ? 0 : slash + 1;
  const std::wstring name = (L"~" + Base36(attempt) + Base36(process_id)).substr(0, target.size() - name_start);
  return std::wstring(target.substr(0, name_start)) + name;
}

}  // namespace petariko
