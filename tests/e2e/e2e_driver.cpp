// End-to-end tests of vantix.exe: started like a user starts it, checked through its windows,
// the registry and the files it leaves.
#include "app/main_layout.h"
#include "panels/panel_messages.h"
#include "panels/tool_button_face.h"
#include "panels/tool_button_table.h"
#include "tests/e2e/e2e_support.h"

#include <cstring>
#include <tuple>
#include <utility>

namespace {

// The display scale the prefix runs at (the driver is DPI aware, so this is the system's DPI).
int ScreenDpi() {
    return GetDeviceCaps(WindowDc(nullptr).get(), LOGPIXELSY);
}

// Panel, toolbar and view rectangles as the main window must lay them out for its client size
// and the display scale.
void ExpectLayout(HWND main) {
    const SIZE client = ClientSize(main);
    const int panel = MulDiv(kPanelWidthDialogUnits, LOWORD(GetDialogBaseUnits()), 4);
    const MainLayout layout = ComputeMainLayoutForDpi(client.cx, client.cy, panel, ScreenDpi());
    const struct {
        int id;
        LayoutRect rect;
    } expected[] = {
        {kIdControlPanel, layout.panel}, {kIdToolbar, layout.toolbar}, {kIdCameraView, layout.view}};
    for (const auto& e : expected) {
        SCOPED_TRACE(testing::Message() << e.id << " at " << ScreenDpi() << " DPI");
        HWND child = GetDlgItem(main, e.id);
        ASSERT_NE(child, nullptr);
        const RECT r = RectInParent(child);
        EXPECT_EQ(std::tuple(r.left, r.top, r.right, r.bottom),
                  std::tuple(e.rect.x, e.rect.y, e.rect.x + e.rect.width, e.rect.y + e.rect.height));
    }
}

bool LayoutSettled(HWND main) {
    HWND view = GetDlgItem(main, kIdCameraView);
    const SIZE client = ClientSize(main);
    return view && RectInParent(view).right == client.cx && RectInParent(view).bottom == client.cy;
}

} // namespace

TEST(Startup, FirstStartShowsMainWindowAndClosesCleanly) {
    ProgramSession session;
    ASSERT_TRUE(LaunchProgram(&session)) << "main window did not appear";
    HWND main = session.mainWindow;

    EXPECT_EQ(WindowText(main), L"Vantix Quorel Digital Imaging Software HD-V1.0");
    EXPECT_TRUE(IsZoomed(main));
    const struct {
        int id;
        const wchar_t* className;
    } children[] = {{kIdToolbar, L"MyToolbarWndClass"},
                    {kIdCameraView, L"CameraWndClass"},
                    {kIdControlPanel, L"CtrlPanelWndClass"}};
    for (const auto& child : children) {
        HWND hwnd = GetDlgItem(main, child.id);
        ASSERT_NE(hwnd, nullptr) << child.id;
        EXPECT_EQ(WindowClass(hwnd), child.className);
        EXPECT_TRUE(IsWindowVisible(hwnd));
    }
    EXPECT_TRUE(WaitFor([&] { return LayoutSettled(main); }, 5000));
    ExpectLayout(main);
    // The tool buttons sit where the display scale puts them, faces as tall as the toolbar.
    HWND toolbar = GetDlgItem(main, kIdToolbar);
    for (int i = 0; i < kToolButtonCount; ++i) {
        SCOPED_TRACE(i);
        HWND button = GetDlgItem(toolbar, kToolButtons[static_cast<size_t>(i)].id);
        ASSERT_NE(button, nullptr);
        const ToolButtonPlace place = PlaceToolButton(i, ScreenDpi());
        const RECT r = RectInParent(button);
        EXPECT_EQ(std::tuple(r.left, r.top, r.right - r.left, r.bottom),
                  std::tuple(place.x, 0, place.size, RectInParent(toolbar).bottom));
    }

    // The smallest size a user can drag the window to.
    MINMAXINFO info = {};
    ASSERT_NE(SendWithTimeout(main, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info)), -1);
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const MinTrackSize least =
        MinTrackSizeForDpi(ScreenDpi(), {work.right - work.left, work.bottom - work.top});
    EXPECT_EQ(std::pair(info.ptMinTrackSize.x, info.ptMinTrackSize.y),
              std::pair(LONG{least.width}, LONG{least.height}));
    SaveScreenshot((L"startup-" + std::to_wstring(ScreenDpi()) + L"dpi.bmp").c_str());

    // Restored and resized, the children follow the new client area.
    ShowWindow(main, SW_RESTORE);
    SetWindowPos(main, nullptr, 10, 10, 900, 640, SWP_NOZORDER);
    EXPECT_TRUE(WaitFor([&] { return LayoutSettled(main); }, 5000));
    ExpectLayout(main);

    // First start: the settings key and the default save folder exist; nothing was saved yet.
    EXPECT_EQ(SavedValueCount(), 0u);
    EXPECT_TRUE(IsDirectory(DefaultSaveFolder()));

    EXPECT_EQ(CloseProgram(&session), 0u);
}

