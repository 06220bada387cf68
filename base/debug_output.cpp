#include "base/debug_output.h"

#include <windows.h>

#include <cstdarg>
#include <cwchar>

void DebugOutput(const wchar_t* format, ...) {
    wchar_t line[512];
    va_list args;
    va_start(args, format);
    const int written = vswprintf(line, sizeof(line) / sizeof(line[0]), format, args);
    va_end(args);
    if (written >= 0)
        OutputDebugStringW(line);
}

void DebugFailure(const wchar_t* what, long hr) {
    DebugOutput(L"%ls FAILED (0x%08lx)\r\n", what, static_cast<unsigned long>(hr));
}
