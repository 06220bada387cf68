// The control panel with its four sections as the program makes them (heights, layouts and the
// expand protocol against the pure layouts), its header bars, the Device section and the
// Open-microscope dialog in-process under Wine: the real window manager and scroll bars, the main
// window as the program makes it, and the virtual camera (plus one camera whose filter cannot be
// created) for the dialog.
#include "panels/panel_messages.h"
#include "capture/capture_session.h"
#include "view/view_messages.h"
#include "base/app_settings.h"
#include "base/gdi_holders.h"
#include "panels/panel_classes.h"
#include "tests/support/dialogs.h"
#include "tests/support/overlay_colours.h"
#include "tests/wine/main_window_fixture.h"
#include "capture/device_list.h"
#include "panels/colors_section_model.h"
#include "panels/control_panel.h"
#include "panels/device_section_layout.h"
#include "panels/files_layout.h"
#include "panels/open_device_dialog.h"
#include "panels/panel_layout.h"
#include "panels/preview_section_model.h"
#include "panels/section_controls.h"
#include "panels/section_header.h"
#include "resources/dialogs_device_ids.h"
#include "testcam/testcam_control.h"

#include <dshow.h>
#include <wrl/client.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

ControlPanelState* Panel() {
    return WindowRecord<ControlPanelState>(g_mainWindow.controlPanel);
}

HWND Section(int id) {
    return GetDlgItem(g_mainWindow.controlPanel, id);
}

HWND DeviceItem(int id) {
    return GetDlgItem(Section(kIdDeviceSection), id);
}

bool IsShown(HWND hwnd) {
    return (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

bool PanelBarShown() {
    return (GetWindowLongW(g_mainWindow.controlPanel, GWL_STYLE) & WS_VSCROLL) != 0;
}

void ScrollToBottom() {
    SendMessageW(g_mainWindow.controlPanel, WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
    Pump();
}

// What the header shows, read back from the window itself.
COLORREF HeaderPixel(HWND header, int x, int y) {
    UpdateWindow(header);
    return GetPixel(WindowDc(header).get(), x, y);
}

// The pixels of one colour in the title's half of the bar.
int TitleInk(HWND header, bool (*colour)(COLORREF)) {
    UpdateWindow(header);
    const SIZE client = ClientSize(header);
    const WindowDc dc(header);
    int n = 0;
    for (int y = 0; y < client.cy; ++y) {
        for (int x = 0; x < client.cx / 2; ++x)
            n += colour(GetPixel(dc.get(), x, y));
    }
    return n;
}

// A point on the chevron's left stroke, two pixels from the tip.
POINT ChevronStrokePoint(HWND header, bool expanded) {
    RECT rc = {};
    GetClientRect(header, &rc);
    const Chevron c = HeaderChevron(rc.right, rc.bottom, expanded);
    return {c.tip.x - 2, c.tip.y + (expanded ? 2 : -2)};
}

// A camera listed in the video-input category whose filter class does not exist: it can be
// listed but never bound.
constexpr CLSID kNoSuchFilter = {
    0x3a1f0c55, 0x1b2d, 0x4e6f, {0x9a, 0x01, 0x5c, 0x7d, 0x22, 0xe4, 0x90, 0x13}};
constexpr wchar_t kBrokenInstance[] = L"vid_1d6b&pid_0199&mi_00#broken#9";
constexpr wchar_t kFirstInstance[] = L"vid_1d6b&pid_0102&mi_00#panel#1";

// Registers it (or, with `remove`, takes it away again).
bool RegisterUnbindableCamera(bool remove = false) {
    Microsoft::WRL::ComPtr<IFilterMapper2> mapper;
    if (FAILED(CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&mapper))))
        return false;
    if (remove)
        return SUCCEEDED(
            mapper->UnregisterFilter(&CLSID_VideoInputDeviceCategory, kBrokenInstance, kNoSuchFilter));
    REGFILTER2 filter = {};
    filter.dwVersion = 1;
    filter.dwMerit = MERIT_DO_NOT_USE;
    Microsoft::WRL::ComPtr<IMoniker> moniker;
    return SUCCEEDED(mapper->RegisterFilter(kNoSuchFilter, L"Broken Scope", &moniker,
                                            &CLSID_VideoInputDeviceCategory, kBrokenInstance, &filter));
}

class ControlPanelTest : public MainWindowSuite {
protected:
    void TearDown() override {
        LayoutChildren(); // the panel as tall as the window again
        Pump();
    }
};

} // namespace

