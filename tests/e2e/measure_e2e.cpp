// Measuring in the real program with the virtual camera: every kind of shape drawn with the mouse
// on the live picture, selected, dragged and deleted, a text note typed and placed, and how fast
// the picture is composed while a shape is dragged over a large picture full of shapes. PNG photos
// taken with shapes or a note on the picture are read back to see that they hold them too.
#include "bench/bench_table.h"
#include "measure/measure_tool.h"
#include "tests/e2e/program_session.h"
#include "testcam/testcam_control.h"
#include "view/camera_view.h"
#include "view/view_geometry.h"

#include <gdiplus.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr wchar_t kCamera[] = L"vid_1d6b&pid_0102&mi_00#measure#1";

void WriteDword(HKEY key, const wchar_t* name, DWORD value) {
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

// The camera's format and a drawing style whose colours the specimen does not have.
void StoreSettings(int width, int height) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Vantix", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    WriteDword(key, L"mjpg", 1);
    WriteDword(key, L"width", width);
    WriteDword(key, L"height", height);
    WriteDword(key, L"interpolated", 0);
    WriteDword(key, L"LineColor", 0x0000FF); // red
    WriteDword(key, L"GridColor", 0xFFFF00); // cyan
    WriteDword(key, L"TextColor", 0xFF0000); // blue
    WriteDword(key, L"LineWidth", 2);
    WriteDword(key, L"TextSize", 12);
    WriteDword(key, L"jpgPng", 1); // photos as PNG, pixel for pixel
    RegCloseKey(key);
}

LRESULT Query(HWND view, ViewQuery which, LPARAM argument = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(view, UM_VIEW_QUERY, which, argument, SMTO_ABORTIFHUNG, 5000, &result))
        return -1;
    return static_cast<LRESULT>(result);
}

POINT ShapeP1(HWND view, int index) {
    const LRESULT packed = Query(view, kQueryShapeP1, index);
    return {static_cast<short>(packed & 0xFFFF), static_cast<short>((packed >> 16) & 0xFFFF)};
}

SIZE ClientSize(HWND hwnd) {
    RECT rc = {};
    GetClientRect(hwnd, &rc);
    return {rc.right, rc.bottom};
}

bool IsLineColour(COLORREF c) {
    return GetRValue(c) >= 190 && GetGValue(c) <= 100 && GetBValue(c) <= 100;
}
bool IsGridColour(COLORREF c) {
    return GetRValue(c) <= 80 && GetGValue(c) >= 190 && GetBValue(c) >= 190;
}
bool IsTextColour(COLORREF c) {
    return GetRValue(c) <= 80 && GetGValue(c) <= 80 && GetBValue(c) >= 190;
}
using ColourTest = bool (*)(COLORREF);

// The picture in content pixels: as the user sees it, grabbed from the screen once per check, or as
// a saved photo holds it.
class ContentPicture {
public:
    ContentPicture(HWND view, POINT contentOrigin, int width, int height) : width_(width), height_(height) {
        POINT origin = contentOrigin;
        ClientToScreen(view, &origin);
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
        GdiFlush();
        const auto* p = static_cast<const uint32_t*>(bits);
        pixels_.assign(p, p + static_cast<size_t>(width) * height);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
    }

    // A photo read back from its file; empty (0 x 0) when it cannot be read.
    static ContentPicture FromFile(const std::wstring& path) {
        ContentPicture picture;
        Gdiplus::Bitmap bitmap(path.c_str());
        if (bitmap.GetLastStatus() != Gdiplus::Ok)
            return picture;
        const int width = static_cast<int>(bitmap.GetWidth());
        const int height = static_cast<int>(bitmap.GetHeight());
        Gdiplus::Rect all(0, 0, width, height);
        Gdiplus::BitmapData data;
        if (bitmap.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppRGB, &data) != Gdiplus::Ok)
            return picture;
        picture.pixels_.resize(static_cast<size_t>(width) * height);
        for (int y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(data.Scan0) +
                                                                static_cast<ptrdiff_t>(y) * data.Stride);
            std::copy(row, row + width, picture.pixels_.begin() + static_cast<ptrdiff_t>(y) * width);
        }
        bitmap.UnlockBits(&data);
        picture.width_ = width;
        picture.height_ = height;
        return picture;
    }

    int Width() const { return width_; }
    int Height() const { return height_; }

    COLORREF At(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_)
            return 0;
        const uint32_t bgra = pixels_[static_cast<size_t>(y) * width_ + x];
        return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
    }

    // Whether a colour shows within `radius` pixels of content (x, y).
    bool Near(int x, int y, ColourTest colour, int radius = 2) const {
        for (int dy = -radius; dy <= radius; ++dy) {
            for (int dx = -radius; dx <= radius; ++dx) {
                if (colour(At(x + dx, y + dy)))
                    return true;
            }
        }
        return false;
    }
    bool LineNear(int x, int y, int radius = 2) const { return Near(x, y, IsLineColour, radius); }

    int PixelsIn(int left, int top, int right, int bottom, ColourTest colour) const {
        int n = 0;
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x)
                n += colour(At(x, y));
        }
        return n;
    }

    ContentPicture() = default; // empty

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;
};

