// When to try again to add the tray icon: at sign-in the notification area is often not ready
// when the program starts, and the icon is the only way to reach the program.
#pragma once

namespace petariko {

class TrayRetry {
 public:
  // A few seconds apart for the first five minutes, then twice a minute for as long as it takes.
  static constexpr int kFastIntervalMs = 2000;
  static constexpr int kFastAttempts = 150;
  static constexpr int kSlowIntervalMs = 30000;

  // Takes the outcome of an attempt; returns the delay before the next one, 0 when none is due.
  int AfterAttempt(bool added) {
    if (added) {
      failures_ = 0;
      return 0;
    }
    ++failures_;
    return failures_ <= kFastAttempts ? kFastIntervalMs : kSlowIntervalMs;
  }
  // The task bar was re-created: its icons must be added again, soon.
  void Restart() { failures_ = 0; }

 private:
  int failures_ = 0;
};

}  // namespace petariko
