// Calibrating the real program against the virtual camera's ruler: the toolbar's calibration
// button, the manage dialog, the calibration line laid from one millimetre mark to another, the
// typed distance, Apply, and the calibration kept across a restart.
#include "measure/calibration.h"
#include "measure/calibration_line.h"
#include "measure/calibration_texts.h"
#include "resources/calibration_ids.h"
#include "tests/e2e/program_session.h"
#include "testcam/testcam_control.h"
#include "view/camera_view.h"
#include "view/view_geometry.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// A namespace of its own: the fixture's name is also the calibration slot's type.
namespace calibration_e2e {
namespace {

constexpr wchar_t kCamera[] = L"vid_1d6b&pid_0102&mi_00#calib#1";
constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr wchar_t kManageTitle[] = L"Manage calibration data";

void WriteDword(HKEY key, const wchar_t* name, DWORD value) {
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

void StoreRequestedFormat() {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Vantix", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    WriteDword(key, L"mjpg", 1);
    WriteDword(key, L"width", kWidth);
    WriteDword(key, L"height", kHeight);
    WriteDword(key, L"interpolated", 0);
    RegCloseKey(key);
}

std::wstring StoredCalibrations() {
    wchar_t text[1024] = {};
    DWORD size = sizeof text;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Vantix", L"Calibrations", RRF_RT_REG_SZ, nullptr, text,
                     &size) != ERROR_SUCCESS)
        return {};
    return text;
}

LRESULT Query(HWND view, ViewQuery which, LPARAM argument = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(view, UM_VIEW_QUERY, which, argument, SMTO_ABORTIFHUNG, 5000, &result))
        return -1;
    return static_cast<LRESULT>(result);
}

float ViewScale(HWND view) {
    return std::bit_cast<float>(static_cast<uint32_t>(Query(view, kQueryScaleBits)));
}

void PostMouse(HWND hwnd, UINT msg, int x, int y, WPARAM keys) {
    PostMessageW(hwnd, msg, keys, MAKELPARAM(x, y));
}

// A tool button, pressed and released as a pointer does.
void PressToolButton(HWND button) {
    PostMouse(button, WM_MOUSEMOVE, 20, 20, 0);
    PostMouse(button, WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    PostMouse(button, WM_LBUTTONUP, 20, 20, 0);
    PostMouse(button, WM_MOUSEMOVE, 300, 300, 0);
}

void ClickButton(HWND dialog, int id) {
    PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

HWND WaitForDialog(const wchar_t* title, DWORD timeoutMs = 5000) {
    HWND found = nullptr;
    WaitFor(
        [&] {
            found = FindWindowW(L"#32770", title);
            return found && IsWindowVisible(found);
        },
        timeoutMs);
    return found && IsWindowVisible(found) ? found : nullptr;
}

bool Gone(HWND window) {
    return WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, 5000);
}

// The text of a list cell in the program's process: the item record and its text buffer live
// in memory taken there.
std::wstring RemoteCell(HWND list, int row, int column) {
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process)
        return L"(no process)";
    struct Block {
        LVITEMW item;
        wchar_t text[128];
    };
    auto* remote =
        static_cast<char*>(VirtualAllocEx(process, nullptr, sizeof(Block), MEM_COMMIT, PAGE_READWRITE));
    std::wstring result = L"(failed)";
    if (remote) {
        Block local = {};
        local.item.iSubItem = column;
        local.item.cchTextMax = 128;
        local.item.pszText = reinterpret_cast<wchar_t*>(remote + offsetof(Block, text));
        DWORD_PTR ignored = 0;
        if (WriteProcessMemory(process, remote, &local, sizeof local, nullptr) &&
            SendMessageTimeoutW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote),
                                SMTO_ABORTIFHUNG, 5000, &ignored) &&
            ReadProcessMemory(process, remote, &local, sizeof local, nullptr)) {
            local.text[127] = 0;
            result = local.text;
        }
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return result;
}

// A row's rectangle in the list, asked for in the program's process as above.
RECT RemoteItemRect(HWND list, int row) {
    RECT rect = {};
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process)
        return rect;
    void* remote = VirtualAllocEx(process, nullptr, sizeof rect, MEM_COMMIT, PAGE_READWRITE);
    if (remote) {
        rect.left = LVIR_BOUNDS;
        DWORD_PTR ok = 0;
        if (!WriteProcessMemory(process, remote, &rect, sizeof rect, nullptr) ||
            !SendMessageTimeoutW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(remote),
                                 SMTO_ABORTIFHUNG, 5000, &ok) ||
            !ok || !ReadProcessMemory(process, remote, &rect, sizeof rect, nullptr))
            rect = {};
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return rect;
}