// Where each kind of shape drawn by EveryKindIsDrawnSelectedDraggedAndDeleted shows its line.
struct Place {
    const char* what;
    int x, y;
};
constexpr Place kEveryKindPlaces[] = {
    {"line", 120, 40},           {"line end tick", 40, 50},  {"rectangle top", 285, 30},
    {"rectangle left", 240, 60}, {"circle top", 420, 30},    {"circle left", 380, 70},
    {"circle radius", 440, 70},  {"arrow shaft", 550, 70},   {"arrow head", 592, 95},
    {"parallel base", 100, 150}, {"parallel line", 70, 200}, {"parallel connector", 100, 175},
    {"inner circle", 230, 150},  {"outer circle", 180, 180}, {"concentric radius", 230, 205},
    {"first arm", 460, 200},     {"second arm", 420, 170},   {"pencil", 50, 310},
    {"pencil", 110, 310},
};

// Every kind of shape, the crosshair and the angle's label where they were drawn, and nothing
// of them away from the shapes.
void ExpectEveryKind(const ContentPicture& pic, const char* where) {
    for (const Place& p : kEveryKindPlaces)
        EXPECT_TRUE(pic.LineNear(p.x, p.y)) << where << ": " << p.what << " at " << p.x << "," << p.y;
    for (POINT p : {POINT{150, 100}, POINT{560, 180}, POINT{200, 420}})
        EXPECT_FALSE(pic.LineNear(p.x, p.y, 1)) << where << ": " << p.x << "," << p.y;
    for (POINT p : {POINT{320, 420}, POINT{600, 240}, POINT{316, 260}, POINT{330, 236}})
        EXPECT_TRUE(pic.Near(p.x, p.y, IsGridColour, 1)) << where << ": crosshair at " << p.x << "," << p.y;
    // The angle's label, drawn without calibration, right below the vertex.
    EXPECT_GT(pic.PixelsIn(422, 202, 480, 220, IsTextColour), 10) << where;
}

std::wstring PhotoFolder() {
    wchar_t documents[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, documents) != S_OK)
        return {};
    return std::wstring(documents) + L"\\Vantix Files";
}

// The PNG photos in the save folder with when each was last written.
std::vector<std::pair<std::wstring, ULONGLONG>> SavedPngs() {
    std::vector<std::pair<std::wstring, ULONGLONG>> files;
    const std::wstring folder = PhotoFolder();
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*.png").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return files;
    do {
        const ULONGLONG written = (static_cast<ULONGLONG>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                                  found.ftLastWriteTime.dwLowDateTime;
        files.emplace_back(folder + L"\\" + found.cFileName, written);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return files;
}

class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token_, &input, nullptr);
    }
    ~GdiplusSession() { Gdiplus::GdiplusShutdown(token_); }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

private:
    ULONG_PTR token_ = 0;
};

