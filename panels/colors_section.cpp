#include "panels/colors_section.h"

#include "capture/capture_session.h"
#include "base/win32_window.h"
#include "panels/panel_messages.h"
#include "view/view_messages.h"
#include "base/string_table.h"
#include "capture/camera_controls.h"
#include "capture/capture_graph.h"
#include "panels/section_controls.h"
#include "panels/section_header.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <new>

namespace {

ColorsSectionState* DataOf(HWND hwnd) {
    return WindowRecord<ColorsSectionState>(hwnd);
}

const std::wstring& RowName(const ColorRow& row) {
    return GetText(ColorTextKey(row.textId));
}

// Exposure needs the camera-control interface, every other control the video-proc-amp one.
bool HasInterfaceFor(CameraPropertyIndex index) {
    if (ControlIdOf(index).where == ControlInterface::CameraControl)
        return g_capture.graph.cameraControl != nullptr;
    return g_capture.graph.procAmp != nullptr;
}

void CreateControls(HWND hwnd) {
    const HFONT font = SectionControlFont();
    if (HWND header = CreateSectionHeader(hwnd, GetText("color").c_str(), 0, 0))
        SendMessageW(header, WM_SETFONT, reinterpret_cast<WPARAM>(SectionHeaderFont()), FALSE);
    for (const ColorRow& row : kColorRows) {
        // One line: a name too long for the panel ends in an ellipsis rather than wrapping away.
        CreateSectionControl(hwnd, L"STATIC", RowName(row).c_str(), SS_LEFT | SS_ENDELLIPSIS, row.labelId,
                             font);
        CreateSectionControl(hwnd, TRACKBAR_CLASSW, nullptr, 0, row.sliderId, font);
    }
    for (int id : {kExposureAutoId, kWhiteBalanceAutoId}) {
        CreateSectionControl(hwnd, L"BUTTON", GetText("auto").c_str(),
                             BS_AUTOCHECKBOX | BS_LEFTTEXT | BS_RIGHT, id, font);
    }
    CreateSectionControl(hwnd, L"STATIC", GetText("frequence").c_str(), SS_LEFT, kFrequencyLabelId, font);
    CreateSectionControl(hwnd, L"COMBOBOX", nullptr, CBS_DROPDOWNLIST | WS_VSCROLL, kFrequencyListId, font);
    CreateSectionControl(hwnd, L"BUTTON", GetText("default").c_str(), BS_PUSHBUTTON, kDefaultButtonId, font);
}

void RefreshRow(HWND hwnd, const ColorRow& row) {
    const CameraProperty& property = g_capture.graph.properties[row.property];
    const ColorRowView view = ColorRowViewOf(row, property, RowName(row));
    HWND label = GetDlgItem(hwnd, row.labelId);
    HWND slider = GetDlgItem(hwnd, row.sliderId);
    SetWindowTextW(label, view.label.c_str());
    if (view.usable) {
        const LPARAM span = static_cast<LPARAM>(std::min<int64_t>(view.sliderSpan, INT_MAX));
        SendMessageW(slider, TBM_SETRANGEMIN, FALSE, 0);
        SendMessageW(slider, TBM_SETRANGEMAX, TRUE, span);
        SendMessageW(slider, TBM_SETPOS, TRUE, view.sliderPosition);
    }
    EnableWindow(label, view.usable);
    EnableWindow(slider, view.usable);
    if (row.autoBoxId != 0)
        EnableWindow(GetDlgItem(hwnd, row.autoBoxId), view.autoBoxEnabled);
}

void RefreshFrequencyList(HWND hwnd, ColorsSectionState* data) {
    data->frequency = FrequencyListOf(g_capture.graph.properties[kPropPowerLineFrequency]);
    HWND list = GetDlgItem(hwnd, kFrequencyListId);
    EnableWindow(list, data->frequency.enabled);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& text : data->frequency.texts)
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(data->frequency.selected), 0);
}

void RefreshAll(HWND hwnd, ColorsSectionState* data) {
    const CameraProperties& properties = g_capture.graph.properties;
    EnableWindow(GetDlgItem(hwnd, kDefaultButtonId), IsCaptureGraphOpen());
    SetCheck(GetDlgItem(hwnd, kExposureAutoId), properties[kPropExposure].autoOn == 1);
    SetCheck(GetDlgItem(hwnd, kWhiteBalanceAutoId), properties[kPropWhiteBalance].autoOn == 1);
    for (const ColorRow& row : kColorRows)
        RefreshRow(hwnd, row);
    RefreshFrequencyList(hwnd, data);
}