// Clicks a row of the list, as a pointer does.
void ClickRow(HWND list, int row) {
    const RECT r = RemoteItemRect(list, row);
    const int x = r.left + 20;
    const int y = (r.top + r.bottom) / 2;
    PostMouse(list, WM_MOUSEMOVE, x, y, 0);
    PostMouse(list, WM_LBUTTONDOWN, x, y, MK_LBUTTON);
    PostMouse(list, WM_LBUTTONUP, x, y, 0);
}

SIZE ClientSize(HWND hwnd) {
    RECT rc = {};
    GetClientRect(hwnd, &rc);
    return {rc.right, rc.bottom};
}

// Client point of content pixel (x, y) at 100 %: scrolled when the picture is larger than the
// window, centred when it is smaller.
POINT ClientOfContent(HWND view, int x, int y) {
    const SIZE client = ClientSize(view);
    return {x - static_cast<int>(Query(view, kQueryScrollX)) + CentringMargin(client.cx, kWidth),
            y - static_cast<int>(Query(view, kQueryScrollY)) + CentringMargin(client.cy, kHeight)};
}

// Drags the line's end bar at content x `from` to `to` in steps, as a hand does.
void DragEnd(HWND view, int from, int to) {
    const int y = kHeight / 2 + 20; // on the bar, below the line itself
    const POINT start = ClientOfContent(view, from, y);
    PostMouse(view, WM_MOUSEMOVE, start.x, start.y, 0);
    PostMouse(view, WM_LBUTTONDOWN, start.x, start.y, MK_LBUTTON);
    const int steps = 8;
    for (int i = 1; i <= steps; ++i) {
        const POINT p = ClientOfContent(view, from + (to - from) * i / steps, y);
        PostMouse(view, WM_MOUSEMOVE, p.x, p.y, MK_LBUTTON);
    }
    const POINT end = ClientOfContent(view, to, y);
    PostMouse(view, WM_LBUTTONUP, end.x, end.y, 0);
}

class Calibration : public testing::Test {
protected:
    void SetUp() override {
        TestCamConfig camera;
        camera.instanceName = kCamera;
        camera.friendlyName = L"Bench Scope";
        camera.formats = {{kTestCamMjpg, kWidth, kHeight, 30}};
        ASSERT_TRUE(TestCam_Register(camera));
        StoreRequestedFormat();
    }

    void TearDown() override {
        if (session_.process.hProcess) {
            EXPECT_EQ(CloseProgram(&session_), 0u);
        }
        TestCam_Unregister(kCamera);
        TestCam_RemoveConfig(kCamera);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Vantix");
    }

    // Starts the program and waits for the live 1280x720 picture at 100 %.
    void Start() {
        ASSERT_TRUE(LaunchProgram(&session_));
        view_ = GetDlgItem(session_.mainWindow, 108);
        HWND toolbar = GetDlgItem(session_.mainWindow, 107);
        calibrate_ = toolbar ? GetDlgItem(toolbar, 3017) : nullptr;
        ASSERT_NE(view_, nullptr);
        ASSERT_NE(calibrate_, nullptr);
        ASSERT_TRUE(WaitFor(
            [&] { return Query(view_, kQueryContentWidth) == kWidth && Query(view_, kQueryPaints) > 0; },
            5000))
            << "no live picture";
        ASSERT_EQ(Query(view_, kQueryZoom), 100);
        SetCursorPos(1279, 1023); // the real pointer stays out of the way
    }

    HWND OpenManageDialog() {
        PressToolButton(calibrate_);
        return WaitForDialog(kManageTitle);
    }

    ProgramSession session_;
    HWND view_ = nullptr;
    HWND calibrate_ = nullptr;
};

} // namespace

