// Measuring in the real program with the virtual camera: every kind of shape drawn with the mouse
// on the live picture, selected, dragged and deleted, and a text note typed and placed. PNG photos
// are read back: the picture exact (flipped too), and the shapes on it.
#include "measure/measure_tool.h"
#include "panels/panel_layout.h"
#include "panels/panel_messages.h"
#include "panels/preview_section_model.h"
#include "tests/e2e/e2e_support.h"
#include "tests/support/overlay_colours.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr wchar_t kCamera[] = L"vid_1d6b&pid_0102&mi_00#measure#1";
// The edit field of the text note's dialog.
constexpr int kNoteEdit = 3027;

using ColourTest = bool (*)(COLORREF);

// Whether a colour shows within `radius` pixels of content (x, y).
bool Near(const Picture& pic, int x, int y, ColourTest colour, int radius = 2) {
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            if (colour(pic.At(x + dx, y + dy)))
                return true;
        }
    }
    return false;
}
bool LineNear(const Picture& pic, int x, int y, int radius = 2) {
    return Near(pic, x, y, IsLine, radius);
}

int PixelsIn(const Picture& pic, int left, int top, int right, int bottom, ColourTest colour) {
    int n = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x)
            n += colour(pic.At(x, y));
    }
    return n;
}

// Where each kind of shape drawn by the walk below shows its line.
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
void ExpectEveryKind(const Picture& pic, const char* where) {
    for (const Place& p : kEveryKindPlaces)
        EXPECT_TRUE(LineNear(pic, p.x, p.y)) << where << ": " << p.what << " at " << p.x << "," << p.y;
    for (POINT p : {POINT{150, 100}, POINT{560, 180}, POINT{200, 420}})
        EXPECT_FALSE(LineNear(pic, p.x, p.y, 1)) << where << ": " << p.x << "," << p.y;
    for (POINT p : {POINT{320, 420}, POINT{600, 240}, POINT{316, 260}, POINT{330, 236}})
        EXPECT_TRUE(Near(pic, p.x, p.y, IsGrid, 1)) << where << ": crosshair at " << p.x << "," << p.y;
    // The angle's label, drawn without calibration, right below the vertex.
    EXPECT_GT(PixelsIn(pic, 422, 202, 480, 220, IsText), 10) << where;
}

// The PNG photos in the save folder with when each was last written.
std::vector<std::pair<std::wstring, ULONGLONG>> SavedPngs() {
    std::vector<std::pair<std::wstring, ULONGLONG>> files;
    for (const std::wstring& path : FilesIn(DefaultSaveFolder(), L"*.png")) {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
        files.emplace_back(path, (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                     data.ftLastWriteTime.dwLowDateTime);
    }
    return files;
}

class Measure : public ProgramTest {
protected:
    void Start() {
        ASSERT_TRUE(AddCamera(kCamera, L"Measure Scope", {{kTestCamMjpg, 640, 480, 30}}));
        // A drawing style whose colours the specimen does not have; photos as PNG, pixel for pixel.
        ASSERT_TRUE(StoreRequestedFormat(true, 640, 480));
        StoreSettings({{L"LineColor", 0x0000FF},
                       {L"GridColor", 0xFFFF00},
                       {L"TextColor", 0xFF0000},
                       {L"LineWidth", 2},
                       {L"TextSize", 12},
                       {L"jpgPng", 1}});
        Launch();
        content_ = {640, 480};
        ASSERT_TRUE(
            WaitFor([&] { return Query(kQueryContentWidth) == 640 && Query(kQueryPaints) > 0; }, 5000));
        SetCursorPos(0, 0); // the real pointer stays out of the way
    }

    void Press(int x, int y) { ViewMouse(WM_LBUTTONDOWN, x, y, MK_LBUTTON); }
    void DragTo(int x, int y) { ViewMouse(WM_MOUSEMOVE, x, y, MK_LBUTTON); }
    void Hover(int x, int y) { ViewMouse(WM_MOUSEMOVE, x, y); }
    void Release(int x, int y) { ViewMouse(WM_LBUTTONUP, x, y); }

    void ChooseTool(int id, int tool) {
        ClickTool(id);
        ASSERT_TRUE(WaitFor([&] { return Query(kQueryTool) == tool; }, 3000)) << tool;
    }

    // The first point of a shape, as (x, y).
    std::pair<int, int> ShapeP1(int index) const {
        const LRESULT packed = Query(kQueryShapeP1, index);
        return {static_cast<short>(packed & 0xFFFF), static_cast<short>((packed >> 16) & 0xFFFF)};
    }

    Picture Shown() {
        Sleep(200); // a few more frames
        return GrabScreen(view_, ClientOfContent(640, 480, 0, 0), 640, 480);
    }

    // Space in the view takes a photo, a second after the last one came (the program takes one a
    // second); the new PNG in the save folder is read back once complete. Empty when none came.
    Picture TakePhoto(const wchar_t* artifactName) {
        while (lastPhoto_ && GetTickCount() - lastPhoto_ < 1100)
            Sleep(20);
        const auto before = SavedPngs();
        PostMessageW(view_, WM_KEYDOWN, VK_SPACE, 0x00390001);
        std::wstring path;
        Picture photo;
        WaitFor(
            [&] {
                for (const auto& file : SavedPngs()) {
                    if (std::find(before.begin(), before.end(), file) == before.end())
                        path = file.first;
                }
                if (path.empty() || !CompletePhoto(ReadBytes(path), true))
                    return false;
                photo = LoadPicture(path);
                return photo.width == 640 && photo.height == 480;
            },
            5000);
        if (!path.empty())
            KeepArtifact(path, artifactName);
        lastPhoto_ = GetTickCount();
        return photo;
    }

    DWORD lastPhoto_ = 0;
};

} // namespace

