// End-to-end tests of vantix.exe: started like a user starts it, checked through its windows,
// the registry and the files it leaves.
#include "tests/e2e/program_session.h"

#include "app/main_layout.h"
#include "base/display_scale.h"
#include "panels/tool_button_face.h"
#include "panels/tool_button_table.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <map>

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

// The display scale the prefix runs at (the driver is DPI aware, so this is the system's DPI).
int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// Panel, toolbar and view rectangles as the main window must lay them out for its client size
// and the display scale.
void ExpectLayout(HWND main) {
    RECT client = {};
    GetClientRect(main, &client);
    const int w = client.right;
    const int h = client.bottom;
    const int panel = MulDiv(126, LOWORD(GetDialogBaseUnits()), 4);
    const MainLayout layout = ComputeMainLayoutForDpi(w, h, panel, ScreenDpi());
    auto edges = [](const LayoutRect& r) { return RECT{r.x, r.y, r.x + r.width, r.y + r.height}; };
    struct {
        int id;
        RECT rect;
    } expected[] = {
        {109, edges(layout.panel)},
        {107, edges(layout.toolbar)},
        {108, edges(layout.view)},
    };
    if (ScreenDpi() == 96) { // the rectangles as they always were at 100 %
        EXPECT_EQ(expected[1].rect.bottom, 52);
        EXPECT_EQ(expected[1].rect.left, panel + 2);
    }
    for (const auto& e : expected) {
        SCOPED_TRACE(testing::Message() << e.id << " at " << ScreenDpi() << " DPI");
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
    // The tool buttons sit where the display scale puts them, faces as tall as the toolbar.
    HWND toolbar = GetDlgItem(main, 107);
    for (int i = 0; i < kToolButtonCount; ++i) {
        SCOPED_TRACE(i);
        HWND button = GetDlgItem(toolbar, kToolButtons[static_cast<size_t>(i)].id);
        ASSERT_NE(button, nullptr);
        const ToolButtonPlace place = PlaceToolButton(i, ScreenDpi());
        const RECT r = ChildRect(button);
        EXPECT_EQ(r.left, place.x);
        EXPECT_EQ(r.top, 0);
        EXPECT_EQ(r.right - r.left, place.size);
        EXPECT_EQ(r.bottom, ChildRect(toolbar).bottom);
    }

    // The smallest size a user can drag the window to.
    MINMAXINFO info = {};
    DWORD_PTR result = 0;
    ASSERT_TRUE(SendMessageTimeoutW(main, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info),
                                    SMTO_ABORTIFHUNG, 5000, &result));
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const MinTrackSize least =
        MinTrackSizeForDpi(ScreenDpi(), {work.right - work.left, work.bottom - work.top});
    EXPECT_EQ(info.ptMinTrackSize.x, least.width);
    EXPECT_EQ(info.ptMinTrackSize.y, least.height);

    const std::wstring shot =
        ScreenDpi() == 96 ? L"startup.bmp" : L"startup-" + std::to_wstring(ScreenDpi()) + L"dpi.bmp";
    EXPECT_FALSE(SaveScreenshot(shot.c_str()).empty());

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

// The main window laid out for the display scale in languages of long words and of wide glyphs,
// with a screenshot of each to look at (main-LANGUAGE-DPIdpi.bmp).
TEST(Startup, MainWindowInEnglishRussianAndJapanese) {
    const struct {
        DWORD index;
        const wchar_t* name;
    } languages[] = {{0, L"english"}, {7, L"russian"}, {5, L"japanese"}};
    for (const auto& language : languages) {
        SCOPED_TRACE(testing::Message() << language.index);
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Vantix", 0, nullptr, 0, KEY_WRITE, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, L"Language", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&language.index),
                       sizeof(language.index));
        RegCloseKey(key);

        ProgramSession session;
        ASSERT_TRUE(LaunchProgram(&session)) << "main window did not appear";
        EXPECT_TRUE(WaitFor([&] { return LayoutSettled(session.mainWindow); }, 5000));
        ExpectLayout(session.mainWindow);
        Sleep(500); // let the panel and the toolbar finish painting
        const std::wstring shot =
            std::wstring(L"main-") + language.name + L"-" + std::to_wstring(ScreenDpi()) + L"dpi.bmp";
        EXPECT_FALSE(SaveScreenshot(shot.c_str()).empty());
        EXPECT_EQ(CloseProgram(&session), 0u);
    }
}

