#include "tests/e2e/e2e_support.h"

#include "app/main_layout.h"
#include "base/app_settings.h"
#include "output/image_encoders.h"
#include "view/view_geometry.h"

#include <cstdlib>

std::wstring g_programPath;

std::wstring ToWindowsPath(const std::string& path) {
    std::wstring result;
    if (!path.empty() && path[0] == '/')
        result = L"Z:";
    for (char c : path)
        result.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return result;
}

bool LaunchProgram(ProgramSession* session, DWORD timeoutMs) {
    std::wstring commandLine = L"\"" + g_programPath + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(g_programPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &session->process))
        return false;
    WaitForInputIdle(session->process.hProcess, timeoutMs);
    session->mainWindow = WaitForTopWindow(
        session->process.dwProcessId, [](HWND hwnd) { return WindowClass(hwnd) == L"VantixWndClass"; },
        timeoutMs);
    return session->mainWindow != nullptr;
}

DWORD EndProgram(ProgramSession* session, bool kill, DWORD timeoutMs) {
    if (kill)
        TerminateProcess(session->process.hProcess, 9);
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

DWORD CloseProgram(ProgramSession* session, DWORD timeoutMs) {
    if (session->mainWindow)
        PostMessageW(session->mainWindow, WM_CLOSE, 0, 0);
    return EndProgram(session, false, timeoutMs);
}

HWND FindTopWindow(DWORD processId, const std::function<bool(HWND)>& match) {
    for (HWND hwnd = GetTopWindow(nullptr); hwnd; hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid == processId && IsWindowVisible(hwnd) && match(hwnd))
            return hwnd;
    }
    return nullptr;
}

HWND WaitForTopWindow(DWORD processId, const std::function<bool(HWND)>& match, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitFor([&] { return (found = FindTopWindow(processId, match)) != nullptr; }, timeoutMs);
    return found;
}

