// The first number of the program's own window messages. Each folder declares the messages it
// sends in its own header, counting from here; the same number may mean different things to
// different receivers, and each name is one meaning. Free of windows.h so pure code and tests can
// use the numbers too.
#pragma once

inline constexpr unsigned kWmApp = 0x8000; // WM_APP
