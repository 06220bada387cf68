// Calibrating the real program against the virtual camera's ruler: the toolbar's calibration
// button, the manage dialog, the calibration line laid from one millimetre mark to another, the
// typed distance, Apply, and the calibration kept across a restart.
#include "measure/calibration.h"
#include "measure/calibration_line.h"
#include "measure/calibration_texts.h"
#include "panels/panel_messages.h"
#include "resources/calibration_ids.h"
#include "tests/e2e/e2e_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>

// A namespace of its own: the fixture's name is also the calibration slot's type.
namespace calibration_e2e {
namespace {

constexpr wchar_t kCamera[] = L"vid_1d6b&pid_0102&mi_00#calib#1";
constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr wchar_t kManageTitle[] = L"Manage calibration data";

float ViewScale(HWND view) {
    return std::bit_cast<float>(static_cast<uint32_t>(::Query(view, kQueryScaleBits)));
}

bool Gone(HWND window) {
    return WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, 5000);
}

class Calibration : public ProgramTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(AddCamera(kCamera, L"Bench Scope", {{kTestCamMjpg, kWidth, kHeight, 30}}));
        ASSERT_TRUE(StoreRequestedFormat(true, kWidth, kHeight));
        content_ = {kWidth, kHeight};
    }

    // Starts the program and waits for the live 1280x720 picture at 100 %.
    void Start() {
        Launch();
        calibrate_ = GetDlgItem(toolbar_, IDC_TOOL_CALIBRATE);
        ASSERT_TRUE(
            WaitFor([&] { return Query(kQueryContentWidth) == kWidth && Query(kQueryPaints) > 0; }, 5000))
            << "no live picture";
        ASSERT_EQ(Query(kQueryZoom), 100);
        SetCursorPos(1279, 1023); // the real pointer stays out of the way
    }

    HWND OpenManageDialog() {
        PostClickAndLeave(calibrate_, 20, 20);
        return WaitForDialog(kManageTitle);
    }

    // Drags the line's end bar at content x `from` to `to` in steps, as a hand does.
    void DragEnd(int from, int to) const {
        const int y = kHeight / 2 + 20; // on the bar, below the line itself
        ViewMouse(WM_MOUSEMOVE, from, y);
        Stroke({from, y}, {to, y}, 8);
    }

    HWND calibrate_ = nullptr;
};

} // namespace

