#include "output/record_clock.h"

#include <cwchar>

std::wstring ClockText(int64_t tenths) {
    if (tenths < 0)
        tenths = 0;
    wchar_t text[40];
    if (tenths < 600) {
        std::swprintf(text, 40, L"%d.%d", static_cast<int>(tenths / 10), static_cast<int>(tenths % 10));
    } else {
        const int64_t minutes = tenths / 600;
        std::swprintf(text, 40, L"%lld:%02d.%d", static_cast<long long>(minutes),
                      static_cast<int>((tenths - minutes * 600) / 10), static_cast<int>(tenths % 10));
    }
    return text;
}

int TimeLimitIndex(int seconds) {
    for (size_t i = 0; i < kTimeLimits.size(); ++i) {
        if (kTimeLimits[i].seconds == seconds)
            return static_cast<int>(i);
    }
    return 0;
}

int TimeLimitSeconds(int index) {
    if (index < 0 || static_cast<size_t>(index) >= kTimeLimits.size())
        return 0;
    return kTimeLimits[static_cast<size_t>(index)].seconds;
}

bool TimeLimitReached(int64_t tenths, int limitSeconds) {
    return limitSeconds > 0 && tenths >= static_cast<int64_t>(limitSeconds) * 10;
}