void PressButton(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Choose(HWND owner, HWND control, int id, int item, bool listBox) {
    PostMessageW(control, listBox ? LB_SETCURSEL : CB_SETCURSEL, item, 0);
    PostMessageW(owner, WM_COMMAND, MAKEWPARAM(id, listBox ? LBN_SELCHANGE : CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(control));
}

std::wstring ArtifactFolder() {
    if (const char* artifacts = std::getenv("VANTIX_ARTIFACTS"))
        return ToWindowsPath(artifacts);
    return L".";
}

void KeepArtifact(const std::wstring& path, const wchar_t* name) {
    CopyFileW(path.c_str(), (ArtifactFolder() + L"\\" + name).c_str(), FALSE);
}

std::wstring SaveScreenshot(const wchar_t* name) {
    const GdiplusSession gdiplus; // tests without a program session save screenshots too
    const std::wstring path = ArtifactFolder() + L"\\" + name;
    // The program repaints what a start or a relabel has just invalidated; a grab at once catches
    // the panel half drawn, which is not what anyone looking at the screenshot wants to see.
    Sleep(300);
    Picture shot = GrabScreen(nullptr, {0, 0}, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    for (uint32_t& pixel : shot.pixels)
        pixel |= 0xFF000000u; // opaque: viewers read the fourth byte as alpha
    Gdiplus::Bitmap bitmap(shot.width, shot.height, shot.width * 4, PixelFormat32bppARGB,
                           reinterpret_cast<BYTE*>(shot.pixels.data()));
    LookupImageEncoders();
    return bitmap.Save(path.c_str(), &g_bmpEncoderClsid, nullptr) == Gdiplus::Ok ? path : std::wstring();
}

void StoreSettings(std::initializer_list<std::pair<const wchar_t*, DWORD>> values) {
    for (const auto& [name, value] : values)
        ASSERT_TRUE(WriteSetting(name, value)) << Utf8(name);
}

std::wstring DefaultSaveFolder() {
    return DocumentsFolder() + L"\\" + kDefaultSaveFolderName;
}

bool CompletePhoto(const std::vector<uint8_t>& b, bool png) {
    const size_t n = b.size();
    if (!png)
        return n > 4 && b[0] == 0xFF && b[1] == 0xD8 && b[n - 2] == 0xFF && b[n - 1] == 0xD9;
    return n > 12 && b[1] == 'P' && b[n - 8] == 'I' && b[n - 7] == 'E' && b[n - 6] == 'N' && b[n - 5] == 'D';
}

double MatchingShare(const Picture& photo, int cameraWidth, int cameraHeight, int tolerance,
                     const std::function<POINT(int, int)>& map) {
    const TestRect marker = TestPicture_MarkerRect(cameraWidth, cameraHeight);
    int checked = 0, matched = 0;
    for (int y = 3; y < photo.height - 3; y += photo.height / 23) {
        for (int x = 3; x < photo.width - 3; x += photo.width / 29) {
            const POINT c = map(x, y);
            if (marker.Contains(c.x, c.y))
                continue;
            ++checked;
            matched += Near(photo.At(x, y),
                            TestPicture_SpecimenPixel(cameraWidth, cameraHeight, c.x, c.y, 0, 30), tolerance);
        }
    }
    return checked > 0 ? static_cast<double>(matched) / checked : 0.0;
}

Picture GrabScreen(HWND hwnd, POINT origin, int width, int height) {
    if (hwnd)
        ClientToScreen(hwnd, &origin);
    const WindowDc screen(nullptr);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const OffscreenBitmap copy(
        screen.get(), GdiBitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0)));
    BitBlt(copy.dc.get(), 0, 0, width, height, screen.get(), origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const auto* p = static_cast<const uint32_t*>(bits);
    return {width, height, std::vector<uint32_t>(p, p + static_cast<size_t>(width) * height)};
}

void ProgramTest::TearDown() {
    if (session_.process.hProcess) {
        EXPECT_EQ(CloseProgram(&session_), 0u);
    }
    for (const std::wstring& instance : cameras_) {
        TestCam_Unregister(instance);
        TestCam_RemoveConfig(instance);
    }
    ClearSettings();
}

bool ProgramTest::AddCamera(const TestCamConfig& config) {
    cameras_.push_back(config.instanceName);
    return TestCam_Register(config);
}

void ProgramTest::Launch() {
    ASSERT_TRUE(LaunchProgram(&session_)) << "main window did not appear";
    main_ = session_.mainWindow;
    view_ = GetDlgItem(main_, kIdCameraView);
    toolbar_ = GetDlgItem(main_, kIdToolbar);
    panel_ = GetDlgItem(main_, kIdControlPanel);
}

void ProgramTest::ClickTool(int id) const {
    HWND button = GetDlgItem(toolbar_, id);
    ASSERT_NE(button, nullptr) << id;
    PostClickAndLeave(button, 20, 20);
}

HWND ProgramTest::WaitForDialog(const std::function<bool(HWND)>& match, DWORD timeoutMs) const {
    return WaitForTopWindow(
        session_.process.dwProcessId,
        [&](HWND hwnd) { return WindowClass(hwnd) == L"#32770" && match(hwnd); }, timeoutMs);
}

HWND ProgramTest::WaitForDialog(const std::wstring& caption, DWORD timeoutMs) const {
    return WaitForDialog([&](HWND hwnd) { return WindowText(hwnd) == caption; }, timeoutMs);
}

POINT ProgramTest::ClientOfContent(int contentWidth, int contentHeight, int x, int y) const {
    const SIZE client = ClientSize(view_);
    return {x - static_cast<int>(Query(kQueryScrollX)) + CentringMargin(client.cx, contentWidth),
            y - static_cast<int>(Query(kQueryScrollY)) + CentringMargin(client.cy, contentHeight)};
}

int ProgramTest::PictureMismatches(int width, int height,
                                   const std::function<TestRgb(int, int)>& expected) const {
    const TestRect marker = TestPicture_MarkerRect(width, height);
    int wrong = 0;
    for (int y = 13; y < height; y += 37) {
        for (int x = 11; x < width; x += 53) {
            if (marker.Contains(x, y) || marker.Contains(x, height - 1 - y) || marker.Contains(x, y - 1))
                continue;
            const POINT p = ClientOfContent(width, height, x, y);
            wrong += !Near(ScreenPixel(view_, p.x, p.y), expected(x, y), 3);
        }
    }
    return wrong;
}

void ProgramTest::ViewMouse(UINT msg, int x, int y, WPARAM keys) const {
    const POINT p = ClientOfContent(content_.cx, content_.cy, x, y);
    SendWithTimeout(view_, msg, keys, MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)));
}

void ProgramTest::Stroke(POINT from, POINT to, int steps) const {
    ViewMouse(WM_LBUTTONDOWN, from.x, from.y, MK_LBUTTON);
    for (int i = 1; i <= steps; ++i)
        ViewMouse(WM_MOUSEMOVE, from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps,
                  MK_LBUTTON);
    ViewMouse(WM_LBUTTONUP, to.x, to.y);
}

void ProgramTest::ThreePoints(POINT p1, POINT p2, POINT p3) const {
    Stroke(p1, p2);
    ViewMouse(WM_MOUSEMOVE, (p2.x + p3.x) / 2, (p2.y + p3.y) / 2);
    ViewMouse(WM_MOUSEMOVE, p3.x, p3.y);
    ViewMouse(WM_LBUTTONDOWN, p3.x, p3.y, MK_LBUTTON);
    ViewMouse(WM_LBUTTONUP, p3.x, p3.y);
}
