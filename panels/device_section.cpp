#include "panels/device_section.h"

#include "capture/capture_session.h"
#include "base/win32_window.h"
#include "panels/panel_messages.h"
#include "view/view_messages.h"
#include "base/string_table.h"
#include "capture/capture_graph.h"
#include "capture/device_list.h"
#include "panels/device_section_layout.h"
#include "panels/open_device_dialog.h"
#include "panels/section_controls.h"
#include "panels/section_header.h"
#include "resources/resource.h"
#include "view/camera_view.h"

#include <algorithm>
#include <new>
#include <string_view>

namespace {

struct ButtonSpec {
    int id;
    int icon;
    int command; // posted to the main window
    std::string_view key;
};

constexpr ButtonSpec kButtons[] = {
    {kIdPhotoButton, IDI_PHOTO, IDC_PHOTO, "photo"},
    {kIdVideoButton, IDI_VIDEO, IDC_VIDEO, "video"},
    {kIdFilesButton, IDI_FILES, IDC_FILES, "files"},
    {kIdSettingButton, IDI_SETTINGS, IDC_SETTING, "setting"},
};

struct LabelSpec {
    int id;
    std::string_view key;
};

constexpr LabelSpec kLabels[] = {
    {kIdNameLabel, "name"},
    {kIdResolutionLabel, "resolution"},
    {kIdFormatLabel, "format"},
};

// The button icons, loaded once at their own size and shared by every section.
HICON ButtonIcon(HINSTANCE instance, int id) {
    static HICON icons[4] = {};
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        if (kButtons[i].icon != id)
            continue;
        if (!icons[i])
            icons[i] = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, 0, 0, 0));
        return icons[i];
    }
    return nullptr;
}

DeviceSectionState* StateOf(HWND hwnd) {
    return WindowRecord<DeviceSectionState>(hwnd);
}

POINT DialogBase() {
    const LONG base = GetDialogBaseUnits();
    return {LOWORD(base), HIWORD(base)};
}

HWND Item(HWND section, int id) {
    return GetDlgItem(section, id);
}

LRESULT SendItem(HWND section, int id, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendDlgItemMessageW(section, id, msg, wParam, lParam);
}

void AddString(HWND section, int id, const std::wstring& text) {
    SendItem(section, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

HWND CreateControl(HWND section, const wchar_t* className, const wchar_t* text, DWORD style, int id) {
    HWND control =
        CreateWindowExW(0, className, text, WS_CHILD | style, 0, 0, 0, 0, section,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(section, GWLP_HINSTANCE)), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(SectionControlFont()), FALSE);
    return control;
}

void CreateControls(HWND section) {
    HWND header = CreateSectionHeader(section, GetText("device").c_str(), 0, 0);
    SendMessageW(header, WM_SETFONT, reinterpret_cast<WPARAM>(SectionHeaderFont()), FALSE);

    // 101 to 110 start hidden; expanding the section shows them.
    const DWORD combo = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
    CreateControl(section, L"STATIC", GetText("name").c_str(), SS_RIGHT, kIdNameLabel);
    CreateControl(section, L"COMBOBOX", L"", combo, kIdDeviceCombo);
    CreateControl(section, L"STATIC", GetText("resolution").c_str(), SS_RIGHT, kIdResolutionLabel);
    CreateControl(section, L"COMBOBOX", L"", combo, kIdResolutionCombo);
    CreateControl(section, L"STATIC", GetText("format").c_str(), SS_RIGHT, kIdFormatLabel);
    CreateControl(section, L"COMBOBOX", L"", combo, kIdFormatCombo);
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(section, GWLP_HINSTANCE));
    for (const ButtonSpec& entry : kButtons) {
        HWND button = CreateControl(section, L"BUTTON", GetText(entry.key).c_str(),
                                    BS_PUSHBUTTON | WS_TABSTOP, entry.id);
        SendMessageW(button, BM_SETIMAGE, IMAGE_ICON,
                     reinterpret_cast<LPARAM>(ButtonIcon(instance, entry.icon)));
    }
}

// True when a button's caption is wider than a button of the two-by-two layout leaves it.
bool ButtonsNeedOneColumn(HWND section, int width) {
    if (width <= 0)
        return false;
    const int buttonWidth = DeviceButtonWidth(width, DialogBase().x);
    for (const ButtonSpec& entry : kButtons) {
        HWND button = Item(section, entry.id);
        if (button && ControlTextWidth(button) + PushButtonChromeWidth(button) > buttonWidth)
            return true;
    }
    return false;
}

int ClientWidth(HWND hwnd) {
    RECT r = {};
    GetClientRect(hwnd, &r);
    return r.right;
}

