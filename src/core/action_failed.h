// A failure the desktop can produce in one user action: a bitmap, region, window placement,
// clipboard or file the system refuses. It ends that action, never the program; anything else
// thrown is a bug and goes to the error trap.
#pragma once

#include <stdexcept>
#include <string>

namespace petariko {

class ActionFailed : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace petariko
