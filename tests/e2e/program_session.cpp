#include "tests/e2e/program_session.h"

#include "view/camera_view.h"

#include <cstdlib>
#include <vector>

std::wstring g_programPath;

std::wstring ToWindowsPath(const std::string& path) {
    std::wstring result;
    if (!path.empty() && path[0] == '/')
        result = L"Z:";
    for (char c : path)
        result.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return result;
}

namespace {

struct FindArgs {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindMainWindowProc(HWND hwnd, LPARAM lParam) {
    auto* args = reinterpret_cast<FindArgs*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t className[64] = {};
    GetClassNameW(hwnd, className, 64);
    if (pid == args->processId && wcscmp(className, L"VantixWndClass") == 0 && IsWindowVisible(hwnd)) {
        args->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

bool LaunchProgram(ProgramSession* session, DWORD timeoutMs) {
    std::wstring commandLine = L"\"" + g_programPath + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(g_programPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &session->process))
        return false;
    WaitForInputIdle(session->process.hProcess, timeoutMs);
    FindArgs args = {session->process.dwProcessId, nullptr};
    WaitFor(
        [&] {
            EnumWindows(FindMainWindowProc, reinterpret_cast<LPARAM>(&args));
            return args.found != nullptr;
        },
        timeoutMs);
    session->mainWindow = args.found;
    return args.found != nullptr;
}

DWORD CloseProgram(ProgramSession* session, DWORD timeoutMs) {
    if (session->mainWindow)
        PostMessageW(session->mainWindow, WM_CLOSE, 0, 0);
    DWORD exitCode = STILL_ACTIVE;
    if (WaitForSingleObject(session->process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(session->process.hProcess, &exitCode);
    } else {
        TerminateProcess(session->process.hProcess, 1);
        WaitForSingleObject(session->process.hProcess, 5000);
    }
    CloseHandle(session->process.hThread);
    CloseHandle(session->process.hProcess);
    session->process = {};
    session->mainWindow = nullptr;
    return exitCode;
}

LRESULT QueryView(HWND view, int which, LPARAM argument) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(view, UM_VIEW_QUERY, static_cast<WPARAM>(which), argument, SMTO_ABORTIFHUNG,
                             5000, &result))
        return -1;
    return static_cast<LRESULT>(result);
}

RECT ChildRect(HWND child) {
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::wstring SaveScreenshot(const wchar_t* name) {
    std::wstring folder = L".";
    if (const char* artifacts = std::getenv("VANTIX_ARTIFACTS"))
        folder = ToWindowsPath(artifacts);
    const std::wstring path = folder + L"\\" + name;

    HDC screen = GetDC(nullptr);
    const int width = GetDeviceCaps(screen, HORZRES);
    const int height = GetDeviceCaps(screen, VERTRES);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<unsigned char> pixels(static_cast<size_t>(stride) * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return {};
    DWORD written = 0;
    WriteFile(out, &file, sizeof(file), &written, nullptr);
    WriteFile(out, &info, sizeof(info), &written, nullptr);
    WriteFile(out, pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
    CloseHandle(out);
    return path;
}
