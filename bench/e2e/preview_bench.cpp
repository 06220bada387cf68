// How fast the live picture is, not pass/fail tests: a frame's whole way from the camera to the
// window at 1920x1080 (copy and filters on delivery, composition and the copy to the window) as a
// multiple of one memcpy of the frame measured in the program, the time from starting the program
// to its first live picture against a bare window's start, and the composition while a shape is
// dragged over a large picture full of shapes. Each prints rows of tools/bench's table
// (bench/bench_table.h); tools/bench runs the suite in the end-to-end driver, ctest does not.
#include "app/main_layout.h"
#include "bench/bench_table.h"
#include "measure/measure_tool.h"
#include "panels/panel_messages.h"
#include "tests/e2e/e2e_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace preview_bench {
namespace {

constexpr wchar_t kCamera[] = L"vid_1d6b&pid_0102&mi_00#previewbench#1";

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

class PreviewBench : public ProgramTest {
protected:
    void RegisterCamera(int width, int height, int fps) {
        ASSERT_TRUE(AddCamera(kCamera, L"Bench Scope", {{kTestCamMjpg, width, height, fps}}));
    }
};

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
    HWND window = nullptr;
    while (Now() - start < 30) {
        if (!window)
            window = FindTopWindow(process.dwProcessId,
                                   [&](HWND hwnd) { return WindowClass(hwnd) == windowClass; });
        HWND target = window && childId ? GetDlgItem(window, childId) : window;
        if (target && ::Query(target, kQueryFramesPainted) > 0) {
            seconds = Now() - start;
            break;
        }
        Sleep(1);
    }
    if (window)
        PostMessageW(window, WM_CLOSE, 0, 0);
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
    HWND view = GetDlgItem(session.mainWindow, kIdCameraView);
    ASSERT_TRUE(WaitFor([&] { return ::Query(view, kQueryFramesPainted) > 0; }, 5000));
    Sleep(1000);
    const long delivered0 = TestCam_ReadStatus(kCamera).framesDelivered;
    const LRESULT painted0 = ::Query(view, kQueryFramesPainted);
    Sleep(10000);
    const double delivered = static_cast<double>(TestCam_ReadStatus(kCamera).framesDelivered - delivered0);
    const double painted = static_cast<double>(::Query(view, kQueryFramesPainted) - painted0);
    const double median = static_cast<double>(::Query(view, kQueryFramePathMedian));
    const double p95 = static_cast<double>(::Query(view, kQueryFramePath95));
    const double compose = static_cast<double>(::Query(view, kQueryComposeMedian));
    const double copy = static_cast<double>(::Query(view, kQueryFrameCopy));
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
        program.push_back(SecondsToFirstPicture(g_programPath, L"VantixWndClass", kIdCameraView));
        ASSERT_GT(baseline.back(), 0) << "the bare window did not paint";
        ASSERT_GT(program.back(), 0) << "the program showed no live picture";
    }
    const double p = Median(program), b = Median(baseline);
    PrintBenchRow("start to first live picture 640x480, median of 5", Text("%.0f ms", p * 1000),
                  Text("bare window %.0f ms", b * 1000), Text("%.2fx", p / b), "-", "-");
}

