// The Files section's pure parts: reading the stored recent-files text back, dropping files that
// are gone, the order of the list, the names it shows, and its layout in dialog units.
#include "base/app_settings.h"
#include "panels/files_layout.h"
#include "output/recent_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Paths = std::vector<std::wstring>;

std::wstring PhotoPath(int second) {
    wchar_t name[64];
    swprintf(name, 64, L"C:\\Users\\me\\Documents\\Vantix Files\\20240131-0945%02d.jpg", second);
    return name;
}

} // namespace

TEST(LatestFilesText, EveryPathNeedsItsSemicolonAndAnOverlongOneIsDroppedAlone) {
    EXPECT_EQ(ParseLatestFiles(L"C:\\a.jpg;C:\\b.jpg;C:\\c.jpg"), (Paths{L"C:\\a.jpg", L"C:\\b.jpg"}));
    // Empty pieces are no paths; the order stored (newest first) is kept.
    EXPECT_EQ(ParseLatestFiles(L";;C:\\z.jpg;;C:\\a.jpg;"), (Paths{L"C:\\z.jpg", L"C:\\a.jpg"}));

    const std::wstring longest = L"C:\\" + std::wstring(kRecentPathMax - 3, L'x');
    const std::wstring tooLong = longest + L"y";
    ASSERT_EQ(longest.size(), 259u);
    EXPECT_EQ(ParseLatestFiles(L"C:\\a.jpg;" + tooLong + L";C:\\b.jpg;" + longest + L";"),
              (Paths{L"C:\\a.jpg", L"C:\\b.jpg", longest}));
    // A whole field of one entry: nothing to keep, nothing overrun.
    EXPECT_TRUE(ParseLatestFiles(std::wstring(kLatestFilesCapacity - 2, L'p') + L";").empty());
}

TEST(LatestFilesText, TextCutAnywhereKeepsTheEntriesBeforeTheCutAndTheFiveNewestComeBack) {
    const Paths saved = {PhotoPath(1), PhotoPath(2), PhotoPath(3), PhotoPath(4), PhotoPath(5)};
    const std::wstring text = FormatLatestFiles(saved);
    const Paths whole = ParseLatestFiles(text);
    ASSERT_EQ(whole, (Paths{PhotoPath(5), PhotoPath(4), PhotoPath(3), PhotoPath(2), PhotoPath(1)}));
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        SCOPED_TRACE(cut);
        const std::wstring head = text.substr(0, cut);
        const size_t complete = static_cast<size_t>(std::count(head.begin(), head.end(), L';'));
        EXPECT_EQ(ParseLatestFiles(head), Paths(whole.begin(), whole.begin() + complete));
    }

    Paths recent;
    for (int s = 10; s < 17; ++s)
        recent.push_back(PhotoPath(s));
    Paths loaded;
    LoadRecentFiles(loaded, FormatLatestFiles(recent), [](const std::wstring&) { return true; });
    EXPECT_EQ(loaded, Paths(recent.end() - 5, recent.end()));
}

TEST(RecentFiles, GoneFilesDroppedTheRestSortedAndTheirShownNamesAndVideoPictures) {
    // Stored newest first; two of the five no longer exist.
    const std::wstring text = PhotoPath(50) + L";" + PhotoPath(40) + L";" + PhotoPath(30) + L";" +
                              PhotoPath(20) + L";" + PhotoPath(10) + L";";
    const std::set<std::wstring> gone = {PhotoPath(40), PhotoPath(10)};
    Paths asked;
    Paths list;
    LoadRecentFiles(list, text, [&](const std::wstring& path) {
        asked.push_back(path);
        return gone.count(path) == 0;
    });
    EXPECT_EQ(asked.size(), 5u);
    EXPECT_EQ(list, (Paths{PhotoPath(20), PhotoPath(30), PhotoPath(50)}));

    Paths paths = {L"D:\\b.jpg",
                   L"C:\\x\\20240131-094502.jpg",
                   L"C:\\x\\20240131-094502-007.mp4",
                   L"C:\\x\\20231231-235959.png",
                   L"C:\\x\\20240131-094502.jpg.bak",
                   L"c:\\a.jpg",
                   L"C:\\x\\\u00e9.jpg"};
    SortRecentFiles(paths);
    EXPECT_EQ(paths, (Paths{L"C:\\x\\20231231-235959.png", L"C:\\x\\20240131-094502-007.mp4",
                            L"C:\\x\\20240131-094502.jpg", L"C:\\x\\20240131-094502.jpg.bak",
                            L"C:\\x\\\u00e9.jpg", L"D:\\b.jpg", L"c:\\a.jpg"}));

    // Entries already in the list take part in the sort; files added later go at the end.
    RecentFiles recent;
    recent.paths = {L"C:\\z.jpg"};
    LoadRecentFiles(recent.paths, L"C:\\m.jpg;C:\\a.jpg;", [](const std::wstring&) { return true; });
    EXPECT_EQ(recent.paths, (Paths{L"C:\\a.jpg", L"C:\\m.jpg", L"C:\\z.jpg"}));
    AddRecentFile(recent, L"C:\\b.jpg");
    EXPECT_EQ(recent.paths.back(), L"C:\\b.jpg");

    EXPECT_EQ(RecentFileDisplayName(L"C:\\Users\\me\\Vantix Files\\20240131-094502.jpg"),
              L"20240131-094502.jpg");
    EXPECT_EQ(RecentFileDisplayName(L"\\\\server\\share\\v.mp4"), L"v.mp4");
    EXPECT_EQ(RecentFileDisplayName(L"C:x.jpg"), L"x.jpg"); // no backslash: from the third character
    EXPECT_EQ(RecentFileDisplayName(L"C:\\dir\\"), L"");
    for (const wchar_t* tiny : {L"", L"a", L"ab", L"\\", L"\\b"})
        EXPECT_EQ(RecentFileDisplayName(tiny), L"") << tiny;

    EXPECT_EQ(VideoPreviewPicturePath(L"C:\\f\\20240131-094502-007.mp4"), L"C:\\f\\20240131-094502-007.jpg");
    EXPECT_EQ(VideoPreviewPicturePath(L"C:\\f\\clip.MP4"), L"");
    EXPECT_EQ(VideoPreviewPicturePath(L"p4"), L"");
}

TEST(FilesSectionLayout, DialogUnitsAtCommonBaseUnits) {
    // Base unit 16 (the usual 96 dpi font), section 236 pixels wide.
    FilesSectionLayout l = ComputeFilesSectionLayout(236, 16);
    EXPECT_EQ(std::tuple(l.header.height, l.header.width, l.collapsedHeight, l.list.y, l.list.height,
                         l.list.width, l.preview.y, l.preview.width, l.preview.height, l.expandedHeight),
              std::tuple(28, 236, 29, 33, 256, 236, 295, 236, 177, 472));

    // An odd base unit rounds each conversion on its own (the header's 22.75, the gap's 3.25, the
    // list's 216.125 to the preview); the 4:3 box truncates (177.75).
    l = ComputeFilesSectionLayout(237, 13);
    EXPECT_EQ(
        std::tuple(l.header.height, l.list.y, l.list.height, l.preview.y, l.preview.height, l.expandedHeight),
        std::tuple(23, 24 + 3, 208, 24 + 216, 177, 240 + 177));

    // Before the panel has a width (or below the creation allowance): an empty preview box.
    l = ComputeFilesSectionLayout(-16, 16);
    EXPECT_EQ(std::tuple(l.preview.height, l.list.width, l.expandedHeight), std::tuple(0, 0, l.preview.y));
}
