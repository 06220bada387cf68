// A window standing in for a parent the program's windows talk to (the main window, the control
// panel): it records the commands and application messages it is sent or posted and acts on none.
#pragma once

#include <windows.h>

#include <vector>

struct HostMessage {
    HWND host;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};
inline std::vector<HostMessage> g_hostMessages; // oldest first, from every host

inline LRESULT CALLBACK RecordingHostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_COMMAND && msg < WM_APP)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    g_hostMessages.push_back({hwnd, msg, wParam, lParam});
    return 0;
}

// A shown top-level host of the given size, or with `parent` a hidden child of it.
inline HWND CreateRecordingHost(int width, int height, HWND parent = nullptr) {
    static const ATOM atom = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = RecordingHostProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = L"RecordingTestHost";
        return RegisterClassW(&wc);
    }();
    const DWORD style = parent ? WS_CHILD : WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    HWND host = CreateWindowExW(0, MAKEINTATOM(atom), L"host", style, 0, 0, width, height, parent, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (!parent)
        ShowWindow(host, SW_SHOWNORMAL);
    return host;
}