struct FindDialog {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindTextDialogProc(HWND hwnd, LPARAM lParam) {
    auto* args = reinterpret_cast<FindDialog*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t className[32] = {};
    GetClassNameW(hwnd, className, 32);
    if (pid == args->processId && wcscmp(className, L"#32770") == 0 && IsWindowVisible(hwnd) &&
        GetDlgItem(hwnd, 3027)) {
        args->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

class Measure : public testing::Test {
protected:
    void TearDown() override {
        if (session_.process.hProcess) {
            EXPECT_EQ(CloseProgram(&session_), 0u);
        }
        TestCam_Unregister(kCamera);
        TestCam_RemoveConfig(kCamera);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Vantix");
    }

    void Start(int width, int height) {
        TestCamConfig config;
        config.instanceName = kCamera;
        config.friendlyName = L"Measure Scope";
        config.formats = {{kTestCamMjpg, width, height, 30}};
        ASSERT_TRUE(TestCam_Register(config));
        StoreSettings(width, height);
        ASSERT_TRUE(LaunchProgram(&session_));
        view_ = GetDlgItem(session_.mainWindow, 108);
        toolbar_ = GetDlgItem(session_.mainWindow, 107);
        ASSERT_NE(view_, nullptr);
        ASSERT_NE(toolbar_, nullptr);
        ASSERT_TRUE(WaitFor(
            [&] { return Query(view_, kQueryContentWidth) == width && Query(view_, kQueryPaints) > 0; },
            5000));
        width_ = width;
        height_ = height;
        SetCursorPos(0, 0); // the real pointer stays out of the way
    }

    // Client point of content pixel (x, y) at 100 %.
    POINT Client(int x, int y) const {
        const SIZE client = ClientSize(view_);
        return {x + CentringMargin(client.cx, width_) - static_cast<int>(Query(view_, kQueryScrollX)),
                y + CentringMargin(client.cy, height_) - static_cast<int>(Query(view_, kQueryScrollY))};
    }

    void Mouse(UINT msg, int x, int y, WPARAM keys) {
        const POINT p = Client(x, y);
        DWORD_PTR result = 0;
        SendMessageTimeoutW(view_, msg, keys, MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)),
                            SMTO_ABORTIFHUNG, 5000, &result);
    }
    void Press(int x, int y) { Mouse(WM_LBUTTONDOWN, x, y, MK_LBUTTON); }
    void DragTo(int x, int y) { Mouse(WM_MOUSEMOVE, x, y, MK_LBUTTON); }
    void Hover(int x, int y) { Mouse(WM_MOUSEMOVE, x, y, 0); }
    void Release(int x, int y) { Mouse(WM_LBUTTONUP, x, y, 0); }

    // Press at `from`, move in steps, release at `to`.
    void Stroke(POINT from, POINT to, int steps = 4) {
        Press(from.x, from.y);
        for (int i = 1; i <= steps; ++i)
            DragTo(from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps);
        Release(to.x, to.y);
    }
    // A three-point shape: the stroke, the pointer to the third point, a click.
    void ThreePoints(POINT p1, POINT p2, POINT p3) {
        Stroke(p1, p2);
        Hover((p2.x + p3.x) / 2, (p2.y + p3.y) / 2);
        Hover(p3.x, p3.y);
        Press(p3.x, p3.y);
        Release(p3.x, p3.y);
    }

    void ClickButton(int id) {
        HWND button = GetDlgItem(toolbar_, id);
        ASSERT_NE(button, nullptr) << id;
        PostMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
        PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
        PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
        PostMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(300, 300));
    }
    void ChooseTool(int id, int tool) {
        ClickButton(id);
        ASSERT_TRUE(WaitFor([&] { return Query(view_, kQueryTool) == tool; }, 3000)) << tool;
    }

    ContentPicture Picture() {
        Sleep(200); // a few more frames
        const POINT origin = Client(0, 0);
        return ContentPicture(view_, origin, width_, height_);
    }

    // Space in the view takes a photo; the new (or rewritten) PNG in the save folder is read back
    // once it is complete. Empty when none came.
    ContentPicture TakePhoto(const wchar_t* artifactName) {
        const auto before = SavedPngs();
        PostMessageW(view_, WM_KEYDOWN, VK_SPACE, 0x00390001);
        std::wstring path;
        ContentPicture photo;
        WaitFor(
            [&] {
                for (const auto& file : SavedPngs()) {
                    bool seen = false;
                    for (const auto& old : before)
                        seen = seen || old == file;
                    if (!seen)
                        path = file.first;
                }
                if (path.empty())
                    return false;
                photo = ContentPicture::FromFile(path);
                return photo.Width() == width_ && photo.Height() == height_;
            },
            5000);
        if (!path.empty()) {
            // Next to the screenshots, for a look when a check fails.
            const char* artifacts = std::getenv("VANTIX_ARTIFACTS");
            const std::wstring folder = artifacts ? ToWindowsPath(artifacts) : L".";
            CopyFileW(path.c_str(), (folder + L"\\" + artifactName).c_str(), FALSE);
        }
        return photo;
    }