void Layout(HWND section, int width) {
    const POINT base = DialogBase();
    int labelText = 0;
    for (const LabelSpec& label : kLabels) {
        if (HWND control = Item(section, label.id))
            labelText = std::max(labelText, ControlTextWidth(control));
    }
    const DeviceSectionLayout layout =
        LayoutDeviceSection(width, base.x, base.y, ButtonsNeedOneColumn(section, width), labelText);
    HDWP batch = BeginDeferWindowPos(kDeviceControlCount);
    for (int i = 0; i < kDeviceControlCount; ++i) {
        HWND control = Item(section, kIdDeviceHeader + i);
        if (!control)
            continue;
        const PanelRect& r = layout.controls[static_cast<size_t>(i)];
        if (batch)
            batch = DeferWindowPos(batch, control, nullptr, r.x, r.y, r.width, r.height,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
        if (!batch)
            MoveWindow(control, r.x, r.y, r.width, r.height, TRUE);
    }
    if (batch)
        EndDeferWindowPos(batch);
}

void ShowControls(HWND section, bool show) {
    for (int id = kIdNameLabel; id <= kIdSettingButton; ++id)
        ShowWindow(Item(section, id), show ? SW_SHOW : SW_HIDE);
}

void FillDeviceCombo(HWND section) {
    const LRESULT remembered = SendItem(section, kIdDeviceCombo, CB_GETCURSEL);
    SendItem(section, kIdDeviceCombo, CB_RESETCONTENT);
    for (const CaptureDeviceInfo& device : g_capture.devices)
        AddString(section, kIdDeviceCombo, device.friendlyName);
    if (!g_capture.devices.empty()) {
        SendItem(section, kIdDeviceCombo, CB_SETCURSEL, static_cast<WPARAM>(remembered));
    } else {
        AddString(section, kIdDeviceCombo, GetText("click open"));
        SendItem(section, kIdDeviceCombo, CB_SETCURSEL, 0);
    }
}

// The picture's size in the camera view of the main window the panel sits in.
SIZE ContentSize(HWND section) {
    const CameraViewState* view = CameraViewStateOf(CameraViewOf(GetAncestor(section, GA_ROOT)));
    return view ? SIZE{view->contentWidth, view->contentHeight} : SIZE{0, 0};
}

void Refresh(HWND section, WPARAM reason) {
    if (reason == kRefreshZoom)
        return;
    if (reason > kRefreshCamera) {
        FillDeviceCombo(section);
        return;
    }
    if (!IsCaptureGraphOpen()) {
        FillDeviceCombo(section);
        SendItem(section, kIdResolutionCombo, CB_RESETCONTENT);
        SendItem(section, kIdFormatCombo, CB_RESETCONTENT);
        EnableWindow(Item(section, kIdPhotoButton), FALSE);
        EnableWindow(Item(section, kIdVideoButton), FALSE);
        return;
    }
    EnableWindow(Item(section, kIdPhotoButton), TRUE);
    EnableWindow(Item(section, kIdVideoButton), TRUE);
    EnsureCaptureFormats();

    for (int id : {kIdDeviceCombo, kIdResolutionCombo, kIdFormatCombo})
        SendItem(section, id, CB_RESETCONTENT);
    for (const CaptureDeviceInfo& device : g_capture.devices)
        AddString(section, kIdDeviceCombo, device.friendlyName);
    SendItem(section, kIdDeviceCombo, CB_SETCURSEL, static_cast<WPARAM>(g_capture.currentDevice));

    const FormatMap& mjpg = g_capture.graph.mjpgFormats;
    const FormatMap& yuy2 = g_capture.graph.yuy2Formats;
    const std::vector<uint32_t> listed = ListedSubtypes(mjpg, yuy2);
    for (uint32_t subtype : listed)
        AddString(section, kIdFormatCombo, SubtypeText(subtype));
    SendItem(section, kIdFormatCombo, CB_SETCURSEL,
             static_cast<WPARAM>(RunningSubtypeItem(listed, g_capture.currentFormat.subtype)));

    const FormatMap& formats = MapOfSubtype(mjpg, yuy2, g_capture.currentFormat.subtype);
    for (const std::wstring& text : ResolutionTexts(formats))
        AddString(section, kIdResolutionCombo, text);
    const SIZE content = ContentSize(section);
    SendItem(section, kIdResolutionCombo, CB_SETCURSEL,
             static_cast<WPARAM>(SectionResolutionItem(formats, content.cx, content.cy)));
}

// The lists then show what runs, whether or not the camera took the request.
void ReopenAndRefresh(HWND section, const VideoFormat& request) {
    OpenDeviceAtFormat(CameraViewOf(GetAncestor(section, GA_ROOT)), g_capture.currentDevice, request);
    PostMessageW(GetParent(section), UM_PANEL_REFRESH, kRefreshCamera, 0);
}

void ChangeResolution(HWND section) {
    if (!IsCaptureGraphOpen())
        return;
    const int item = static_cast<int>(SendItem(section, kIdResolutionCombo, CB_GETCURSEL));
    const SIZE content = ContentSize(section);
    const uint32_t running = g_capture.currentFormat.subtype;
    const std::optional<VideoFormat> request = ResolutionChangeRequest(
        MapOfSubtype(g_capture.graph.mjpgFormats, g_capture.graph.yuy2Formats, running), item, running,
        content.cx, content.cy);
    if (request)
        ReopenAndRefresh(section, *request);
}

void ChangeFormat(HWND section) {
    if (!IsCaptureGraphOpen())
        return;
    const int item = static_cast<int>(SendItem(section, kIdFormatCombo, CB_GETCURSEL));
    const std::optional<uint32_t> subtype =
        SubtypeForFormatItem(g_capture.graph.mjpgFormats, g_capture.graph.yuy2Formats, item);
    if (!subtype)
        return;
    const SIZE content = ContentSize(section);
    VideoFormat request;
    request.subtype = *subtype;
    request.width = content.cx;
    request.height = content.cy;
    request.interpolated = g_capture.currentFormat.interpolated;
    ReopenAndRefresh(section, request);
}

void OpenDialog(HWND section) {
    OpenDeviceRequest request;
    request.device = g_capture.currentDevice;
    if (IsCaptureGraphOpen()) {
        const SIZE content = ContentSize(section);
        request.subtype = g_capture.currentFormat.subtype;
        request.width = content.cx;
        request.height = content.cy;
    }
    RunOpenDeviceDialog(GetAncestor(section, GA_ROOT), request);
    PostMessageW(GetParent(section), UM_PANEL_REFRESH, kRefreshCamera, 0);
}

void RefreshTexts(HWND section) {
    SetSectionHeaderTitle(Item(section, kIdDeviceHeader), GetText("device").c_str());
    for (const LabelSpec& label : kLabels)
        SetWindowTextW(Item(section, label.id), GetText(label.key).c_str());
    for (const ButtonSpec& entry : kButtons)
        SetWindowTextW(Item(section, entry.id), GetText(entry.key).c_str());
    if (const int width = ClientWidth(section))
        Layout(section, width); // the captions may now need one button a row
    // Only the prompt of an empty list is language-dependent.
    if (g_capture.devices.empty())
        FillDeviceCombo(section);
}

void OnCommand(HWND section, int id, int code) {
    if (id == CMD_REFRESH_TEXTS) {
        RefreshTexts(section);
        return;
    }
    switch (id) {
        case kIdDeviceCombo:
            if (code == CBN_CLOSEUP)
                OpenDialog(section);
            return;
        case kIdResolutionCombo:
            if (code == CBN_SELCHANGE)
                ChangeResolution(section);
            return;
        case kIdFormatCombo:
            if (code == CBN_SELCHANGE)
                ChangeFormat(section);
            return;
        default:
            break;
    }
    for (const ButtonSpec& entry : kButtons) {
        if (entry.id == id && code == BN_CLICKED)
            PostMessageW(GetAncestor(section, GA_ROOT), WM_COMMAND, MAKEWPARAM(entry.command, 0), 0);
    }
}

} // namespace

