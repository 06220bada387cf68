// Ctrl+C in the camera view: the picture as a photo keeps it, as a bitmap, and its measurements
// as a tab-separated table, on the clipboard.
#pragma once

#include <windows.h>

#include <string>

// The table of the shapes a photo of `view` taken now has burnt in; empty when it has none.
std::wstring ShownMeasurementTable(HWND view);

// Puts the view's picture (CF_DIB, bottom-up 24-bit) and, when there are shapes, the table
// (CF_UNICODETEXT) on the clipboard, replacing what was there. False, with a warning beep, when
// there is no picture or the clipboard cannot be had.
bool CopyPictureToClipboard(HWND view);