    GdiplusSession gdiplus_;
    ProgramSession session_;
    HWND view_ = nullptr;
    HWND toolbar_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

} // namespace

TEST_F(Measure, EveryKindIsDrawnSelectedDraggedAndDeleted) {
    Start(640, 480);

    ChooseTool(3021, TOOL_LINE);
    Stroke({40, 40}, {200, 40});
    ChooseTool(3024, TOOL_RECTANGLE);
    Stroke({240, 30}, {330, 90});
    ChooseTool(3023, TOOL_CIRCLE);
    Stroke({420, 70}, {460, 70});
    ChooseTool(3068, TOOL_ARROW);
    Stroke({500, 40}, {600, 100});
    ChooseTool(3022, TOOL_PARALLEL_LINES);
    ThreePoints({40, 150}, {160, 150}, {100, 200});
    ChooseTool(3039, TOOL_CONCENTRIC_CIRCLES);
    ThreePoints({230, 180}, {260, 180}, {230, 230});
    ChooseTool(3025, TOOL_ANGLE);
    ThreePoints({420, 200}, {500, 200}, {420, 140});
    ChooseTool(3026, TOOL_PENCIL);
    Press(40, 300);
    for (POINT p : {POINT{60, 320}, POINT{80, 300}, POINT{100, 320}, POINT{120, 300}})
        DragTo(p.x, p.y);
    Release(120, 300);
    ClickButton(3090); // the crosshair
    ASSERT_TRUE(WaitFor([&] { return Query(view_, kQueryCrosshair) == 1; }, 3000));

    ASSERT_EQ(Query(view_, kQueryShapeCount), 8);
    const int kinds[] = {TOOL_LINE,           TOOL_RECTANGLE,          TOOL_CIRCLE, TOOL_ARROW,
                         TOOL_PARALLEL_LINES, TOOL_CONCENTRIC_CIRCLES, TOOL_ANGLE,  TOOL_PENCIL};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(Query(view_, kQueryShapeKind, i), kinds[i]) << i;

    {
        const ContentPicture pic = Picture();
        SaveScreenshot(L"measure-every-kind.bmp");
        ExpectEveryKind(pic, "screen");
    }
    {
        // A photo holds them where they were drawn: at 100 % a content pixel is a photo pixel.
        const ContentPicture photo = TakePhoto(L"measure-every-kind-photo.png");
        ASSERT_EQ(photo.Width(), 640);
        ASSERT_EQ(photo.Height(), 480);
        ExpectEveryKind(photo, "photo");
    }

    // Drag tool: the pointer over the line's start hovers it, a press selects it, it follows.
    ChooseTool(3030, TOOL_DRAG);
    Hover(41, 41);
    EXPECT_EQ(Query(view_, kQueryHoveredShape), 0);
    Press(41, 41);
    EXPECT_EQ(Query(view_, kQuerySelectedShape), 0);
    for (int i = 1; i <= 5; ++i)
        DragTo(41 + 4 * i, 41 + 8 * i);
    Release(61, 81);
    const POINT moved = ShapeP1(view_, 0);
    EXPECT_EQ(moved.x, 60);
    EXPECT_EQ(moved.y, 80);
    {
        const ContentPicture pic = Picture();
        SaveScreenshot(L"measure-line-dragged.bmp");
        EXPECT_TRUE(pic.LineNear(140, 80));
        EXPECT_FALSE(pic.LineNear(120, 40, 1));
        EXPECT_GT(pic.PixelsIn(55, 75, 65, 85, IsLineColour), 60); // the selected shape's filled handle
    }

    // Delete removes the selected shape; the others stay.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(view_, WM_KEYDOWN, VK_DELETE, 0, SMTO_ABORTIFHUNG, 5000, &result);
    EXPECT_EQ(Query(view_, kQueryShapeCount), 7);
    EXPECT_EQ(Query(view_, kQuerySelectedShape), -1);
    EXPECT_EQ(Query(view_, kQueryShapeKind, 0), TOOL_RECTANGLE);
    EXPECT_FALSE(Picture().LineNear(140, 80, 1));

    // Backspace too, on the rectangle picked up by a corner.
    Press(330, 90);
    Release(330, 90);
    ASSERT_EQ(Query(view_, kQuerySelectedShape), 0);
    SendMessageTimeoutW(view_, WM_KEYDOWN, VK_BACK, 0, SMTO_ABORTIFHUNG, 5000, &result);
    EXPECT_EQ(Query(view_, kQueryShapeCount), 6);

    // Delete last takes the pencil stroke.
    ClickButton(3028);
    ASSERT_TRUE(WaitFor([&] { return Query(view_, kQueryShapeCount) == 5; }, 3000));
    EXPECT_EQ(Query(view_, kQueryShapeKind, 4), TOOL_ANGLE);
    EXPECT_FALSE(Picture().LineNear(50, 310, 1));

    // Delete all.
    ClickButton(3029);
    ASSERT_TRUE(WaitFor([&] { return Query(view_, kQueryShapeCount) == 0; }, 3000));
    {
        const ContentPicture pic = Picture();
        SaveScreenshot(L"measure-deleted.bmp");
        for (POINT p : {POINT{420, 30}, POINT{550, 70}, POINT{100, 150}, POINT{180, 180}, POINT{460, 200}})
            EXPECT_FALSE(pic.LineNear(p.x, p.y, 1)) << p.x << "," << p.y;
        EXPECT_TRUE(pic.Near(320, 420, IsGridColour)); // the crosshair stays
    }
}

