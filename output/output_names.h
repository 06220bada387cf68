// Names of the photo and video files: the save folder and the local date and time of the shot.
#pragma once

#include <string>

// A local date and time as the clock shows it (month 1..12, day 1..31).
struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int milliseconds = 0;
};

// "<folder>\20240131-094502.jpg", or ".png" when photoFormat is not 0. Two photos in the same
// second get the same name; the caller compares it with the last one saved.
std::wstring MakePhotoName(const std::wstring& folder, const LocalTime& time, int photoFormat);

// "<folder>\20240131-094502-007.mp4": with the milliseconds, so that a new recording started at
// once after the last one never reuses its name.
std::wstring MakeVideoName(const std::wstring& folder, const LocalTime& time);

// Whether photos and videos can be named in folder: a full path ("C:\..." or "\\server\share"),
// short enough that the longest name made in it (a video's preview picture) stays within the
// 259 characters a Windows path holds, and without ';', which separates the entries of the
// stored recent-files list.
bool IsUsableSaveFolder(const std::wstring& folder);

// Whether a photo path is saved with the JPEG encoder: its last three characters are exactly
// "jpg". Anything else is saved as PNG.
bool IsJpegPhotoPath(const std::wstring& path);
