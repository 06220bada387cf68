// Loading and saving the settings record (g_settings) under HKEY_CURRENT_USER\Software\Vantix.
#pragma once

#include "base/app_settings.h"
#include "measure/calibration.h"
#include "output/recent_files.h"

#include <string>

// The program's settings, as loaded at start-up and changed since; user-interface thread.
extern AppSettings g_settings;

// The calibration slots, loaded and saved with the settings.
extern CalibrationState g_calibration;

// Fills g_settings from the registry, selects the interface language, checks the ranges and
// makes the default save folder when there is none. Returns 1.
int LoadSettings();

// Writes the whole of g_settings and makes sure the save folder's Thumbnails folder exists.
// Returns 1.
int SaveSettings();

// Takes the newest of the recent files into g_settings ("LatestFiles"), for the saves to come;
// called wherever the list changes.
void SetLatestFiles(const RecentFiles& recent);

// Creates each missing folder along the path and clears the read-only attribute of existing
// ones. Returns whether the path is a directory at the end; a plain file in the way or an
// invalid path simply gives false.
bool EnsureDirectoryPath(const std::wstring& path);