TEST_F(Measure, EveryKindIsDrawnSelectedDraggedAndDeletedAndATextNotePlaced) {
    Start();
    // Before any shape: a PNG photo is the camera's picture pixel for pixel, and upside down with
    // Flip vertical switched on in the Preview section as a user does.
    const auto asShot = [](int x, int y) { return POINT{x, y}; };
    EXPECT_EQ(MatchingShare(TakePhoto(L"photo-plain.png"), 640, 480, 2, asShot), 1.0);
    HWND flip = GetDlgItem(GetDlgItem(panel_, kIdPreviewSection), kFlipVertBoxId);
    PostMessageW(flip, BM_CLICK, 0, 0);
    Sleep(500); // a few frames drawn upside down
    const auto upsideDown = [](int x, int y) { return POINT{x, 479 - y}; };
    EXPECT_EQ(MatchingShare(TakePhoto(L"photo-flipped.png"), 640, 480, 2, upsideDown), 1.0);
    PostMessageW(flip, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !Ticked(flip); }, 5000));

    ChooseTool(IDC_TOOL_LINE, TOOL_LINE);
    Stroke({40, 40}, {200, 40});
    ChooseTool(IDC_TOOL_RECTANGLE, TOOL_RECTANGLE);
    Stroke({240, 30}, {330, 90});
    ChooseTool(IDC_TOOL_CIRCLE, TOOL_CIRCLE);
    Stroke({420, 70}, {460, 70});
    ChooseTool(IDC_TOOL_ARROW, TOOL_ARROW);
    Stroke({500, 40}, {600, 100});
    ChooseTool(IDC_TOOL_PARALLEL, TOOL_PARALLEL_LINES);
    ThreePoints({40, 150}, {160, 150}, {100, 200});
    ChooseTool(IDC_TOOL_CONCENTRIC, TOOL_CONCENTRIC_CIRCLES);
    ThreePoints({230, 180}, {260, 180}, {230, 230});
    ChooseTool(IDC_TOOL_ANGLE, TOOL_ANGLE);
    ThreePoints({420, 200}, {500, 200}, {420, 140});
    ChooseTool(IDC_TOOL_PENCIL, TOOL_PENCIL);
    Press(40, 300);
    for (POINT p : {POINT{60, 320}, POINT{80, 300}, POINT{100, 320}, POINT{120, 300}})
        DragTo(p.x, p.y);
    Release(120, 300);
    ClickTool(IDC_TOOL_CROSSHAIR);
    ASSERT_TRUE(WaitFor([&] { return Query(kQueryCrosshair) == 1; }, 3000));

    ASSERT_EQ(Query(kQueryShapeCount), 8);
    ExpectEveryKind(Shown(), "screen");
    // A photo holds them where they were drawn: at 100 % a content pixel is a photo pixel.
    ExpectEveryKind(TakePhoto(L"measure-every-kind-photo.png"), "photo");

    // Drag tool: the pointer over the line's start hovers it, a press selects it, it follows.
    ChooseTool(IDC_TOOL_DRAG, TOOL_DRAG);
    Hover(41, 41);
    EXPECT_EQ(Query(kQueryHoveredShape), 0);
    Press(41, 41);
    for (int i = 1; i <= 5; ++i)
        DragTo(41 + 4 * i, 41 + 8 * i);
    Release(61, 81);
    EXPECT_EQ(ShapeP1(0), std::pair(60, 80));
    {
        const Picture pic = Shown();
        EXPECT_TRUE(LineNear(pic, 140, 80));
        EXPECT_FALSE(LineNear(pic, 120, 40, 1));
        EXPECT_GT(PixelsIn(pic, 55, 75, 65, 85, IsLine), 60); // the selected shape's filled handle
    }

    // Delete removes the selected shape; the others stay. What is left is drawn from the shapes
    // every frame (the Wine tests check the drawing): here the shapes themselves.
    SendWithTimeout(view_, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(Query(kQueryShapeCount), 7);
    EXPECT_EQ(Query(kQuerySelectedShape), -1);
    EXPECT_EQ(Query(kQueryShapeKind, 0), TOOL_RECTANGLE);

    // Backspace too, on the rectangle picked up by a corner.
    Press(330, 90);
    Release(330, 90);
    ASSERT_EQ(Query(kQuerySelectedShape), 0);
    SendWithTimeout(view_, WM_KEYDOWN, VK_BACK, 0);
    EXPECT_EQ(Query(kQueryShapeCount), 6);

    // Delete last takes the pencil stroke.
    ClickTool(IDC_TOOL_DELETE_LAST);
    ASSERT_TRUE(WaitFor([&] { return Query(kQueryShapeCount) == 5; }, 3000));
    EXPECT_EQ(Query(kQueryShapeKind, 4), TOOL_ANGLE);

    // Delete all.
    ClickTool(IDC_TOOL_DELETE_ALL);
    ASSERT_TRUE(WaitFor([&] { return Query(kQueryShapeCount) == 0; }, 3000));
    EXPECT_EQ(Query(kQueryCrosshair), 1) << "the crosshair stays";

    // A text note, typed, dragged and confirmed, on the picture without the crosshair.
    ClickTool(IDC_TOOL_CROSSHAIR);
    ASSERT_TRUE(WaitFor([&] { return Query(kQueryCrosshair) == 0; }, 3000));
    ClickTool(IDC_TOOL_TEXT);
    HWND dialog = WaitForDialog([](HWND hwnd) { return GetDlgItem(hwnd, kNoteEdit) != nullptr; });
    ASSERT_NE(dialog, nullptr);

    HWND edit = GetDlgItem(dialog, kNoteEdit);
    for (wchar_t c : std::wstring(L"Cell 42"))
        PostMessageW(edit, WM_CHAR, c, 1);
    Sleep(300);
    {
        // The note starts 100 pixels left of the middle, 138 below the top, framed.
        const Picture pic = Shown();
        EXPECT_GT(PixelsIn(pic, 222, 140, 280, 160, IsText), 10);
        EXPECT_GT(PixelsIn(pic, 219, 139, 300, 142, IsLine), 40); // the note's frame
    }

    Press(224, 145);
    for (int i = 1; i <= 4; ++i)
        DragTo(224 + 25 * i, 145 + 30 * i);
    Release(324, 265);
    PressButton(dialog, IDOK);
    ASSERT_TRUE(WaitFor([&] { return Query(kQueryShapeCount) == 1; }, 3000));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 3000));
    EXPECT_TRUE(WaitFor([&] { return Query(kQueryTool) == TOOL_DRAG; }, 3000));
    EXPECT_EQ(Query(kQueryShapeKind, 0), TOOL_TEXT);
    EXPECT_EQ(ShapeP1(0), std::pair(320, 258));

    const Picture pic = Shown();
    EXPECT_GT(PixelsIn(pic, 322, 260, 380, 280, IsText), 10); // the text
    EXPECT_EQ(PixelsIn(pic, 222, 140, 280, 160, IsText), 0);  // no longer at its start
    EXPECT_EQ(PixelsIn(pic, 319, 257, 400, 262, IsLine), 0);  // confirmed notes have no frame
}
