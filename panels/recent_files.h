// The photos and videos saved so far, as full paths: oldest first, newest last.
#pragma once

#include <string>
#include <vector>

extern std::vector<std::wstring> g_recentFiles;

// Appends a newly saved file (the newest).
void AddRecentFile(const std::wstring& path);
