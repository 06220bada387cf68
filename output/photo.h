// Photos: the camera view's picture at its content size, graphics included, saved as JPEG
// (quality 100) or PNG in the save folder under a name made of the local date and time, carrying
// the scale of the calibration in use (output/photo_metadata.h).
#pragma once

#include "output/output_names.h"
#include "output/recent_files.h"

#include <windows.h>

#include <string>

LocalTime LocalTimeOf(const SYSTEMTIME& time);

// Saves the picture of the camera view `view` to path: JPEG when the path ends in "jpg", else PNG.
// False when no camera is open, there is no picture yet, or the save fails.
bool SavePhoto(HWND view, const std::wstring& path);

// The Photo button and Space: one photo of `view` a second at most; a photo that was saved is added
// to `recent`, the settings are saved and `filesListener` (the control panel) is told. A photo that
// could not be saved is reported in a box over `owner`.
void TakePhoto(HWND owner, HWND view, RecentFiles& recent, HWND filesListener);