// The four sections in slot order, each as tall as its pure layout says and with its controls
// where that layout puts them, shown only while expanded; a toggle (as its header sends it)
// reaches the panel under its own slot.
TEST_F(ControlPanelTest, FourSectionsInSlotOrderWithColorsCollapsed) {
    ControlPanelState* s = Panel();
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->sectionCount, 4);
    const SectionUnits units = SystemSectionUnits();
    const ControlPanelMetrics& m = PanelMetrics();
    const int width = ClientSize(g_mainWindow.controlPanel).cx - 2 * m.sideMargin;
    const FilesSectionLayout files = ComputeFilesSectionLayout(width, units.baseY);
    const struct {
        int id, expanded, firstControl, lastControl;
    } expected[] = {{kIdDeviceSection, 1, kIdNameLabel, kIdSettingButton},
                    {kIdPreviewSection, 1, kPreviewFirstControlId, kPreviewLastControlId},
                    {kIdColorsSection, 0, kColorsFirstControlId, kColorsLastControlId},
                    {kIdFilesSection, 1, kFilesListId, kFilesPreviewId}};
    // What the sections' pure layouts give at the panel's width.
    const SectionHeights heights[] = {DeviceSectionHeights(units.baseY),
                                      {units.CollapsedHeight(), PreviewExpandedHeight(units)},
                                      {units.CollapsedHeight(), ColorsExpandedHeight(units)},
                                      {files.collapsedHeight, files.expandedHeight}};
    const std::vector<ControlPlacement> layouts[] = {
        {},
        PreviewSectionLayout(width, units),
        ColorsSectionLayout(width, units),
        {{kFilesHeaderId, files.header}, {kFilesListId, files.list}, {kFilesPreviewId, files.preview}}};
    int y = m.topMargin;
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const auto& e = expected[i];
        HWND section = s->sections[i];
        ASSERT_EQ(section, Section(e.id));
        EXPECT_EQ(std::pair(s->slots[i].heights.collapsed, s->slots[i].heights.expanded),
                  std::pair(heights[i].collapsed, heights[i].expanded));
        const RECT r = RectInParent(section);
        EXPECT_EQ(std::tuple(r.left, r.right, r.top, r.bottom - r.top),
                  std::tuple(m.sideMargin, m.sideMargin + width, y, SlotHeight(s->slots[i])));
        y = r.bottom;
        for (const ControlPlacement& p : layouts[i]) {
            HWND control = GetDlgItem(section, p.id);
            ASSERT_NE(control, nullptr) << p.id;
            const RECT c = RectInParent(control);
            // Lists keep their own height.
            const bool list = WindowClass(control) == L"ComboBox" || WindowClass(control) == L"ListBox";
            EXPECT_EQ(std::tuple(c.left, c.top, c.right - c.left, list ? 0 : c.bottom - c.top),
                      std::tuple(p.rect.x, p.rect.y, p.rect.width, list ? 0 : p.rect.height))
                << p.id;
        }
        for (int expanded : {e.expanded, 1 - e.expanded, e.expanded}) {
            if (s->slots[i].expanded != expanded) {
                SendMessageW(section, UM_SECTION_EXPAND, static_cast<WPARAM>(expanded), 0);
                Pump();
            }
            EXPECT_EQ(s->slots[i].expanded, expanded);
            for (int id = e.firstControl; id <= e.lastControl; ++id)
                EXPECT_EQ(IsShown(GetDlgItem(section, id)), expanded == 1) << id;
        }
    }
    EXPECT_EQ(s->contentHeight, y + m.topMargin);
    EXPECT_FALSE(PanelBarShown()); // 1000 pixels high: everything fits

    // A slot it does not have changes nothing.
    SendMessageW(g_mainWindow.controlPanel, UM_SECTION_EXPAND, 17, 1);
    SendMessageW(g_mainWindow.controlPanel, UM_SECTION_EXPAND, static_cast<WPARAM>(-1), 1);
    Pump();
    EXPECT_EQ(s->contentHeight, y + m.topMargin);
    EXPECT_EQ(s->slots[17].expanded, 0);
}

