// The photos and videos saved so far, as full paths: oldest first, newest last. The Files section
// fills the list once from the stored "LatestFiles" text; every photo and recording appends to it.
// The program has one list, in the main window's record, handed to what reads or writes it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

struct RecentFiles {
    std::vector<std::wstring> paths; // oldest first, newest last
    std::wstring lastSavedPath;      // the last photo or video saved, empty at start
};

// Appends a newly saved file (the newest).
void AddRecentFile(RecentFiles& files, const std::wstring& path);

// The longest path an entry may have: what a 260-character path buffer holds before its terminator.
inline constexpr size_t kRecentPathMax = 259;

// The paths of a "LatestFiles" text, in the order stored (newest first). Every path is followed by
// ";"; a last piece without one is a text cut short and is left out, as are empty pieces and
// pieces longer than kRecentPathMax. Only the bad piece is lost: the ones around it still count.
std::vector<std::wstring> ParseLatestFiles(const std::wstring& text);

// Ascending by UTF-16 code units (a path that is a prefix of another comes first). The program's
// file names start with the date and time, so within a folder this is oldest first.
void SortRecentFiles(std::vector<std::wstring>& paths);

// Builds the list at start: appends to `list` the stored paths for which `readable` holds, then
// sorts the whole list.
void LoadRecentFiles(std::vector<std::wstring>& list, const std::wstring& latestFilesText,
                     const std::function<bool(const std::wstring&)>& readable);

// What the list shows for a path: the part after the last backslash (a backslash that opens the
// path does not count); a path without one shows from its third character.
std::wstring RecentFileDisplayName(const std::wstring& path);

// A recording is previewed through a picture beside it: the same path with "jpg" in place of a
// final "mp4" (exactly these lower-case letters). Empty when the path does not end in "mp4".
std::wstring VideoPreviewPicturePath(const std::wstring& videoPath);
