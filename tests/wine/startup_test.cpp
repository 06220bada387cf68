// Start-up pieces against Wine's real window manager and file system.
#include "app/main_window.h"
#include "app/window_classes.h"

#include <gtest/gtest.h>

#include "panels/panel_classes.h"
#include "tests/support/file_bytes.h"
#include "tests/support/win32_support.h"

#include <string>

TEST(WindowClasses, RegistersAllElevenWithTheirStyles) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    ASSERT_EQ(RegisterWindowClasses(instance), 11);

    struct {
        const wchar_t* name;
        UINT style;
        int extra;
    } expected[] = {
        {kMainWndClass, 0, 0},
        {kCameraWndClass, 0, 8},
        {kToolbarWndClass, 0, 8},
        {kCtrlPanelWndClass, 0, 8},
        {kCtrlPanelHeaderWndClass, CS_HREDRAW, 8},
        {kCtrlPanelSourceWndClass, CS_HREDRAW, 8},
        {kCtrlPanelFlipWndClass, CS_HREDRAW, 8},
        {kCtrlPanelColorWndClass, CS_HREDRAW, 8},
        {kCtrlPanelFilesWndClass, CS_HREDRAW, 8},
        {kToolButtonWndClass, 0, 8},
        {kImageWndClass, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, 8},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(testing::Message() << static_cast<const void*>(e.name));
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        ASSERT_TRUE(GetClassInfoExW(instance, e.name, &wc));
        EXPECT_EQ(wc.style, e.style);
        EXPECT_EQ(wc.cbWndExtra, e.extra); // one pointer-sized record slot
        EXPECT_NE(wc.hCursor, nullptr);
    }
    // Registering again changes nothing and does not fail loudly.
    EXPECT_EQ(RegisterWindowClasses(instance), 0);
}

TEST(SaveFolderItem, PrefersLastSavedThenJpgPngMp4ThenFolder) {
    const std::wstring folder = TempFolder(L"vantix-items");
    EXPECT_EQ(ChooseSaveFolderItem(folder, L"C:\\x\\last.jpg"), L"C:\\x\\last.jpg");
    EXPECT_EQ(ChooseSaveFolderItem(folder, L""), folder);

    ASSERT_TRUE(WriteBytes(folder + L"\\clip.mp4", {}));
    EXPECT_EQ(ChooseSaveFolderItem(folder, L""), folder + L"\\clip.mp4");
    ASSERT_TRUE(WriteBytes(folder + L"\\shot.png", {}));
    EXPECT_EQ(ChooseSaveFolderItem(folder, L""), folder + L"\\shot.png");
    ASSERT_TRUE(WriteBytes(folder + L"\\photo.jpg", {}));
    EXPECT_EQ(ChooseSaveFolderItem(folder, L""), folder + L"\\photo.jpg");

    // A folder that is gone still gives something to show.
    EXPECT_EQ(ChooseSaveFolderItem(L"C:\\no\\such\\folder", L""), L"C:\\no\\such\\folder");
}
