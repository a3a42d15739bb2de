#pragma once

#include <cstdint>

namespace torvane {

// Milliseconds of a monotonic clock; only differences mean anything.
std::uint64_t TickCount();

// Microseconds of the same clock, for budgets finer than a millisecond.
std::uint64_t TickMicroseconds();

// Local calendar date and time.
struct LocalDateTime {
  int year = 0;
  int month = 0;   // 1..12
  int day = 0;     // 1..31
  int hour = 0;    // 0..23
  int minute = 0;  // 0..59
  int second = 0;  // 0..60
};

// The current local date and time.
LocalDateTime LocalNow();

}  // namespace torvane