LRESULT CALLBACK DeviceSectionWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE) {
        auto* s = new (std::nothrow) DeviceSectionState();
        if (!s)
            return -1;
        s->window = hwnd;
        SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(s));
        CreateControls(hwnd);
        return 0;
    }
    DeviceSectionState* s = StateOf(hwnd);
    if (!s)
        return DefWindowProcW(hwnd, msg, wParam, lParam);

    switch (msg) {
        case WM_DESTROY:
            SetWindowLongPtrW(hwnd, 0, 0);
            delete s;
            return 0;
        case WM_SIZE:
            if (LOWORD(lParam) != 0 && HIWORD(lParam) != 0)
                Layout(hwnd, LOWORD(lParam));
            return 0;
        case UM_SECTION_SIZE: {
            const SectionHeights heights =
                DeviceSectionHeights(DialogBase().y, ButtonsNeedOneColumn(hwnd, ClientWidth(hwnd)));
            return static_cast<LRESULT>(PackHeightsAnswer(heights.collapsed, heights.expanded));
        }
        case UM_SECTION_EXPAND:
            s->expanded = wParam > 0 ? 1 : 0;
            ShowControls(hwnd, s->expanded != 0);
            PostMessageW(GetParent(hwnd), UM_SECTION_EXPAND, kSlotDevice, s->expanded);
            return 0;
        case UM_PANEL_REFRESH:
            Refresh(hwnd, wParam);
            return 0;
        case WM_COMMAND:
            OnCommand(hwnd, LOWORD(wParam), HIWORD(wParam));
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}
