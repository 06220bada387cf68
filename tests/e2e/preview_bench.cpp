// How fast the live picture is, not pass/fail tests: a frame's whole way from the camera to the
// window at 1920x1080 (copy and filters on delivery, composition and the copy to the window) as a
// multiple of one memcpy of the frame measured in the program, and the time from starting the
// program to its first live picture against a bare window's start. Each prints rows of tools/bench's
// table (bench/bench_table.h); tools/bench runs the suite, ctest does not.
#include "bench/bench_table.h"
#include "tests/e2e/program_session.h"
#include "testcam/testcam_control.h"
#include "view/camera_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace preview_bench {
namespace {

constexpr wchar_t kCamera[] = L"vid_1d6b&pid_0102&mi_00#previewbench#1";
constexpr int kViewId = 108;

std::string Text(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

class PreviewBench : public testing::Test {
protected:
    void RegisterCamera(int width, int height, int fps) {
        TestCamConfig config;
        config.instanceName = kCamera;
        config.friendlyName = L"Bench Scope";
        config.formats = {{kTestCamMjpg, width, height, fps}};
        ASSERT_TRUE(TestCam_Register(config));
    }

    void TearDown() override {
        TestCam_Unregister(kCamera);
        TestCam_RemoveConfig(kCamera);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Vantix");
    }
};

struct Found {
    DWORD processId;
    const wchar_t* windowClass;
    HWND window;
};

BOOL CALLBACK FindTopWindow(HWND hwnd, LPARAM lParam) {
    auto* found = reinterpret_cast<Found*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    if (pid == found->processId && wcscmp(name, found->windowClass) == 0) {
        found->window = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Starts `exe` and polls every millisecond until the window that answers the view's query (the top
// window of `windowClass`, or its child `childId`) has painted a picture; seconds from just before
// the process was created, or -1 when that took over 30 s. The process is closed afterwards.
double SecondsToFirstPicture(const std::wstring& exe, const wchar_t* windowClass, int childId) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const double start = Now();
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    double seconds = -1;
    Found found = {process.dwProcessId, windowClass, nullptr};
    while (Now() - start < 30) {
        if (!found.window)
            EnumWindows(FindTopWindow, reinterpret_cast<LPARAM>(&found));
        HWND target = found.window && childId ? GetDlgItem(found.window, childId) : found.window;
        if (target && QueryView(target, kQueryFramesPainted) > 0) {
            seconds = Now() - start;
            break;
        }
        Sleep(1);
    }
    if (found.window)
        PostMessageW(found.window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return seconds;
}

TEST_F(PreviewBench, FramePathAt1920x1080) {
    RegisterCamera(1920, 1080, 30);
    ProgramSession session;
    ASSERT_TRUE(LaunchProgram(&session));
    HWND view = GetDlgItem(session.mainWindow, kViewId);
    ASSERT_TRUE(WaitFor([&] { return QueryView(view, kQueryFramesPainted) > 0; }, 5000));
    Sleep(1000);
    const long delivered0 = TestCam_ReadStatus(kCamera).framesDelivered;
    const LRESULT painted0 = QueryView(view, kQueryFramesPainted);
    Sleep(10000);
    const double delivered = static_cast<double>(TestCam_ReadStatus(kCamera).framesDelivered - delivered0);
    const double painted = static_cast<double>(QueryView(view, kQueryFramesPainted) - painted0);
    const double median = static_cast<double>(QueryView(view, kQueryFramePathMedian));
    const double p95 = static_cast<double>(QueryView(view, kQueryFramePath95));
    const double compose = static_cast<double>(QueryView(view, kQueryComposeMedian));
    const double copy = static_cast<double>(QueryView(view, kQueryFrameCopy));
    EXPECT_EQ(CloseProgram(&session), 0u);
    ASSERT_GT(copy, 0);
    ASSERT_GT(delivered, 0);
    const std::string baseline = Text("memcpy %.0f us", copy);
    PrintBenchRatioRow("preview frame path 1920x1080, median", Text("%.0f us", median), baseline,
                       median / copy, 20);
    PrintBenchRatioRow("preview frame path 1920x1080, 95th percentile", Text("%.0f us", p95), baseline,
                       p95 / copy, 20);
    PrintBenchRatioRow("  of it composition and copy to the window, median", Text("%.0f us", compose),
                       baseline, compose / copy, 20);
    const double share = painted / delivered;
    PrintBenchRow("preview frames painted 1920x1080, 10 s", Text("%.0f painted", painted),
                  Text("%.0f delivered", delivered), Text("%.3f", share), ">= 1.000",
                  share >= 1.0 ? "yes" : "no");
}

TEST_F(PreviewBench, StartToFirstLivePicture) {
    RegisterCamera(640, 480, 30);
    const std::wstring folder = g_programPath.substr(0, g_programPath.find_last_of(L"\\/") + 1);
    const std::wstring bare = folder + L"bench\\startup\\bare_window.exe";
    std::vector<double> program, baseline;
    for (int round = 0; round < 5; ++round) {
        baseline.push_back(SecondsToFirstPicture(bare, L"VantixBareWindow", 0));
        program.push_back(SecondsToFirstPicture(g_programPath, L"VantixWndClass", kViewId));
        ASSERT_GT(baseline.back(), 0) << "the bare window did not paint";
        ASSERT_GT(program.back(), 0) << "the program showed no live picture";
    }
    const double p = Median(program), b = Median(baseline);
    PrintBenchRow("start to first live picture 640x480, median of 5", Text("%.0f ms", p * 1000),
                  Text("bare window %.0f ms", b * 1000), Text("%.2fx", p / b), "-", "-");
}

} // namespace
} // namespace preview_bench