TEST_F(Calibration, LineOverTwoMillimetresOfTheRulerGivesTheScaleKeptAcrossARestart) {
    Start();
    // Ruler marks 1 mm and 3 mm: 2 mm apart, 200 pixels a millimetre at 1280 wide.
    const int mark1 = TestPicture_RulerTickX(kWidth, 10);
    const int mark3 = TestPicture_RulerTickX(kWidth, 30);
    ASSERT_EQ(TestPicture_PixelsPerMm(kWidth), 200.0);
    ASSERT_EQ(mark3 - mark1, 400);

    HWND manage = OpenManageDialog();
    ASSERT_NE(manage, nullptr) << "the manage dialog did not open";
    HWND list = GetDlgItem(manage, IDC_CALIB_LIST);
    EXPECT_EQ(RemoteCell(list, 0, 1), L"");
    SaveScreenshot(L"calibration-manage-empty.bmp");

    // Name the first slot in place.
    ClickButton(manage, IDC_CALIB_RENAME);
    HWND editor = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
            editor = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0));
            return editor != nullptr;
        },
        3000));
    SendMessageW(editor, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Ruler 10x"));
    PostMessageW(editor, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(WaitFor([&] { return RemoteCell(list, 0, 0) == L"Ruler 10x"; }, 3000));

    // The help page, then back.
    ClickButton(manage, IDC_CALIB_HOWTO);
    HWND help = WaitForDialog(L"Help");
    ASSERT_NE(help, nullptr);
    Sleep(200);
    SaveScreenshot(L"calibration-help.bmp");
    ClickButton(help, IDOK);
    ASSERT_TRUE(Gone(help));

    // Calibrate: the manage dialog gives way to the calibration dialog and the line.
    ClickButton(manage, IDC_CALIB_CALIBRATE);
    HWND dialog = WaitForDialog(L"Calibrate - ID:1 Name:Ruler 10x");
    ASSERT_NE(dialog, nullptr) << "the calibration dialog did not open";
    EXPECT_FALSE(IsWindow(manage) && IsWindowVisible(manage));
    EXPECT_EQ(Query(view_, kQueryZoom), 100);
    const int newLine = CalibrationLinePixels(kCalibLineNew, kWidth);
    ASSERT_TRUE(WaitFor(
        [&] {
            const LRESULT length = Query(view_, kQueryCalibLine);
            return length == kCalibLineNew || length == newLine;
        },
        2000));

    // Lay the line's end bars on the two marks. The view lays a new line out when it paints it.
    const bool laidOut = WaitFor([&] { return Query(view_, kQueryCalibLine) == newLine; }, 2000);
    int linePixels = newLine;
    if (laidOut) {
        const CalibrationLine line = LayoutCalibrationLine({kCalibLineNew, 0, 0}, kWidth);
        DragEnd(view_, line.leftX, mark1);
        DragEnd(view_, line.rightX, mark3);
        EXPECT_TRUE(WaitFor([&] { return Query(view_, kQueryCalibLine) == mark3 - mark1; }, 3000))
            << "the line is " << Query(view_, kQueryCalibLine) << " pixels long";
        linePixels = static_cast<int>(Query(view_, kQueryCalibLine));
    } else {
        // The view does not draw the line yet: calibrate with the new line's own length.
        std::printf("note: the view shows no calibration line yet; calibrating with its %d pixels\n",
                    newLine);
    }
    Sleep(300);
    SaveScreenshot(L"calibration-dialog.bmp");
    // The dialog stays in front of the picture while the line is dragged.
    const RECT dialogRect = [&] {
        RECT r = {};
        GetWindowRect(dialog, &r);
        return r;
    }();
    HWND front = WindowFromPoint({(dialogRect.left + dialogRect.right) / 2, dialogRect.top + 10});
    EXPECT_TRUE(front == dialog || GetAncestor(front, GA_ROOT) == dialog)
        << "the calibration dialog is hidden";

    // The marks' distance in millimetres (the line's, when it could not be laid on them).
    const double millimetres =
        linePixels == mark3 - mark1 ? 2.0 : linePixels / TestPicture_PixelsPerMm(kWidth);
    const std::wstring typed = std::to_wstring(millimetres);
    SendMessageW(GetDlgItem(dialog, IDC_CALIB_LENGTH), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(typed.c_str()));
    ClickButton(dialog, IDOK);
    ASSERT_TRUE(Gone(dialog));
    EXPECT_EQ(Query(view_, kQueryCalibLine), 0);

    // Back in the manage dialog, on the same row, with the new value.
    manage = WaitForDialog(kManageTitle);
    ASSERT_NE(manage, nullptr) << "the manage dialog did not come back";
    list = GetDlgItem(manage, IDC_CALIB_LIST);
    const float expectedScale = static_cast<float>(linePixels) / static_cast<float>(millimetres);
    EXPECT_EQ(RemoteCell(list, 0, 0), L"Ruler 10x");
    EXPECT_EQ(RemoteCell(list, 0, 1), L"200.00");
    EXPECT_EQ(RemoteCell(list, 0, 2), L"mm");
    SYSTEMTIME today = {};
    GetLocalTime(&today);
    EXPECT_EQ(RemoteCell(list, 0, 3),
              CalibrationDateText(CalibrationDate(today.wYear, today.wMonth, today.wDay)));
    EXPECT_EQ(RemoteCell(list, 0, 4), L"1280x720");
    Sleep(200);
    SaveScreenshot(L"calibration-manage-calibrated.bmp");

    // Not applied yet: the view still measures in pixels. Apply hands it the scale.
    EXPECT_EQ(ViewScale(view_), -1.0f);
    ClickButton(manage, IDC_CALIB_APPLY);
    ASSERT_TRUE(Gone(manage));
    EXPECT_TRUE(WaitFor([&] { return ViewScale(view_) == expectedScale; }, 3000)) << ViewScale(view_);
    EXPECT_EQ(Query(view_, kQueryUnit), UNIT_MILLIMETRE);
    EXPECT_TRUE(WaitFor([&] { return Query(view_, kQueryCrosshair) == 1; }, 3000));
    Sleep(300);
    SaveScreenshot(L"calibration-applied.bmp");

    // A line drawn over the same two millimetres of the ruler now reads 2 mm, within one pixel's worth.
    PressToolButton(GetDlgItem(GetDlgItem(session_.mainWindow, 107), 3021));
    ASSERT_TRUE(WaitFor([&] { return Query(view_, kQueryTool) == 1; }, 3000));
    const int lineY = kHeight / 2 - 80;
    const POINT from = ClientOfContent(view_, 240, lineY);
    const POINT to = ClientOfContent(view_, 640, lineY);
    PostMouse(view_, WM_MOUSEMOVE, from.x, from.y, 0);
    PostMouse(view_, WM_LBUTTONDOWN, from.x, from.y, MK_LBUTTON);
    PostMouse(view_, WM_MOUSEMOVE, (from.x + to.x) / 2, from.y, MK_LBUTTON);
    PostMouse(view_, WM_MOUSEMOVE, to.x, to.y, MK_LBUTTON);
    PostMouse(view_, WM_LBUTTONUP, to.x, to.y, 0);
    ASSERT_TRUE(WaitFor([&] { return Query(view_, kQueryShapeCount) == 1; }, 3000));
    const double onePixel = 1000.0 / expectedScale; // thousandths of a millimetre
    EXPECT_NEAR(static_cast<double>(Query(view_, kQueryShapeLabel, 0)), 2000.0, onePixel + 0.5);
    Sleep(300);
    SaveScreenshot(L"calibration-line-measured.bmp");

    // What the registry keeps.
    const CalibrationTable stored = ParseCalibrations(StoredCalibrations());
    EXPECT_EQ(stored[0].name, L"Ruler 10x");
    EXPECT_EQ(stored[0].pixels, linePixels);
    EXPECT_EQ(stored[0].length, static_cast<float>(millimetres));
    EXPECT_EQ(stored[0].resolution, PackResolution(kWidth, kHeight));
    EXPECT_EQ(stored[0].scale, expectedScale);

    // A new start: the slot is still there, applied anew only on Apply.
    ASSERT_EQ(CloseProgram(&session_), 0u);
    Start();
    EXPECT_EQ(ViewScale(view_), -1.0f);
    manage = OpenManageDialog();
    ASSERT_NE(manage, nullptr);
    list = GetDlgItem(manage, IDC_CALIB_LIST);
    EXPECT_EQ(RemoteCell(list, 0, 0), L"Ruler 10x");
    EXPECT_EQ(RemoteCell(list, 0, 1), L"200.00");
    ClickButton(manage, IDC_CALIB_APPLY);
    ASSERT_TRUE(Gone(manage));
    EXPECT_TRUE(WaitFor([&] { return ViewScale(view_) == expectedScale; }, 3000)) << ViewScale(view_);
}

TEST_F(Calibration, CancelAndCameraRemovalLeaveTheSlotsAlone) {
    Start();
    HWND manage = OpenManageDialog();
    ASSERT_NE(manage, nullptr);
    ClickButton(manage, IDC_CALIB_CALIBRATE);
    HWND dialog = WaitForDialog(L"Calibrate - ID:1 Name:");
    ASSERT_NE(dialog, nullptr);
    SendMessageW(GetDlgItem(dialog, IDC_CALIB_LENGTH), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"abc"));
    ClickButton(dialog, IDOK);
    Sleep(300);
    EXPECT_TRUE(IsWindowVisible(dialog)) << "letters for a length must keep the dialog open";

    ClickButton(dialog, IDCANCEL);
    ASSERT_TRUE(Gone(dialog));
    manage = WaitForDialog(kManageTitle);
    ASSERT_NE(manage, nullptr);
    EXPECT_EQ(RemoteCell(GetDlgItem(manage, IDC_CALIB_LIST), 0, 1), L"");
    PostMessageW(GetDlgItem(manage, IDC_CALIB_LIST), WM_KEYDOWN, VK_ESCAPE, 0); // Escape closes it
    ASSERT_TRUE(Gone(manage));

    // The camera goes away in the middle of a calibration: the dialog and the line go with it.
    // Closed without Apply, the manage dialog opens with no row chosen: Calibrate needs one.
    manage = OpenManageDialog();
    ASSERT_NE(manage, nullptr);
    ClickButton(manage, IDC_CALIB_CALIBRATE);
    Sleep(300);
    EXPECT_TRUE(IsWindowVisible(manage));
    ClickRow(GetDlgItem(manage, IDC_CALIB_LIST), 0);
    ClickButton(manage, IDC_CALIB_CALIBRATE);
    dialog = WaitForDialog(L"Calibrate - ID:1 Name:");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(TestCam_Unregister(kCamera));
    TestCam_NotifyDeviceChange(view_, false);
    EXPECT_TRUE(Gone(dialog));
    EXPECT_TRUE(WaitFor([&] { return Query(view_, kQueryCalibLine) == 0; }, 3000));
    Sleep(300);
    EXPECT_EQ(FindWindowW(L"#32770", kManageTitle), nullptr);
    EXPECT_EQ(ParseCalibrations(StoredCalibrations())[0].scale, -1.0f);
}

