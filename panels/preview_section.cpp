#include "panels/preview_section.h"

#include "base/win32_window.h"
#include "panels/panel_messages.h"
#include "view/view_messages.h"
#include "view/view_commands.h"
#include "base/string_table.h"
#include "capture/capture_graph.h"
#include "measure/measure_tool.h"
#include "panels/preview_section_model.h"
#include "panels/section_controls.h"
#include "panels/section_header.h"
#include "view/camera_view.h"
#include "capture/frame_filters.h"

#include <commctrl.h>

#include <new>

namespace {

PreviewSectionState* DataOf(HWND hwnd) {
    return WindowRecord<PreviewSectionState>(hwnd);
}

// The camera view of the main window the panel sits in.
HWND ViewOf(HWND section) {
    return CameraViewOf(GetAncestor(section, GA_ROOT));
}

int ViewZoom(HWND section) {
    const CameraViewState* view = CameraViewStateOf(ViewOf(section));
    return view ? view->zoomPercent : 100;
}

PreviewSwitches ReadSwitches() {
    PreviewSwitches s;
    s.mirror = g_filterFlags.mirror.load();
    s.flipVertical = g_filterFlags.flipVertical.load();
    s.gray = g_filterFlags.gray.load();
    s.binary = g_filterFlags.binary.load();
    s.invert = g_filterFlags.invert.load();
    s.emboss = g_filterFlags.emboss.load();
    return s;
}

// Each switch is one word the frame filters read on the streaming thread.
void WriteSwitches(const PreviewSwitches& s) {
    g_filterFlags.mirror.store(s.mirror);
    g_filterFlags.flipVertical.store(s.flipVertical);
    g_filterFlags.gray.store(s.gray);
    g_filterFlags.binary.store(s.binary);
    g_filterFlags.invert.store(s.invert);
    g_filterFlags.emboss.store(s.emboss);
}

void CreateControls(HWND hwnd) {
    const HFONT font = SectionControlFont();
    if (HWND header = CreateSectionHeader(hwnd, GetText("preview").c_str(), 0, 0))
        SendMessageW(header, WM_SETFONT, reinterpret_cast<WPARAM>(SectionHeaderFont()), FALSE);
    CreateSectionControl(hwnd, L"STATIC", GetText("ratio").c_str(), SS_LEFT, kZoomReadoutId, font);
    HWND slider = CreateSectionControl(hwnd, TRACKBAR_CLASSW, nullptr, 0, kZoomSliderId, font);
    SendMessageW(slider, TBM_SETRANGE, TRUE, MAKELPARAM(kPreviewZoomMin, kPreviewZoomMax));
    SendMessageW(slider, TBM_SETPOS, TRUE, 100);
    CreateSectionControl(hwnd, L"BUTTON", L"100%", BS_AUTOCHECKBOX | BS_LEFTTEXT | BS_RIGHT, kZoom100BoxId,
                         font);
    for (const FilterBox& box : kFilterBoxes)
        CreateSectionControl(hwnd, L"BUTTON", GetText(box.key).c_str(), BS_AUTOCHECKBOX, box.id, font);
}

void ShowZoom(HWND hwnd, int percent) {
    SetDlgItemTextW(hwnd, kZoomReadoutId, ZoomReadout(percent).c_str());
    SetCheck(GetDlgItem(hwnd, kZoom100BoxId), percent == 100);
}

void EnableControls(HWND hwnd, bool enable) {
    for (int id = kZoomSliderId; id <= kPreviewLastControlId; ++id)
        EnableWindow(GetDlgItem(hwnd, id), enable);
}

void Refresh(HWND hwnd, WPARAM reason) {
    HWND slider = GetDlgItem(hwnd, kZoomSliderId);
    if (!IsCaptureGraphOpen()) {
        ShowZoom(hwnd, 100);
        SendMessageW(slider, TBM_SETPOS, TRUE, 100);
        EnableControls(hwnd, false);
        return;
    }
    if (reason == kRefreshZoom) {
        const int zoom = ViewZoom(hwnd);
        ShowZoom(hwnd, zoom);
        SendMessageW(slider, TBM_SETPOS, TRUE, zoom);
        return;
    }
    if (reason != kRefreshCamera)
        return;
    EnableControls(hwnd, true);
    const int zoom = ViewZoom(hwnd);
    ShowZoom(hwnd, zoom);
    SendMessageW(slider, TBM_SETPOS, TRUE, zoom);
    const PreviewSwitches switches = ReadSwitches();
    for (const FilterBox& box : kFilterBoxes)
        SetCheck(GetDlgItem(hwnd, box.id), FilterBoxTicked(switches, box.id));
}

// True when a filter box's text is wider than a box of the two-column layout leaves it.
bool BoxesNeedOneColumn(HWND hwnd, int width) {
    if (width <= 0)
        return false;
    const int widest = WidestControlText(hwnd, kFlipHorzBoxId, kEmbossBoxId);
    return widest + CheckBoxMarkWidth() > PreviewBoxWidth(width, SystemSectionUnits());
}

int ClientWidth(HWND hwnd) {
    RECT r = {};
    GetClientRect(hwnd, &r);
    return r.right;
}

void Layout(HWND hwnd, int width) {
    ApplySectionLayout(hwnd,
                       PreviewSectionLayout(width, SystemSectionUnits(), BoxesNeedOneColumn(hwnd, width)));
}

void RefreshTexts(HWND hwnd) {
    SetSectionHeaderTitle(GetDlgItem(hwnd, kPreviewHeaderId), GetText("preview").c_str());
    for (const FilterBox& box : kFilterBoxes)
        SetDlgItemTextW(hwnd, box.id, GetText(box.key).c_str());
    if (const int width = ClientWidth(hwnd))
        Layout(hwnd, width); // the texts may now need one box a row
}

// Every notification during a drag zooms at once. Measuring works at 100 % only, so the Drag tool
// is made current first: choosing a tool puts the zoom back to 100 %, which must not undo the
// zoom just chosen.
void OnZoomScroll(HWND hwnd, HWND slider, int request, int thumb) {
    const int current = static_cast<int>(SendMessageW(slider, TBM_GETPOS, 0, 0));
    const int position = SliderScrollPosition(request, thumb, current, kPreviewZoomMax);
    if (position == ViewZoom(hwnd))
        return;
    // The main window makes the Drag tool current as its toolbar button does.
    SendMessageW(GetAncestor(hwnd, GA_ROOT), WM_COMMAND, MAKEWPARAM(IDC_TOOL_DRAG, 0), 0);
    SetViewZoom(ViewOf(hwnd), position);
    ShowZoom(hwnd, position);
}

void OnBoxClicked(HWND hwnd, int id) {
    const bool ticked = IsTicked(GetDlgItem(hwnd, id));
    if (id == kZoom100BoxId) {
        // Unticking leaves the zoom where it is.
        if (ticked) {
            SetViewZoom(ViewOf(hwnd), 100);
            ShowZoom(hwnd, 100);
            SendDlgItemMessageW(hwnd, kZoomSliderId, TBM_SETPOS, TRUE, 100);
        }
        return;
    }
    const PreviewSwitches switches = AfterFilterBoxClick(ReadSwitches(), id, ticked);
    WriteSwitches(switches);
    for (int effect = kGrayBoxId; effect <= kEmbossBoxId; ++effect)
        SetCheck(GetDlgItem(hwnd, effect), FilterBoxTicked(switches, effect));
    // The view draws the frame upside down from the switch on its next paint.
    if (id == kFlipVertBoxId) {
        if (HWND view = ViewOf(hwnd))
            InvalidateRect(view, nullptr, FALSE);
    }
}

} // namespace