TEST_F(Measure, TextNoteIsTypedDraggedAndConfirmed) {
    Start(640, 480);
    ClickButton(3027);
    FindDialog args = {session_.process.dwProcessId, nullptr};
    ASSERT_TRUE(WaitFor(
        [&] {
            EnumWindows(FindTextDialogProc, reinterpret_cast<LPARAM>(&args));
            return args.found != nullptr;
        },
        5000));
    HWND dialog = args.found;
    EXPECT_EQ(Query(view_, kQueryTool), TOOL_TEXT);
    EXPECT_EQ(Query(view_, kQueryPendingPhase), 12);

    HWND edit = GetDlgItem(dialog, 3027);
    for (wchar_t c : std::wstring(L"Cell 42"))
        PostMessageW(edit, WM_CHAR, c, 1);
    Sleep(300);
    {
        // The note starts 100 pixels left of the middle, 138 below the top, framed.
        const ContentPicture pic = Picture();
        EXPECT_GT(pic.PixelsIn(222, 140, 280, 160, IsTextColour), 10);
        EXPECT_GT(pic.PixelsIn(219, 139, 300, 142, IsLineColour), 40); // the note's frame
    }
    SaveScreenshot(L"measure-note-typed.bmp");

    Press(224, 145);
    for (int i = 1; i <= 4; ++i)
        DragTo(224 + 25 * i, 145 + 30 * i);
    Release(324, 265);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    ASSERT_TRUE(WaitFor([&] { return Query(view_, kQueryShapeCount) == 1; }, 3000));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 3000));
    EXPECT_TRUE(WaitFor([&] { return Query(view_, kQueryTool) == TOOL_DRAG; }, 3000));
    EXPECT_EQ(Query(view_, kQueryShapeKind, 0), TOOL_TEXT);
    const POINT p1 = ShapeP1(view_, 0);
    EXPECT_EQ(p1.x, 320);
    EXPECT_EQ(p1.y, 258);

    const ContentPicture pic = Picture();
    SaveScreenshot(L"measure-note-placed.bmp");
    EXPECT_GT(pic.PixelsIn(322, 260, 380, 280, IsTextColour), 10); // the text
    EXPECT_EQ(pic.PixelsIn(222, 140, 280, 160, IsTextColour), 0);  // no longer at its start
    EXPECT_EQ(pic.PixelsIn(319, 257, 400, 262, IsLineColour), 0);  // confirmed notes have no frame

    // A photo holds the confirmed note where it was placed, unframed like on the screen.
    const ContentPicture photo = TakePhoto(L"measure-note-photo.png");
    ASSERT_EQ(photo.Width(), 640);
    ASSERT_EQ(photo.Height(), 480);
    EXPECT_GT(photo.PixelsIn(322, 260, 380, 280, IsTextColour), 10);
    EXPECT_EQ(photo.PixelsIn(222, 140, 280, 160, IsTextColour), 0);
    EXPECT_EQ(photo.PixelsIn(319, 257, 400, 262, IsLineColour), 0);
}

