// The toolbar and its tool buttons in-process under Wine: the real window manager, tooltip, GDI and
// MSIMG32, with the main window as the program makes it.
#include "panels/panel_messages.h"
#include "base/gdi_holders.h"
#include "tests/wine/main_window_fixture.h"
#include "measure/measure_tool.h"
#include "panels/tool_button_table.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// OutputDebugString raises an exception that a vectored handler sees first.
std::vector<std::wstring> g_debugLines;

LONG CALLBACK CollectDebugLine(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->NumberParameters >= 2 && record->ExceptionCode == DBG_PRINTEXCEPTION_WIDE_C)
        g_debugLines.emplace_back(reinterpret_cast<const wchar_t*>(record->ExceptionInformation[1]));
    if (record->NumberParameters >= 2 && record->ExceptionCode == DBG_PRINTEXCEPTION_C) {
        const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
        g_debugLines.emplace_back(text, text + std::strlen(text));
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

bool SawDebugLine(const std::wstring& line) {
    return std::find(g_debugLines.begin(), g_debugLines.end(), line) != g_debugLines.end();
}

ToolButtonState* Data(HWND button) {
    return reinterpret_cast<ToolButtonState*>(GetWindowLongPtrW(button, 0));
}

COLORREF FacePixel(HWND button, int x, int y) {
    return GetPixel(ToolButtonFaceDc(*Data(button)), x, y);
}

// A corner of the face, away from the image.
COLORREF Corner(HWND button) {
    return FacePixel(button, 2, 2);
}

int ButtonCommands() {
    int n = 0;
    for (const auto& command : g_mainCommands)
        n += IsToolButtonId(LOWORD(command.first));
    return n;
}

std::wstring TipOf(HWND button) {
    wchar_t text[80] = {};
    TOOLINFOW info = {};
    info.cbSize = sizeof(info);
    info.hwnd = g_mainWindow.window;
    info.uId = reinterpret_cast<UINT_PTR>(button);
    info.lpszText = text;
    SendMessageW(g_mainWindow.tooltip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&info));
    return text;
}

HWND Button(int id) {
    return GetDlgItem(g_mainWindow.toolbar, id);
}

class ToolbarTest : public MainWindowSuite {};

} // namespace

// Declared first so it runs before the suite above prepares the real strip.
TEST(ToolButtonInit, ReportsAMissingStripThenPreparesOnce) {
    if (ToolButtonStripMarker() != 0)
        GTEST_SKIP() << "strip already prepared by an earlier test";
    PVOID handler = AddVectoredExceptionHandler(1, CollectDebugLine);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterWindowClasses(instance);

    EXPECT_EQ(LoadToolButtonImages(GetModuleHandleW(L"kernel32.dll")), 0); // no bitmap 137 there
    EXPECT_EQ(ToolButtonStripMarker(), 0);
    EXPECT_TRUE(SawDebugLine(L"LoadToolButtonImages failed.\r\n"));

    // Without the strip the buttons still work but show plain faces, with no wash even checked.
    HWND toolbar = CreateWindowExW(0, kToolbarWndClass, nullptr, WS_POPUP, 0, 0, 760, 52, nullptr, nullptr,
                                   instance, nullptr);
    ASSERT_NE(toolbar, nullptr);
    HWND line = GetDlgItem(toolbar, 3021);
    SendMessageW(toolbar, WM_COMMAND, MAKEWPARAM(3021, kToolButtonCheckCommand), 1);
    EXPECT_EQ(Data(line)->checked, 1);
    EXPECT_EQ(Corner(line), kToolbarFaceColor);
    EXPECT_EQ(FacePixel(line, 26, 26), kToolbarFaceColor);
    DestroyWindow(toolbar);

    EXPECT_EQ(LoadToolButtonImages(instance), 1);
    EXPECT_EQ(ToolButtonStripMarker(), 137);
    EXPECT_TRUE(SawDebugLine(L"LoadToolButtonImages OK\r\n"));
    EXPECT_EQ(LoadToolButtonImages(instance), 0); // once only
    RemoveVectoredExceptionHandler(handler);
}

TEST_F(ToolbarTest, FourteenButtonsShowTheirImagesAndSendOneCommandPerClick) {
    const GdiBitmap strip(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(137),
                                                          IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    const MemoryDc stripDC(nullptr);
    const SelectedObject selected(stripDC.get(), strip.get());

    EXPECT_EQ(GetWindow(Button(kToolButtons[0].id), GW_HWNDFIRST), Button(kToolButtons[0].id));
    // Where each button sits at each display scale is seen end to end.
    for (const ToolButtonSpec& entry : kToolButtons) {
        SCOPED_TRACE(entry.id);
        HWND button = Button(entry.id);
        ASSERT_NE(button, nullptr);
        EXPECT_TRUE(IsWindowVisible(button));
        EXPECT_EQ(SendMessageW(button, WM_GETDLGCODE, 0, 0), DLGC_STATIC);

        // The strip image at (6, 6) with white showing the face colour; plain face around it.
        int mismatches = 0;
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 40; ++x) {
                const COLORREF source = GetPixel(stripDC.get(), entry.imageX + x, y);
                mismatches += FacePixel(button, 6 + x, 6 + y) !=
                              (source == RGB(255, 255, 255) ? kToolbarFaceColor : source);
            }
        }
        EXPECT_EQ(mismatches, 0);
        EXPECT_EQ(FacePixel(button, 49, 49), kToolbarFaceColor);
    }
    // Clicked only now: a checked button shows a washed face.
    for (const ToolButtonSpec& entry : kToolButtons) {
        SCOPED_TRACE(entry.id);
        g_mainCommands.clear();
        PostClickAndLeave(Button(entry.id), 26, 26);
        Pump();
        ASSERT_EQ(ButtonCommands(), 1);
        EXPECT_EQ(g_mainCommands[0].first, static_cast<WPARAM>(entry.id)); // notification code 0
        EXPECT_EQ(g_mainCommands[0].second, 0);
    }
    SelectTool(TOOL_DRAG);
    Pump();
    g_mainCommands.clear();

    // Hovered, then the mouse mode is cancelled: hover and capture go, and nothing is sent.
    HWND button = Button(3024);
    SendMouse(button, WM_MOUSEMOVE, 20, 20);
    EXPECT_TRUE(Near(Corner(button), WashedFace(144), 2));
    SendMessageW(button, WM_CANCELMODE, 0, 0);
    EXPECT_NE(GetCapture(), button);
    EXPECT_EQ(Corner(button), kToolbarFaceColor);
    Pump();
    EXPECT_EQ(ButtonCommands(), 0);
}