LRESULT CALLBACK PreviewSectionWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE: {
            auto* data = new (std::nothrow) PreviewSectionState;
            if (!data)
                return -1;
            data->window = hwnd;
            SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(data));
            CreateControls(hwnd);
            return 0;
        }
        case WM_DESTROY:
            delete DataOf(hwnd);
            SetWindowLongPtrW(hwnd, 0, 0);
            return 0;
        case WM_SIZE:
            if (LOWORD(lParam) != 0 && HIWORD(lParam) != 0)
                Layout(hwnd, LOWORD(lParam));
            return 0;
        case UM_SECTION_SIZE: {
            const SectionUnits units = SystemSectionUnits();
            return SectionHeightsAnswer(
                units.CollapsedHeight(),
                PreviewExpandedHeight(units, BoxesNeedOneColumn(hwnd, ClientWidth(hwnd))));
        }
        case UM_SECTION_EXPAND:
            ShowSectionControls(hwnd, kPreviewFirstControlId, kPreviewLastControlId, wParam != 0);
            NotifyPanelOfExpand(hwnd, kSlotPreview, wParam != 0);
            return 0;
        case UM_PANEL_REFRESH:
            Refresh(hwnd, wParam);
            return 0;
        case WM_HSCROLL:
            if (lParam && GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == kZoomSliderId)
                OnZoomScroll(hwnd, reinterpret_cast<HWND>(lParam), LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (id == CMD_REFRESH_TEXTS)
                RefreshTexts(hwnd);
            else if (id >= kZoom100BoxId && id <= kEmbossBoxId)
                OnBoxClicked(hwnd, id);
            return 0;
        }
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}
