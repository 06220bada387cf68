#include "output/recent_files.h"

#include <algorithm>

void AddRecentFile(RecentFiles& files, const std::wstring& path) {
    files.paths.push_back(path);
}

std::vector<std::wstring> ParseLatestFiles(const std::wstring& text) {
    std::vector<std::wstring> paths;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(L';', start);
        if (end == std::wstring::npos)
            break;
        const size_t length = end - start;
        if (length > 0 && length <= kRecentPathMax)
            paths.push_back(text.substr(start, length));
        start = end + 1;
    }
    return paths;
}

void SortRecentFiles(std::vector<std::wstring>& paths) {
    // wchar_t is an unsigned 16-bit unit on Windows, so this compares UTF-16 code units.
    std::sort(paths.begin(), paths.end());
}

void LoadRecentFiles(std::vector<std::wstring>& list, const std::wstring& latestFilesText,
                     const std::function<bool(const std::wstring&)>& readable) {
    for (std::wstring& path : ParseLatestFiles(latestFilesText)) {
        if (readable(path))
            list.push_back(std::move(path));
    }
    SortRecentFiles(list);
}

std::wstring RecentFileDisplayName(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    if (slash != std::wstring::npos && slash > 0)
        return path.substr(slash + 1);
    return path.size() > 2 ? path.substr(2) : std::wstring();
}

std::wstring VideoPreviewPicturePath(const std::wstring& videoPath) {
    const size_t n = videoPath.size();
    if (n < 3 || videoPath.compare(n - 3, 3, L"mp4") != 0)
        return {};
    return videoPath.substr(0, n - 3) + L"jpg";
}