namespace {

// The toolbar as a user sees it: button faces on the screen.
constexpr COLORREF kToolbarFace = RGB(143, 220, 220);

// A pixel near the top-left corner of a button's face, away from its image.
bool FaceIs(HWND button, COLORREF expected) {
    return Near(ScreenPixel(button, 3, 3), expected, 3);
}

bool FaceBecomes(HWND button, COLORREF expected) {
    return WaitFor([&] { return FaceIs(button, expected); }, 5000);
}

} // namespace

TEST(Toolbar, ButtonsClickAndShowTheirStates) {
    ProgramSession session;
    ASSERT_TRUE(LaunchProgram(&session)) << "main window did not appear";
    ASSERT_TRUE(WaitFor([&] { return LayoutSettled(session.mainWindow); }, 5000));
    HWND toolbar = GetDlgItem(session.mainWindow, kIdToolbar);
    ASSERT_NE(toolbar, nullptr);
    SetCursorPos(1279, 1023); // the real pointer stays off the toolbar
    const auto button = [&](int id) { return GetDlgItem(toolbar, id); };

    // At first no button is checked.
    for (const ToolButtonSpec& tool : kToolButtons) {
        ASSERT_NE(button(tool.id), nullptr) << tool.id;
        EXPECT_EQ(WindowClass(button(tool.id)), L"zToolButtonWndClass");
        EXPECT_TRUE(FaceBecomes(button(tool.id), kToolbarFace)) << tool.id;
    }

    // A drawing tool: its button shows checked.
    PostClickAndLeave(button(IDC_TOOL_LINE), 26, 26);
    EXPECT_TRUE(FaceBecomes(button(IDC_TOOL_LINE), WashedFace(96)));

    // Released outside, or only on column 0 or row 0: no command. The Parallel click after them
    // shows when they have all been handled.
    HWND rectangle = button(IDC_TOOL_RECTANGLE);
    PostMouse(rectangle, WM_MOUSEMOVE, 20, 20);
    PostMouse(rectangle, WM_LBUTTONDOWN, 20, 20);
    PostMouse(rectangle, WM_MOUSEMOVE, 20, 90);
    PostMouse(rectangle, WM_LBUTTONUP, 20, 90);
    PostClickAndLeave(button(IDC_TOOL_CIRCLE), 0, 20);
    PostClickAndLeave(button(IDC_TOOL_ANGLE), 20, 0);
    PostClickAndLeave(button(IDC_TOOL_PARALLEL), 26, 26);
    EXPECT_TRUE(FaceBecomes(button(IDC_TOOL_PARALLEL), WashedFace(96)));
    for (int id : {IDC_TOOL_LINE, IDC_TOOL_RECTANGLE, IDC_TOOL_CIRCLE, IDC_TOOL_ANGLE})
        EXPECT_TRUE(FaceIs(button(id), kToolbarFace)) << id;

    // Text without a camera: back to Drag, Text stays unchecked.
    PostClickAndLeave(button(IDC_TOOL_TEXT), 26, 26);
    EXPECT_TRUE(FaceBecomes(button(IDC_TOOL_DRAG), WashedFace(96)));
    EXPECT_TRUE(FaceBecomes(button(IDC_TOOL_PARALLEL), kToolbarFace));
    EXPECT_TRUE(FaceIs(button(IDC_TOOL_TEXT), kToolbarFace));

    // Pointer over the checked Drag button, then pressed, then gone.
    HWND drag = button(IDC_TOOL_DRAG);
    PostMouse(drag, WM_MOUSEMOVE, 26, 26);
    EXPECT_TRUE(FaceBecomes(drag, WashedFace(144)));
    PostMouse(drag, WM_LBUTTONDOWN, 26, 26);
    EXPECT_TRUE(FaceBecomes(drag, WashedFace(180)));
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