TEST_F(ControlPanelTest, CollapsingTheOverflowingSectionRemovesTheBar) {
    ControlPanelState* s = Panel();
    const int content = s->contentHeight;
    SetWindowPos(g_mainWindow.controlPanel, nullptr, 0, 0, g_mainWindow.panelWidth, content - 20,
                 SWP_NOZORDER | SWP_NOMOVE);
    Pump();
    ScrollToBottom();
    ASSERT_GT(s->scrollPosition, 0);
    // The bar's thumb follows the sections and its range ends where they do (scrolling itself is
    // seen end to end, its arithmetic in the unit tests).
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(g_mainWindow.controlPanel, SB_VERT, &info));
    EXPECT_EQ(info.nPos, s->scrollPosition);
    EXPECT_EQ(info.nMax - static_cast<int>(info.nPage) + 1,
              s->contentHeight - ClientSize(g_mainWindow.controlPanel).cy);

    HWND header = DeviceItem(kIdDeviceHeader);
    SendMouse(header, WM_LBUTTONDOWN, 10, 5);
    Pump();
    EXPECT_EQ(s->slots[0].expanded, 0);
    EXPECT_FALSE(PanelBarShown());
    EXPECT_EQ(RectInParent(Section(kIdDeviceSection)).top, PanelMetrics().topMargin);

    SendMouse(header, WM_LBUTTONDOWN, 10, 5);
    Pump();
    EXPECT_EQ(s->slots[0].expanded, 1);
    EXPECT_TRUE(PanelBarShown());
    EXPECT_EQ(s->scrollPosition, 0);

    // The bar came with the expansion alone, no resize from outside: the sections, narrower now,
    // were asked again, and the bottom of the Files preview can still be scrolled into view.
    for (int i = 0; i < s->sectionCount; ++i) {
        const LRESULT answer = SendMessageW(s->sections[i], UM_SECTION_SIZE, 0, 0);
        EXPECT_EQ(s->slots[i].heights.expanded, UnpackHeightsAnswer(static_cast<uint32_t>(answer)).expanded)
            << "slot " << i;
    }
    ScrollToBottom();
    RECT client = {};
    GetClientRect(g_mainWindow.controlPanel, &client);
    EXPECT_EQ(RectInParent(s->sections[3]).bottom, client.bottom - PanelMetrics().topMargin);
}

TEST_F(ControlPanelTest, HeaderHoversTogglesOncePerPressAndShowsItsChevron) {
    HWND header = DeviceItem(kIdDeviceHeader);
    auto* data = reinterpret_cast<PanelHeaderState*>(GetWindowLongPtrW(header, 0));
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(data->expanded, 1);
    EXPECT_EQ(WindowText(header), L"Device");

    EXPECT_EQ(HeaderPixel(header, 1, 1), kHeaderFaceColor);
    const POINT up = ChevronStrokePoint(header, true);
    const POINT down = ChevronStrokePoint(header, false);
    EXPECT_EQ(HeaderPixel(header, up.x, up.y), RGB(0, 0, 0));
    EXPECT_GT(TitleInk(header, IsLine), 10); // red

    // The pointer arrives: the bar takes the capture and the title turns blue.
    SendMouse(header, WM_MOUSEMOVE, 10, 5);
    EXPECT_EQ(GetCapture(), header);
    EXPECT_GT(TitleInk(header, IsText), 10);

    // A press below the bar (it still holds the capture) does nothing; one on it toggles once.
    SendMouse(header, WM_LBUTTONDOWN, 10, 300);
    Pump();
    EXPECT_EQ(data->expanded, 1);
    SendMouse(header, WM_LBUTTONDOWN, 10, 5);
    Pump();
    EXPECT_EQ(data->expanded, 0);
    EXPECT_EQ(HeaderPixel(header, down.x, down.y), RGB(0, 0, 0));

    // Leaving to the left comes as a large unsigned x: outside, capture released.
    SendMouse(header, WM_MOUSEMOVE, -4, 5);
    EXPECT_NE(GetCapture(), header);
    EXPECT_GT(TitleInk(header, IsLine), 10);

    // The section toggles its header the same way the panel does at start.
    SendMessageW(header, UM_SECTION_EXPAND, 0, 0);
    Pump();
    EXPECT_EQ(data->expanded, 1);
    EXPECT_EQ(Panel()->slots[0].expanded, 1);
}

