// Lines for the debugger output (there is no log file).
#pragma once

// printf-style with a wide format string; wide arguments take %ls. Lines end with "\r\n".
void DebugOutput(const wchar_t* format, ...);

// "<what> FAILED (0x8004xxxx)": a COM or platform call that failed, with its HRESULT.
void DebugFailure(const wchar_t* what, long hr);