namespace {

// The toolbar as a user sees it: button faces on the screen.
constexpr COLORREF kToolbarFace = RGB(143, 220, 220);
constexpr int kToolbarIds[] = {3017, 3090, 3021, 3022, 3024, 3023, 3039,
                               3025, 3026, 3068, 3027, 3030, 3028, 3029};

// The face colour under the green wash at `alpha`.
COLORREF WashedFace(int alpha) {
    auto mix = [alpha](int src, int dst) { return (src * alpha + dst * (255 - alpha) + 127) / 255; };
    return RGB(mix(0, 143), mix(111, 220), mix(0, 220));
}

bool NearColor(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= 3 && std::abs(GetGValue(a) - GetGValue(b)) <= 3 &&
           std::abs(GetBValue(a) - GetBValue(b)) <= 3;
}

// A pixel near the top-left corner of a button's face, away from its image, read off the screen.
COLORREF FaceCorner(HWND button) {
    POINT p = {3, 3};
    ClientToScreen(button, &p);
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return c;
}

bool FaceBecomes(HWND button, COLORREF expected) {
    return WaitFor([&] { return NearColor(FaceCorner(button), expected); }, 5000);
}

void PostMouse(HWND button, UINT msg, int x, int y) {
    PostMessageW(button, msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0,
                 MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

// Press and release at (x, y), arriving and leaving as a pointer does.
void PostClick(HWND button, int x = 26, int y = 26) {
    PostMouse(button, WM_MOUSEMOVE, x, y);
    PostMouse(button, WM_LBUTTONDOWN, x, y);
    PostMouse(button, WM_LBUTTONUP, x, y);
    PostMouse(button, WM_MOUSEMOVE, 300, 300);
}

} // namespace

TEST(Toolbar, ButtonsClickAndShowTheirStates) {
    ProgramSession session;
    ASSERT_TRUE(LaunchProgram(&session)) << "main window did not appear";
    HWND main = session.mainWindow;
    ASSERT_TRUE(WaitFor([&] { return LayoutSettled(main); }, 5000));
    HWND toolbar = GetDlgItem(main, 107);
    ASSERT_NE(toolbar, nullptr);
    SetCursorPos(1279, 1023); // the real pointer stays off the toolbar

    // At first no button is checked.
    std::map<int, HWND> buttons;
    for (int id : kToolbarIds) {
        buttons[id] = GetDlgItem(toolbar, id);
        ASSERT_NE(buttons[id], nullptr) << id;
        EXPECT_EQ(WindowClass(buttons[id]), L"zToolButtonWndClass");
        EXPECT_TRUE(FaceBecomes(buttons[id], kToolbarFace)) << id;
    }
    SaveScreenshot(L"toolbar-start.bmp");

    // A drawing tool: its button shows checked.
    PostClick(buttons[3021]);
    EXPECT_TRUE(FaceBecomes(buttons[3021], WashedFace(96)));

    // Released outside, or only on column 0 or row 0: no command. The Parallel click after them
    // shows when they have all been handled.
    HWND rectangle = buttons[3024];
    PostMouse(rectangle, WM_MOUSEMOVE, 20, 20);
    PostMouse(rectangle, WM_LBUTTONDOWN, 20, 20);
    PostMouse(rectangle, WM_MOUSEMOVE, 20, 90);
    PostMouse(rectangle, WM_LBUTTONUP, 20, 90);
    PostClick(buttons[3023], 0, 20);
    PostClick(buttons[3025], 20, 0);
    PostClick(buttons[3022]);
    EXPECT_TRUE(FaceBecomes(buttons[3022], WashedFace(96)));
    EXPECT_TRUE(NearColor(FaceCorner(buttons[3021]), kToolbarFace));
    EXPECT_TRUE(NearColor(FaceCorner(rectangle), kToolbarFace));
    EXPECT_TRUE(NearColor(FaceCorner(buttons[3023]), kToolbarFace));
    EXPECT_TRUE(NearColor(FaceCorner(buttons[3025]), kToolbarFace));

    // Text without a camera: back to Drag, Text stays unchecked.
    PostClick(buttons[3027]);
    EXPECT_TRUE(FaceBecomes(buttons[3030], WashedFace(96)));
    EXPECT_TRUE(FaceBecomes(buttons[3022], kToolbarFace));
    EXPECT_TRUE(NearColor(FaceCorner(buttons[3027]), kToolbarFace));
    SaveScreenshot(L"toolbar-checked.bmp");

    // Pointer over the checked Drag button, then pressed, then gone.
    HWND drag = buttons[3030];
    PostMouse(drag, WM_MOUSEMOVE, 26, 26);
    EXPECT_TRUE(FaceBecomes(drag, WashedFace(144)));
    SaveScreenshot(L"toolbar-hover.bmp");
    PostMouse(drag, WM_LBUTTONDOWN, 26, 26);
    EXPECT_TRUE(FaceBecomes(drag, WashedFace(180)));
    SaveScreenshot(L"toolbar-pressed.bmp");
    PostMouse(drag, WM_MOUSEMOVE, 26, 200);
    PostMouse(drag, WM_LBUTTONUP, 26, 200);
    EXPECT_TRUE(FaceBecomes(drag, WashedFace(96)));

    EXPECT_EQ(CloseProgram(&session), 0u);
}

int main(int argc, char** argv) {
    // Window rectangles of the program are read unscaled whatever the display scale.
    SetProcessDPIAware();
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