// The composition time while a shape is dragged over a 1920x1080 picture with 100 shapes of every
// kind and the crosshair on.
TEST_F(PreviewBench, CompositionWhileDraggingFigures) {
    RegisterCamera(1920, 1080, 30);
    StoreSettings({{L"mjpg", 1}, {L"width", 1920}, {L"height", 1080}, {L"interpolated", 0}});
    Launch();
    content_ = {1920, 1080};
    ASSERT_TRUE(WaitFor([&] { return Query(kQueryContentWidth) == 1920 && Query(kQueryPaints) > 0; }, 5000));
    SetCursorPos(0, 0); // the real pointer stays out of the way
    const auto chooseTool = [&](int button, int tool) {
        ClickTool(button);
        ASSERT_TRUE(WaitFor([&] { return Query(kQueryTool) == tool; }, 3000)) << tool;
    };
    ClickTool(IDC_TOOL_CROSSHAIR);
    ASSERT_TRUE(WaitFor([&] { return Query(kQueryCrosshair) == 1; }, 3000));
    ASSERT_EQ(Query(kQueryZoom), 100);
    // Shapes where the window shows the picture.
    const SIZE client = ClientSize(view_);
    const int x0 = static_cast<int>(Query(kQueryScrollX)) + 20;
    const int y0 = static_cast<int>(Query(kQueryScrollY)) + 20;
    const int w = std::min<int>(client.cx - 60, 1800);
    const int h = std::min<int>(client.cy - 60, 1000);
    const struct {
        int button, tool;
    } tools[] = {{IDC_TOOL_LINE, TOOL_LINE},
                 {IDC_TOOL_RECTANGLE, TOOL_RECTANGLE},
                 {IDC_TOOL_CIRCLE, TOOL_CIRCLE},
                 {IDC_TOOL_ARROW, TOOL_ARROW},
                 {IDC_TOOL_PARALLEL, TOOL_PARALLEL_LINES},
                 {IDC_TOOL_CONCENTRIC, TOOL_CONCENTRIC_CIRCLES},
                 {IDC_TOOL_ANGLE, TOOL_ANGLE},
                 {IDC_TOOL_PENCIL, TOOL_PENCIL}};
    for (int i = 0; i < 100; ++i) {
        const auto& t = tools[i % 8];
        if (Query(kQueryTool) != t.tool)
            chooseTool(t.button, t.tool);
        const int x = x0 + (i * 97) % (w - 120);
        const int y = y0 + (i * 61) % (h - 120);
        if (t.tool == TOOL_PARALLEL_LINES || t.tool == TOOL_CONCENTRIC_CIRCLES || t.tool == TOOL_ANGLE)
            ThreePoints({x, y}, {x + 80, y + 20}, {x + 30, y + 90});
        else
            Stroke({x, y}, {x + 90, y + 70}, t.tool == TOOL_PENCIL ? 12 : 3);
    }
    ASSERT_EQ(Query(kQueryShapeCount), 100);

    // Drag the first shape (a line) about by its start for 300 moves.
    chooseTool(IDC_TOOL_DRAG, TOOL_DRAG);
    const LRESULT packed = Query(kQueryShapeP1, 0);
    const POINT start = {static_cast<short>(packed & 0xFFFF), static_cast<short>((packed >> 16) & 0xFFFF)};
    ViewMouse(WM_LBUTTONDOWN, start.x, start.y, MK_LBUTTON);
    ASSERT_EQ(Query(kQuerySelectedShape), 0);
    const LRESULT paints0 = Query(kQueryPaints);
    const DWORD t0 = GetTickCount();
    for (int i = 1; i <= 300; ++i)
        ViewMouse(WM_MOUSEMOVE, start.x + (i % 60) * 3, start.y + (i % 40) * 2, MK_LBUTTON);
    const DWORD elapsed = GetTickCount() - t0;
    const LRESULT median = Query(kQueryComposeMedian);
    const LRESULT p95 = Query(kQueryCompose95);
    ViewMouse(WM_LBUTTONUP, start.x, start.y);
    SaveScreenshot(L"measure-100-shapes.bmp");
    const LRESULT copy = Query(kQueryFrameCopy);
    const LRESULT paints = Query(kQueryPaints) - paints0;
    ASSERT_GT(copy, 0);
    const std::string baseline = Text("memcpy %.0f us", static_cast<double>(copy));
    for (const auto& [name, value] : {std::pair{"median", median}, std::pair{"95th percentile", p95}}) {
        PrintBenchRow(std::string("composition dragging 100 shapes 1920x1080, ") + name,
                      Text("%.0f us", static_cast<double>(value)), baseline,
                      Text("%.2fx", static_cast<double>(value) / static_cast<double>(copy)), "-", "-");
    }
    PrintBenchRow("compositions while dragging 100 shapes",
                  Text("%.0f compositions", static_cast<double>(paints)),
                  Text("300 moves in %.0f ms", static_cast<double>(elapsed)), "-", "-", "-");
}

} // namespace
} // namespace preview_bench
