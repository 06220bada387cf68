// What a photo or a recording posts to the control panel when it has saved a file.
#pragma once

#include "base/app_message_base.h"

inline constexpr unsigned UM_RECENT_FILE_ADDED = kWmApp + 9; // wParam: index of the newest file