// Not a pass/fail test of speed: it reports the composition time while a shape is dragged over a
// 1920x1080 picture with 100 shapes of every kind and the crosshair on.
TEST_F(Measure, CompositionWhileDraggingFigures) {
    Start(1920, 1080);
    ClickButton(3090);
    ASSERT_TRUE(WaitFor([&] { return Query(view_, kQueryCrosshair) == 1; }, 3000));
    ASSERT_EQ(Query(view_, kQueryZoom), 100);
    // Shapes where the window shows the picture.
    const SIZE client = ClientSize(view_);
    const int x0 = static_cast<int>(Query(view_, kQueryScrollX)) + 20;
    const int y0 = static_cast<int>(Query(view_, kQueryScrollY)) + 20;
    const int w = std::min<int>(client.cx - 60, 1800);
    const int h = std::min<int>(client.cy - 60, 1000);
    const struct {
        int button, tool;
    } tools[] = {{3021, TOOL_LINE},  {3024, TOOL_RECTANGLE},      {3023, TOOL_CIRCLE},
                 {3068, TOOL_ARROW}, {3022, TOOL_PARALLEL_LINES}, {3039, TOOL_CONCENTRIC_CIRCLES},
                 {3025, TOOL_ANGLE}, {3026, TOOL_PENCIL}};
    for (int i = 0; i < 100; ++i) {
        const auto& t = tools[i % 8];
        if (i < 8)
            ChooseTool(t.button, t.tool);
        else if (Query(view_, kQueryTool) != t.tool)
            ChooseTool(t.button, t.tool);
        const int x = x0 + (i * 97) % (w - 120);
        const int y = y0 + (i * 61) % (h - 120);
        if (t.tool == TOOL_PARALLEL_LINES || t.tool == TOOL_CONCENTRIC_CIRCLES || t.tool == TOOL_ANGLE)
            ThreePoints({x, y}, {x + 80, y + 20}, {x + 30, y + 90});
        else
            Stroke({x, y}, {x + 90, y + 70}, t.tool == TOOL_PENCIL ? 12 : 3);
    }
    ASSERT_EQ(Query(view_, kQueryShapeCount), 100);

    // Drag the first shape (a line) about by its start for 300 moves.
    ChooseTool(3030, TOOL_DRAG);
    const POINT start = ShapeP1(view_, 0);
    Press(start.x, start.y);
    ASSERT_EQ(Query(view_, kQuerySelectedShape), 0);
    const LRESULT paints0 = Query(view_, kQueryPaints);
    const DWORD t0 = GetTickCount();
    for (int i = 1; i <= 300; ++i)
        DragTo(start.x + (i % 60) * 3, start.y + (i % 40) * 2);
    const DWORD elapsed = GetTickCount() - t0;
    const LRESULT median = Query(view_, kQueryComposeMedian);
    const LRESULT p95 = Query(view_, kQueryCompose95);
    Release(start.x, start.y);
    SaveScreenshot(L"measure-100-shapes.bmp");
    const LRESULT copy = Query(view_, kQueryFrameCopy);
    const LRESULT paints = Query(view_, kQueryPaints) - paints0;
    ASSERT_GT(copy, 0);
    char baseline[48], measured[48], figure[96], ratio[16];
    std::snprintf(baseline, sizeof baseline, "memcpy %ld us", static_cast<long>(copy));
    for (const auto& [name, value] : {std::pair{"median", median}, std::pair{"95th percentile", p95}}) {
        std::snprintf(figure, sizeof figure, "composition dragging 100 shapes 1920x1080, %s", name);
        std::snprintf(measured, sizeof measured, "%ld us", static_cast<long>(value));
        std::snprintf(ratio, sizeof ratio, "%.2fx", static_cast<double>(value) / static_cast<double>(copy));
        PrintBenchRow(figure, measured, baseline, ratio, "-", "-");
    }
    std::snprintf(measured, sizeof measured, "%ld compositions", static_cast<long>(paints));
    std::snprintf(baseline, sizeof baseline, "300 moves in %lu ms", static_cast<unsigned long>(elapsed));
    PrintBenchRow("compositions while dragging 100 shapes", measured, baseline, "-", "-", "-");
}
