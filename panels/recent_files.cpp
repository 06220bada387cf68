#include "panels/recent_files.h"

std::vector<std::wstring> g_recentFiles;

void AddRecentFile(const std::wstring& path) {
    g_recentFiles.push_back(path);
}