void RefreshTexts(HWND hwnd, ColorsSectionState* data) {
    SetSectionHeaderTitle(GetDlgItem(hwnd, kColorsHeaderId), GetText("color").c_str());
    SetDlgItemTextW(hwnd, kExposureAutoId, GetText("auto").c_str());
    SetDlgItemTextW(hwnd, kWhiteBalanceAutoId, GetText("auto").c_str());
    SetDlgItemTextW(hwnd, kFrequencyLabelId, GetText("frequence").c_str());
    SetDlgItemTextW(hwnd, kDefaultButtonId, GetText("default").c_str());
    RefreshAll(hwnd, data); // relabels the rows too
}

// Every notification of a moving slider goes to the camera at once; the label follows the value.
void OnSliderScroll(HWND hwnd, HWND slider, int request, int thumb) {
    const ColorRow* row = ColorRowOfSlider(GetDlgCtrlID(slider));
    if (!row)
        return;
    const CameraProperty& property = g_capture.graph.properties[row->property];
    if (!IsColorRowUsable(*row, property))
        return;
    const int current = static_cast<int>(SendMessageW(slider, TBM_GETPOS, 0, 0));
    const int position = SliderScrollPosition(request, thumb, current, ColorSliderSpan(property));
    const int32_t value = ColorSliderValue(property, position);
    if (value == property.value)
        return;
    SetDlgItemTextW(hwnd, row->labelId, ColorRowLabel(RowName(*row), value).c_str());
    if (HasInterfaceFor(row->property))
        SetCameraPropertyValue(row->property, value);
}

// The row shows the new mode at once: off puts the default value on its label and slider.
void OnAutoBox(HWND hwnd, const ColorRow& row) {
    if (!HasInterfaceFor(row.property))
        return;
    SetCameraPropertyAuto(row.property, IsTicked(GetDlgItem(hwnd, row.autoBoxId)));
    RefreshRow(hwnd, row);
}

void OnFrequencyChosen(HWND hwnd, const ColorsSectionState* data) {
    const int index = static_cast<int>(SendDlgItemMessageW(hwnd, kFrequencyListId, CB_GETCURSEL, 0, 0));
    const int32_t value = FrequencyValueAt(data->frequency, index);
    if (value != 0 && HasInterfaceFor(kPropPowerLineFrequency))
        SetPowerLineFrequency(value);
}

void OnCommand(HWND hwnd, ColorsSectionState* data, WPARAM wParam) {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (id == CMD_REFRESH_TEXTS) {
        RefreshTexts(hwnd, data);
        return;
    }
    if (const ColorRow* row = ColorRowOfAutoBox(id)) {
        OnAutoBox(hwnd, *row);
        return;
    }
    if (id == kFrequencyListId && code == CBN_SELCHANGE) {
        OnFrequencyChosen(hwnd, data);
        return;
    }
    if (id == kDefaultButtonId) {
        RestoreCameraDefaults(); // only with the video-proc-amp interface
        RefreshAll(hwnd, data);
    }
}

void Layout(HWND hwnd, int width) {
    ApplySectionLayout(hwnd, ColorsSectionLayout(width, SystemSectionUnits()));
}

} // namespace

LRESULT CALLBACK ColorsSectionWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    ColorsSectionState* data = DataOf(hwnd);
    switch (msg) {
        case WM_CREATE: {
            data = new (std::nothrow) ColorsSectionState;
            if (!data)
                return -1;
            data->window = hwnd;
            SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(data));
            CreateControls(hwnd);
            return 0;
        }
        case WM_DESTROY:
            SetWindowLongPtrW(hwnd, 0, 0);
            delete data;
            return 0;
        case WM_SIZE:
            if (LOWORD(lParam) != 0 && HIWORD(lParam) != 0)
                Layout(hwnd, LOWORD(lParam));
            return 0;
        case UM_SECTION_SIZE: {
            const SectionUnits units = SystemSectionUnits();
            return SectionHeightsAnswer(units.CollapsedHeight(), ColorsExpandedHeight(units));
        }
        case UM_SECTION_EXPAND:
            ShowSectionControls(hwnd, kColorsFirstControlId, kColorsLastControlId, wParam != 0);
            NotifyPanelOfExpand(hwnd, kSlotColors, wParam != 0);
            return 0;
        case UM_PANEL_REFRESH:
            if (data && wParam <= kRefreshCamera)
                RefreshAll(hwnd, data);
            return 0;
        case WM_HSCROLL:
            if (lParam)
                OnSliderScroll(hwnd, reinterpret_cast<HWND>(lParam), LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_COMMAND:
            if (data)
                OnCommand(hwnd, data, wParam);
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}
