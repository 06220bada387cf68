// Helpers that the Win32 test layers (tests/wine in-process, tests/e2e from outside the program)
// share: window text and class, posted mouse input, screen pixels, registry values under the
// program's key, temporary folders, colour comparison and the virtual camera's Set calls. Header only.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/app_settings.h"
#include "base/win32_window.h" // ClientSize
#include "testcam/test_picture.h"
#include "testcam/testcam_control.h"

// A window's text, asked of the window itself: for another process's control GetWindowText gives
// only a caption. Empty when the window does not answer within 5 s.
inline std::wstring WindowText(HWND hwnd) {
    wchar_t text[1024] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        &ignored);
    return text;
}

inline std::wstring WindowClass(HWND hwnd) {
    wchar_t name[128] = {};
    GetClassNameW(hwnd, name, 128);
    return name;
}

inline std::string Utf8(std::wstring_view text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

// A message sent with a time-out, so that a hung window fails the test instead of blocking it;
// `fallback` when it does not answer.
inline LRESULT SendWithTimeout(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT fallback = -1) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, msg, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result))
        return fallback;
    return static_cast<LRESULT>(result);
}

// A check box or radio button shows its tick.
inline bool Ticked(HWND button) {
    return SendWithTimeout(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// The items of a combo box or a list box, in order.
inline std::vector<std::wstring> ItemTexts(HWND control, UINT countMsg, UINT textMsg) {
    std::vector<std::wstring> items;
    const LRESULT count = SendWithTimeout(control, countMsg, 0, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[512] = {};
        SendWithTimeout(control, textMsg, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        items.emplace_back(text);
    }
    return items;
}
inline std::vector<std::wstring> ComboItems(HWND combo) {
    return ItemTexts(combo, CB_GETCOUNT, CB_GETLBTEXT);
}
inline std::vector<std::wstring> ListItems(HWND list) {
    return ItemTexts(list, LB_GETCOUNT, LB_GETTEXT);
}

// A child's rectangle in its parent's client coordinates.
inline RECT RectInParent(HWND child) {
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Mouse input posted as the system delivers it, in the window's client coordinates. Without
// `keys`, the left button is down for a press or double click and up otherwise.
inline void PostMouse(HWND hwnd, UINT msg, int x, int y, WPARAM keys) {
    PostMessageW(hwnd, msg, keys, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}
inline void PostMouse(HWND hwnd, UINT msg, int x, int y) {
    PostMouse(hwnd, msg, x, y, (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) ? MK_LBUTTON : 0);
}

// The same, sent: handled before the call returns. Only a press holds the left button.
inline void SendMouse(HWND hwnd, UINT msg, int x, int y) {
    SendMessageW(hwnd, msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0,
                 MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

// A left click at (x, y): the pointer arrives, presses, releases and leaves again (a tool button
// shows its hover face until it does).
inline void PostClickAndLeave(HWND hwnd, int x, int y) {
    PostMouse(hwnd, WM_MOUSEMOVE, x, y);
    PostMouse(hwnd, WM_LBUTTONDOWN, x, y);
    PostMouse(hwnd, WM_LBUTTONUP, x, y);
    PostMouse(hwnd, WM_MOUSEMOVE, 300, 300);
}

// A push button pressed from the keyboard or by a dialog's user, posted.
inline void PostButtonClick(HWND button) {
    PostMessageW(button, BM_CLICK, 0, 0);
}
inline void PostButtonClick(HWND dialog, int id) {
    PostButtonClick(GetDlgItem(dialog, id));
}

// What the screen shows at a point of a window's client area.
inline COLORREF ScreenPixel(HWND hwnd, int x, int y) {
    POINT p = {x, y};
    ClientToScreen(hwnd, &p);
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return c;
}

// The virtual camera's Set calls so far, oldest first, with their results left out of comparisons.
inline std::vector<TestCamSetCall> SetCalls(const std::wstring& instance) {
    std::vector<TestCamSetCall> calls = TestCam_ReadSetCalls(instance);
    for (TestCamSetCall& call : calls)
        call.result = S_OK;
    return calls;
}

// Colours equal within `tolerance` in each channel.
inline bool Near(COLORREF a, COLORREF b, int tolerance) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
           std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}
inline bool Near(COLORREF a, TestRgb b, int tolerance) {
    return Near(a, RGB(b.r, b.g, b.b), tolerance);
}

// A tool button's face (143, 220, 220) under the green wash (0, 111, 0) at `alpha`.
inline COLORREF WashedFace(int alpha) {
    auto mix = [alpha](int src, int dst) { return (src * alpha + dst * (255 - alpha) + 127) / 255; };
    return RGB(mix(0, 143), mix(111, 220), mix(0, 220));
}

// %TEMP%\name, created when it is not there.
inline std::wstring TempFolder(std::wstring_view name) {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    std::wstring folder = std::wstring(base) + std::wstring(name);
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

// Values under the program's own settings key (HKEY_CURRENT_USER\SettingsKeyPath()), which a
// write creates when it is not there.
inline bool WriteSetting(const wchar_t* name, DWORD value) {
    return RegSetKeyValueW(HKEY_CURRENT_USER, SettingsKeyPath().c_str(), name, REG_DWORD, &value,
                           sizeof(value)) == ERROR_SUCCESS;
}
inline bool WriteSetting(const wchar_t* name, const std::wstring& value) {
    return RegSetKeyValueW(HKEY_CURRENT_USER, SettingsKeyPath().c_str(), name, REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}
inline std::optional<DWORD> SavedDword(const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, SettingsKeyPath().c_str(), name, RRF_RT_REG_DWORD, nullptr, &value,
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}
inline std::optional<std::wstring> SavedString(const wchar_t* name) {
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, SettingsKeyPath().c_str(), name, RRF_RT_REG_SZ, nullptr, nullptr,
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, SettingsKeyPath().c_str(), name, RRF_RT_REG_SZ, nullptr, text.data(),
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}
// How many values the settings key holds; nothing when there is no key.
inline std::optional<DWORD> SavedValueCount() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKeyPath().c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD count = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                     nullptr, nullptr);
    RegCloseKey(key);
    return count;
}
// Removes every saved setting: the program starts with its defaults.
inline void ClearSettings() {
    RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKeyPath().c_str());
}

// The capture format the program opens the camera with next time, as saved settings.
inline bool StoreRequestedFormat(bool mjpg, int width, int height, bool interpolated = false) {
    return WriteSetting(L"mjpg", mjpg ? 1 : 0) && WriteSetting(L"width", static_cast<DWORD>(width)) &&
           WriteSetting(L"height", static_cast<DWORD>(height)) &&
           WriteSetting(L"interpolated", interpolated ? 1 : 0);
}
