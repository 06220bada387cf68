// What the record dialog shows and offers: the clock text and the list of time limits.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// Tenths of a second as the clock shows them: "59.9" below a minute, "1:00.0" from a minute on
// (minutes are not folded into hours: 37003 tenths is "61:40.3").
std::wstring ClockText(int64_t tenths);

struct TimeLimit {
    std::string_view key; // text in the string table
    int seconds;          // 0 = no limit
};

// The list of the dialog, in its order.
inline constexpr std::array<TimeLimit, 11> kTimeLimits = {{
    {"limit -1", 0},
    {"limit 10s", 10},
    {"limit 30s", 30},
    {"limit 1m", 60},
    {"limit 5m", 300},
    {"limit 10m", 600},
    {"limit 30m", 1800},
    {"limit 1h", 3600},
    {"limit 2h", 7200},
    {"limit 4h", 14400},
    {"limit 8h", 28800},
}};

// The item to select for a stored limit: the one with these seconds, else "No limit" (item 0).
int TimeLimitIndex(int seconds);

// Seconds of item `index`; a selection outside the list counts as no limit.
int TimeLimitSeconds(int index);

// Whether a recording of `tenths` has reached the limit (never with no limit).
bool TimeLimitReached(int64_t tenths, int limitSeconds);