TEST_F(Calibration, LineOverTwoMillimetresOfTheRulerGivesTheScaleKeptAcrossARestart) {
    Start();
    // Ruler marks 1 mm and 3 mm: 2 mm apart, 200 pixels a millimetre at 1280 wide.
    const int mark1 = TestPicture_RulerTickX(kWidth, 10);
    const int mark3 = TestPicture_RulerTickX(kWidth, 30);

    HWND manage = OpenManageDialog();
    ASSERT_NE(manage, nullptr) << "the manage dialog did not open";
    HWND list = GetDlgItem(manage, IDC_CALIB_LIST);

    // Name the first slot in place: the calibration dialog's title shows the new name.
    PressButton(manage, IDC_CALIB_RENAME);
    HWND editor = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
            editor = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0));
            return editor != nullptr;
        },
        3000));
    SendMessageW(editor, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Ruler 10x"));
    PostMessageW(editor, WM_KEYDOWN, VK_RETURN, 0);

    // Calibrate: the manage dialog gives way to the calibration dialog and the line.
    PressButton(manage, IDC_CALIB_CALIBRATE);
    HWND dialog = WaitForDialog(L"Calibrate - ID:1 Name:Ruler 10x");
    ASSERT_NE(dialog, nullptr) << "the calibration dialog did not open";
    EXPECT_FALSE(IsWindow(manage) && IsWindowVisible(manage));

    // Lay the line's end bars on the two marks. The view lays a new line out when it paints it.
    ASSERT_TRUE(
        WaitFor([&] { return Query(kQueryCalibLine) == CalibrationLinePixels(kCalibLineNew, kWidth); }, 4000))
        << "no calibration line: " << Query(kQueryCalibLine);
    const CalibrationLine line = LayoutCalibrationLine({kCalibLineNew, 0, 0}, kWidth);
    DragEnd(line.leftX, mark1);
    DragEnd(line.rightX, mark3);
    ASSERT_TRUE(WaitFor([&] { return Query(kQueryCalibLine) == mark3 - mark1; }, 3000))
        << "the line is " << Query(kQueryCalibLine) << " pixels long";
    const int linePixels = mark3 - mark1;
    // The dialog stays in front of the picture while the line is dragged.
    RECT dialogRect = {};
    GetWindowRect(dialog, &dialogRect);
    HWND front = WindowFromPoint({(dialogRect.left + dialogRect.right) / 2, dialogRect.top + 10});
    EXPECT_TRUE(front == dialog || GetAncestor(front, GA_ROOT) == dialog)
        << "the calibration dialog is hidden";

    const double millimetres = 2.0; // between the marks
    const std::wstring typed = std::to_wstring(millimetres);
    SendMessageW(GetDlgItem(dialog, IDC_CALIB_LENGTH), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(typed.c_str()));
    PressButton(dialog, IDOK);
    ASSERT_TRUE(Gone(dialog));
    EXPECT_EQ(Query(kQueryCalibLine), 0);

    // Back in the manage dialog; the slot is stored with its line, today's date and the camera's
    // size (what the list shows of a slot is the Wine tests').
    manage = WaitForDialog(kManageTitle);
    ASSERT_NE(manage, nullptr) << "the manage dialog did not come back";
    const float expectedScale = static_cast<float>(linePixels) / static_cast<float>(millimetres);
    const ::Calibration stored = ParseCalibrations(StoredString(L"Calibrations"))[0];
    EXPECT_EQ(stored.name, L"Ruler 10x");
    EXPECT_EQ(stored.unit, UNIT_MILLIMETRE);
    SYSTEMTIME today = {};
    GetLocalTime(&today);
    EXPECT_EQ(stored.date, CalibrationDate(today.wYear, today.wMonth, today.wDay));
    EXPECT_EQ(stored.resolution, PackResolution(kWidth, kHeight));

    // Not applied yet: the view still measures in pixels. Apply hands it the scale.
    EXPECT_EQ(ViewScale(view_), -1.0f);
    PressButton(manage, IDC_CALIB_APPLY);
    ASSERT_TRUE(Gone(manage));
    EXPECT_TRUE(WaitFor([&] { return ViewScale(view_) == expectedScale; }, 3000)) << ViewScale(view_);
    EXPECT_EQ(Query(kQueryUnit), UNIT_MILLIMETRE);
    EXPECT_TRUE(WaitFor([&] { return Query(kQueryCrosshair) == 1; }, 3000));

    // A line drawn over the same two millimetres of the ruler now reads 2 mm, within one pixel's worth.
    ClickTool(IDC_TOOL_LINE);
    ASSERT_TRUE(WaitFor([&] { return Query(kQueryTool) == 1; }, 3000));
    const int lineY = kHeight / 2 - 80;
    Stroke({240, lineY}, {640, lineY}, 2);
    ASSERT_TRUE(WaitFor([&] { return Query(kQueryShapeCount) == 1; }, 3000));
    const double onePixel = 1000.0 / expectedScale; // thousandths of a millimetre
    EXPECT_NEAR(static_cast<double>(Query(kQueryShapeLabel, 0)), 2000.0, onePixel + 0.5);

    // A new start: the slot is still there as stored (its scale derived anew from the stored line
    // and length), applied anew only on Apply.
    ASSERT_EQ(CloseProgram(&session_), 0u);
    Start();
    EXPECT_EQ(ViewScale(view_), -1.0f);
    manage = OpenManageDialog();
    ASSERT_NE(manage, nullptr);
    PressButton(manage, IDC_CALIB_APPLY);
    ASSERT_TRUE(Gone(manage));
    EXPECT_TRUE(WaitFor([&] { return ViewScale(view_) == expectedScale; }, 3000)) << ViewScale(view_);
}

TEST_F(Calibration, CancelAndCameraRemovalLeaveTheSlotsAlone) {
    Start();
    HWND manage = OpenManageDialog();
    ASSERT_NE(manage, nullptr);
    PressButton(manage, IDC_CALIB_CALIBRATE);
    HWND dialog = WaitForDialog(L"Calibrate - ID:1 Name:");
    ASSERT_NE(dialog, nullptr);
    SendMessageW(GetDlgItem(dialog, IDC_CALIB_LENGTH), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"abc"));
    PressButton(dialog, IDOK);
    Sleep(300);
    EXPECT_TRUE(IsWindowVisible(dialog)) << "letters for a length must keep the dialog open";

    PressButton(dialog, IDCANCEL);
    ASSERT_TRUE(Gone(dialog));
    manage = WaitForDialog(kManageTitle);
    ASSERT_NE(manage, nullptr);
    PostMessageW(GetDlgItem(manage, IDC_CALIB_LIST), WM_KEYDOWN, VK_ESCAPE, 0); // Escape closes it
    ASSERT_TRUE(Gone(manage));

    // The camera goes away in the middle of a calibration: the dialog and the line go with it.
    // Closed without Apply, the manage dialog opens with no row chosen: Calibrate needs one.
    manage = OpenManageDialog();
    ASSERT_NE(manage, nullptr);
    PressButton(manage, IDC_CALIB_CALIBRATE);
    Sleep(300);
    EXPECT_TRUE(IsWindowVisible(manage));
    PostMessageW(GetDlgItem(manage, IDC_CALIB_LIST), WM_KEYDOWN, VK_HOME, 0); // the first row
    PressButton(manage, IDC_CALIB_CALIBRATE);
    dialog = WaitForDialog(L"Calibrate - ID:1 Name:");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(TestCam_Unregister(kCamera));
    TestCam_NotifyDeviceChange(view_, false);
    EXPECT_TRUE(Gone(dialog));
    EXPECT_TRUE(WaitFor([&] { return Query(kQueryCalibLine) == 0; }, 3000));
    Sleep(300);
    EXPECT_EQ(FindWindowW(L"#32770", kManageTitle), nullptr);
    EXPECT_EQ(ParseCalibrations(StoredString(L"Calibrations"))[0].scale, -1.0f);
}

} // namespace calibration_e2e