TEST_F(Calibration, AMalformedStoredRecordCostsOnlyItsOwnSlotWhenAPhotoSavesTheSettings) {
    // Slot 4 lost fields. Every photo writes the settings back, calibrations included.
    std::wstring stored;
    for (int i = 0; i < 10; ++i)
        stored += L"s" + std::to_wstring(i) +
                  (i == 4 ? L",0,404;" : L",1," + std::to_wstring(400 + i) + L",1065353216,20240131,0;");
    const std::wstring folder = L"C:\\vantix-calibration-photos";
    CreateDirectoryW(folder.c_str(), nullptr);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Vantix", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, L"Calibrations", 0, REG_SZ, reinterpret_cast<const BYTE*>(stored.c_str()),
                   static_cast<DWORD>((stored.size() + 1) * sizeof(wchar_t)));
    RegSetValueExW(key, L"ImgDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                   static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);

    Start();
    PostMessageW(session_.mainWindow, WM_COMMAND, MAKEWPARAM(3008, 0), 0); // photo
    const auto photos = [&] {
        std::vector<std::wstring> files;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder + L"\\*.jpg").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return files;
        do {
            files.push_back(folder + L"\\" + found.cFileName);
        } while (FindNextFileW(search, &found));
        FindClose(search);
        return files;
    };
    ASSERT_TRUE(WaitFor([&] { return !photos().empty(); }, 10000)) << "no photo";
    ASSERT_TRUE(WaitFor([&] { return StoredCalibrations() != stored; }, 5000))
        << "the photo saved no settings";
    const CalibrationTable back = ParseCalibrations(StoredCalibrations());
    for (size_t i = 0; i < kCalibrationSlots; ++i) {
        SCOPED_TRACE(testing::Message() << "slot " << i);
        if (i == 4) {
            EXPECT_TRUE(back[i].name.empty());
            continue;
        }
        EXPECT_EQ(back[i].name, L"s" + std::to_wstring(i));
        EXPECT_EQ(back[i].unit, 1);
        EXPECT_EQ(back[i].pixels, 400 + static_cast<int>(i));
        EXPECT_EQ(back[i].scale, 400.0f + i);
    }
    for (const std::wstring& photo : photos())
        DeleteFileW(photo.c_str());
}

} // namespace calibration_e2e
