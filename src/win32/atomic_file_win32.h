// Writing a file so that a failure never destroys the file it would have replaced.
#pragma once

#include <functional>
#include <string>

#include "core/byte_sink.h"

namespace petariko {

// Writes through a temporary file in the same folder and moves it over `path` only when it is
// complete; on any failure (the sink refused, `produce` returned false or threw, the disk was
// full, the move failed) only the temporary file is deleted and false is returned.
bool WriteFileAtomically(const std::wstring& path, const std::function<bool(ByteSink&)>& produce);

}  // namespace petariko
