#include "core/tray_retry.h"

#include <gtest/gtest.h>

namespace petariko {
namespace {

TEST(TrayRetryTest, RetriesQuicklyForFiveMinutesThenSlowlyAndStopsOnceAdded) {
  TrayRetry retry;
  for (int attempt = 1; attempt <= TrayRetry::kFastAttempts; ++attempt) {
    ASSERT_EQ(retry.AfterAttempt(false), TrayRetry::kFastIntervalMs) << attempt;
  }
  EXPECT_GE(TrayRetry::kFastAttempts * TrayRetry::kFastIntervalMs, 5 * 60 * 1000);
  EXPECT_EQ(retry.AfterAttempt(false), TrayRetry::kSlowIntervalMs);
  EXPECT_EQ(retry.AfterAttempt(false), TrayRetry::kSlowIntervalMs) << "it never gives up";

  retry.Restart();  // a new task bar: quick again
  EXPECT_EQ(retry.AfterAttempt(false), TrayRetry::kFastIntervalMs);
  EXPECT_EQ(retry.AfterAttempt(true), 0);
  EXPECT_EQ(retry.AfterAttempt(false), TrayRetry::kFastIntervalMs) << "an add resets the count";
}

}  // namespace
}  // namespace petariko