TEST_F(ToolbarTest, TooltipsFollowTheLanguageAndTheToolbarActsOnlyOnItsOwnCommands) {
    ASSERT_NE(g_mainWindow.tooltip, nullptr);
    ASSERT_EQ(SendMessageW(g_mainWindow.tooltip, TTM_GETTOOLCOUNT, 0, 0), 14);
    for (int i = 0; i < 14; ++i) {
        TOOLINFOW info = {};
        info.cbSize = sizeof(info);
        ASSERT_TRUE(SendMessageW(g_mainWindow.tooltip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&info)));
        EXPECT_EQ(info.hwnd, g_mainWindow.window);
        EXPECT_EQ(info.uFlags & (TTF_IDISHWND | TTF_SUBCLASS), UINT{TTF_IDISHWND | TTF_SUBCLASS});
        EXPECT_EQ(reinterpret_cast<HWND>(info.uId), Button(kToolButtons[i].id));
    }
    for (int language : {2, 1, 0}) { // French, Chinese, back to English
        SelectLanguage(language);
        SendMessageW(g_mainWindow.toolbar, WM_COMMAND, MAKEWPARAM(CMD_REFRESH_TEXTS, 0), 0);
        for (const ToolButtonSpec& entry : kToolButtons)
            EXPECT_EQ(TipOf(Button(entry.id)), GetText(entry.tipKey)) << language << " " << entry.id;
    }

    // The toolbar acts only on its own commands. The check command goes to the button and never
    // comes back to the main window as a click.
    for (int id : {3018, 3019, 3020, 3031, 3008, 11})
        SendMessageW(g_mainWindow.toolbar, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    SendMessageW(g_mainWindow.toolbar, WM_COMMAND, MAKEWPARAM(3090, kToolButtonCheckCommand), 1);
    Pump();
    EXPECT_TRUE(g_mainCommands.empty());
    EXPECT_EQ(Data(Button(3090))->checked, 1);
    SendMessageW(g_mainWindow.toolbar, WM_COMMAND, MAKEWPARAM(3090, kToolButtonCheckCommand), 0);
    EXPECT_EQ(Data(Button(3090))->checked, 0);

    // A button's command is passed on with its wParam and lParam.
    SendMessageW(g_mainWindow.toolbar, WM_COMMAND, MAKEWPARAM(3028, 0), 1234);
    Pump();
    ASSERT_EQ(g_mainCommands.size(), 1u);
    EXPECT_EQ(g_mainCommands[0].first, static_cast<WPARAM>(3028));
    EXPECT_EQ(g_mainCommands[0].second, 1234);
}

TEST_F(ToolbarTest, FaceFollowsTheButtonSize) {
    HWND button = CreateToolButton(g_mainWindow.toolbar, 3999, 760, 40 * 5, L"Spare", g_mainWindow.tooltip);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(SendMessageW(g_mainWindow.tooltip, TTM_GETTOOLCOUNT, 0, 0), 15);

    SetWindowPos(button, nullptr, 0, 0, 100, 120, SWP_NOMOVE | SWP_NOZORDER);
    // The wash covers a face larger than the wash bitmap, and the image sits in its middle.
    SendMessageW(button, WM_COMMAND, MAKEWPARAM(3999, kToolButtonCheckCommand), 1);
    EXPECT_TRUE(Near(FacePixel(button, 98, 118), WashedFace(96), 2));
    SendMessageW(button, WM_COMMAND, MAKEWPARAM(3999, kToolButtonCheckCommand), 0);
    int drawnOutside = 0, drawnInside = 0;
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < 100; ++x) {
            const bool drawn = FacePixel(button, x, y) != kToolbarFaceColor;
            (x >= 30 && x < 70 && y >= 40 && y < 80 ? drawnInside : drawnOutside) += drawn;
        }
    }
    EXPECT_EQ(drawnOutside, 0);
    EXPECT_GT(drawnInside, 30);

    // A zero size leaves the face and its record alone.
    SetWindowPos(button, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(Data(button)->width, 100);

    DestroyWindow(button); // leaves the shared tooltip
    EXPECT_EQ(SendMessageW(g_mainWindow.tooltip, TTM_GETTOOLCOUNT, 0, 0), 14);
}