// Which buttons are enabled, and that their clicks reach the main window, is seen end to end;
// here, each shows its icon and a notification that is not a click posts nothing.
TEST_F(ControlPanelTest, ButtonsShowTheirIconsAndOnlyClicksPostCommands) {
    for (int id = kIdPhotoButton; id <= kIdSettingButton; ++id) {
        EXPECT_NE(SendMessageW(DeviceItem(id), BM_GETIMAGE, IMAGE_ICON, 0), 0) << id;
        for (WORD code : {BN_SETFOCUS, BN_KILLFOCUS})
            SendMessageW(Section(kIdDeviceSection), WM_COMMAND, MAKEWPARAM(id, code),
                         reinterpret_cast<LPARAM>(DeviceItem(id)));
    }
    Pump();
    EXPECT_EQ(g_mainCommands, (std::vector<std::pair<WPARAM, LPARAM>>{}));
}

TEST_F(ControlPanelTest, DialogListsCamerasAndNeverOpensOneThatCannotBeBound) {
    // Camera A also lacks camera control and knows one power-line frequency (its Colors section).
    TestCamConfig scopeA = TestCam_MakeConfig(kFirstInstance, L"Panel Scope A",
                                              {{kTestCamMjpg, 1920, 1080, 30},
                                               {kTestCamMjpg, 640, 480, 30},
                                               {kTestCamMjpg, 1280, 720, 30},
                                               {kTestCamMjpg, 800, 600, 30},
                                               {kTestCamYuy2, 640, 480, 30}});
    scopeA.hasCameraControl = false;
    scopeA.procAmp[kTestCamPowerLineFrequency] = {true, 2, 2, 1, 2, 2, 2, 2};
    ASSERT_TRUE(TestCam_Register(scopeA));
    ASSERT_TRUE(RegisterUnbindableCamera());
    RefreshDeviceList();
    std::vector<std::wstring> names;
    for (const CaptureDeviceInfo& device : g_capture.devices)
        names.push_back(device.friendlyName);
    ASSERT_EQ(names.size(), 2u);
    const int a = names[0] == L"Panel Scope A" ? 0 : 1;
    const int broken = 1 - a;
    ASSERT_EQ(names[static_cast<size_t>(broken)], L"Broken Scope");

    // The section lists them in list order and keeps its prompt away.
    SendMessageW(g_mainWindow.controlPanel, UM_PANEL_REFRESH, kRefreshDevices, 0);
    EXPECT_EQ(ComboItems(DeviceItem(kIdDeviceCombo)), names);
    SelectLanguage(1);
    SendMessageW(Section(kIdDeviceSection), WM_COMMAND, MAKEWPARAM(CMD_REFRESH_TEXTS, 0), 0);
    EXPECT_EQ(ComboItems(DeviceItem(kIdDeviceCombo)), names);
    SelectLanguage(0);
    SendMessageW(Section(kIdDeviceSection), WM_COMMAND, MAKEWPARAM(CMD_REFRESH_TEXTS, 0), 0);

    OpenDeviceRequest request;
    request.device = 7; // beyond the list: the first device
    request.width = 1024;
    request.height = 768;
    HWND dialog =
        CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_OPEN_DEVICE), g_mainWindow.window,
                           OpenDeviceDlgProc, reinterpret_cast<LPARAM>(&request));
    ASSERT_NE(dialog, nullptr);
    HWND list = GetDlgItem(dialog, IDC_OPEN_DEVICE_LIST);
    HWND formats = GetDlgItem(dialog, IDC_OPEN_FORMAT);
    HWND resolutions = GetDlgItem(dialog, IDC_OPEN_RESOLUTION);
    EXPECT_EQ(ListItems(list), names);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(IsPlacedOverOwner(dialog, g_mainWindow.window));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));

    auto pickDevice = [&](int index) {
        SendMessageW(list, LB_SETCURSEL, index, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_OPEN_DEVICE_LIST, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
    };
    // Camera A: both formats; 1024x768 is not offered, so the middle resolution of four.
    pickDevice(a);
    EXPECT_EQ(ComboItems(formats), (std::vector<std::wstring>{L"MJPG", L"YUY2"}));
    EXPECT_EQ(SendMessageW(formats, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(ComboItems(resolutions),
              (std::vector<std::wstring>{L"640x480", L"800x600", L"1280x720", L"1920x1080"}));
    EXPECT_EQ(SendMessageW(resolutions, CB_GETCURSEL, 0, 0), 2);
    // YUY2 only at 640x480: the two interpolated sizes join it.
    SendMessageW(formats, CB_SETCURSEL, 1, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_OPEN_FORMAT, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(formats));
    EXPECT_EQ(ComboItems(resolutions), (std::vector<std::wstring>{L"640x480", L"1280x960", L"1920x1080"}));
    EXPECT_EQ(SendMessageW(resolutions, CB_GETCURSEL, 0, 0), 1);

    // The broken camera: listed, never bound, nothing to choose, and OK leaves the camera alone.
    pickDevice(broken);
    EXPECT_TRUE(ComboItems(formats).empty());
    EXPECT_TRUE(ComboItems(resolutions).empty());
    const AppSettings before = g_settings;
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    Pump();
    EXPECT_FALSE(IsCaptureGraphOpen());
    EXPECT_EQ(g_capture.currentDevice, -1);
    EXPECT_EQ(g_settings, before);
    DestroyWindow(dialog);

    // With a camera running, a device no longer in the list or one never bound is refused
    // before the running camera is touched.
    VideoFormat yuy2;
    yuy2.subtype = kFourccYuy2;
    ASSERT_TRUE(OpenDeviceAtFormat(g_mainWindow.cameraView, a, yuy2));
    Pump();
    EXPECT_FALSE(
        OpenDeviceAtFormat(g_mainWindow.cameraView, static_cast<int>(g_capture.devices.size()), yuy2));
    EXPECT_FALSE(OpenDeviceAtFormat(g_mainWindow.cameraView, -1, yuy2));
    EXPECT_FALSE(OpenDeviceAtFormat(g_mainWindow.cameraView, broken, yuy2));
    EXPECT_TRUE(IsCaptureGraphOpen());
    EXPECT_EQ(g_capture.currentDevice, a);

    // Its Colors section: no exposure without camera control, gain still there, one frequency.
    HWND colors = Section(kIdColorsSection);
    SendMessageW(colors, UM_PANEL_REFRESH, kRefreshCamera, 0);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(colors, 110)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(colors, kExposureAutoId)));
    EXPECT_EQ(WindowText(GetDlgItem(colors, 101)), L"Exposure:");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(colors, 112)));
    HWND frequency = GetDlgItem(colors, kFrequencyListId);
    EXPECT_EQ(ComboItems(frequency), std::vector<std::wstring>{L"60 Hz"});
    TestCam_ClearSetCalls(kFirstInstance);
    SendMessageW(colors, WM_COMMAND, MAKEWPARAM(kFrequencyListId, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(frequency));
    EXPECT_EQ(SetCalls(kFirstInstance),
              (std::vector<TestCamSetCall>{{TestCamInterface::VideoProcAmp, 13, 2, 2}}));

    CloseCaptureGraph();
    ReleaseViewResources(g_mainWindow.cameraView);
    Pump();
    TestCam_Unregister(kFirstInstance);
    TestCam_RemoveConfig(kFirstInstance);
    RegisterUnbindableCamera(true);
    RefreshDeviceList();
    Pump();
}
