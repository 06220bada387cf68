// End-to-end tests of vantix.exe: started like a user starts it, checked through its windows,
// the registry and the files it leaves.
#include "tests/e2e/program_session.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>

namespace {

std::wstring WindowClass(HWND hwnd) {
    wchar_t name[128] = {};
    GetClassNameW(hwnd, name, 128);
    return name;
}

std::wstring WindowText(HWND hwnd) {
    wchar_t text[256] = {};
    GetWindowTextW(hwnd, text, 256);
    return text;
}

struct ExpectedChild {
    int id;
    const wchar_t* className;
};

// Panel, toolbar and view rectangles as the main window must lay them out for its client size.
void ExpectLayout(HWND main) {
    RECT client = {};
    GetClientRect(main, &client);
    const int w = client.right;
    const int h = client.bottom;
    const int panel = MulDiv(126, LOWORD(GetDialogBaseUnits()), 4);
    struct {
        int id;
        RECT rect;
    } expected[] = {
        {109, {0, 0, panel, h}},
        {107, {panel + 2, 0, w, 52}},
        {108, {panel + 2, 52, w, h}},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.id);
        HWND child = GetDlgItem(main, e.id);
        ASSERT_NE(child, nullptr);
        const RECT r = ChildRect(child);
        EXPECT_EQ(r.left, e.rect.left);
        EXPECT_EQ(r.top, e.rect.top);
        EXPECT_EQ(r.right, e.rect.right);
        EXPECT_EQ(r.bottom, e.rect.bottom);
    }
}

bool LayoutSettled(HWND main) {
    RECT client = {};
    GetClientRect(main, &client);
    HWND view = GetDlgItem(main, 108);
    if (!view)
        return false;
    const RECT r = ChildRect(view);
    return r.right == client.right && r.bottom == client.bottom;
}

} // namespace

TEST(Startup, FirstStartShowsMainWindowAndClosesCleanly) {
    ProgramSession session;
    ASSERT_TRUE(LaunchProgram(&session)) << "main window did not appear";
    HWND main = session.mainWindow;

    EXPECT_EQ(WindowClass(main), L"VantixWndClass");
    EXPECT_EQ(WindowText(main), L"Vantix Quorel Digital Imaging Software HD-V1.0");
    EXPECT_TRUE(IsZoomed(main));

    const ExpectedChild children[] = {
        {107, L"MyToolbarWndClass"}, {108, L"CameraWndClass"}, {109, L"CtrlPanelWndClass"}};
    for (const ExpectedChild& child : children) {
        HWND hwnd = GetDlgItem(main, child.id);
        ASSERT_NE(hwnd, nullptr) << child.id;
        EXPECT_EQ(WindowClass(hwnd), child.className);
        EXPECT_TRUE(IsWindowVisible(hwnd));
    }
    EXPECT_TRUE(WaitFor([&] { return LayoutSettled(main); }, 5000));
    ExpectLayout(main);

    // The smallest size a user can drag the window to.
    MINMAXINFO info = {};
    DWORD_PTR result = 0;
    ASSERT_TRUE(SendMessageTimeoutW(main, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info),
                                    SMTO_ABORTIFHUNG, 5000, &result));
    EXPECT_EQ(info.ptMinTrackSize.x, 798);
    EXPECT_EQ(info.ptMinTrackSize.y, 520);

    EXPECT_FALSE(SaveScreenshot(L"startup.bmp").empty());

    // Restored and resized, the children follow the new client area.
    ShowWindow(main, SW_RESTORE);
    SetWindowPos(main, nullptr, 10, 10, 900, 640, SWP_NOZORDER);
    EXPECT_TRUE(WaitFor([&] { return LayoutSettled(main); }, 5000));
    ExpectLayout(main);

    // First start: the settings key and the default save folder exist; nothing was saved yet.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Vantix", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD values = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    RegCloseKey(key);
    EXPECT_EQ(values, 0u);
    wchar_t documents[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, documents), S_OK);
    const std::wstring folder = std::wstring(documents) + L"\\Vantix Files";
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);

    EXPECT_EQ(CloseProgram(&session), 0u);
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--exe=", 6) == 0)
            g_programPath = ToWindowsPath(argv[i] + 6);
    }
    if (g_programPath.empty()) {
        fprintf(stderr, "usage: e2e_driver --exe=PATH-TO-vantix.exe [gtest options]\n");
        return 2;
    }
    return RUN_ALL_TESTS();
}
