// The stored "LatestFiles" text: every path taken is one the list can hold, and what the list
// writes back reads as its newest paths.
#include "base/app_settings.h"
#include "output/recent_files.h"
#include "tests/fuzz/fuzz_input.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = WideText(data, size);
    const std::vector<std::wstring> paths = ParseLatestFiles(text);
    for (const std::wstring& path : paths) {
        FUZZ_CHECK(!path.empty() && path.size() <= kRecentPathMax);
        FUZZ_CHECK(path.find(L';') == std::wstring::npos);
        RecentFileDisplayName(path);
        VideoPreviewPicturePath(path);
    }

    std::vector<std::wstring> list;
    LoadRecentFiles(list, text, [](const std::wstring&) { return true; });
    FUZZ_CHECK(std::is_sorted(list.begin(), list.end()));

    // Written newest first, as many as fit: those come back in the same order.
    const std::vector<std::wstring> oldestFirst(paths.rbegin(), paths.rend());
    const std::wstring written = FormatLatestFiles(oldestFirst);
    FUZZ_CHECK(written.size() < kLatestFilesCapacity);
    const std::vector<std::wstring> reread = ParseLatestFiles(written);
    FUZZ_CHECK(reread.size() <= paths.size());
    FUZZ_CHECK(std::equal(reread.begin(), reread.end(), paths.begin()));
    return 0;
}
