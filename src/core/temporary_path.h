// The name a whole-file write takes beside its target before it is moved over it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace petariko {

// A path this long or longer, its terminating NUL counted, works only where long paths are on.
inline constexpr std::size_t kMaxPath = 260;

// "TARGET.~PID.tmp". Where that would pass kMaxPath while the target itself does not, a name of
// "~" and base-36 digits of `attempt` and the process id instead, cut to the length of the
// target's own name: the temporary path is then never longer than the target's, so a save that
// the target's path allows is not refused for the temporary one. A short name may belong to
// another file: the caller creates it only when it is new, and otherwise asks for the next
// attempt (the long name is the same for every attempt).
std::wstring TemporaryPathFor(std::wstring_view target, unsigned process_id, unsigned attempt = 0);

}  // namespace petariko
