#include "panels/control_panel.h"

#include "base/gdi_holders.h"
#include "base/win32_window.h"
#include "output/output_messages.h"
#include "panels/panel_messages.h"
#include "view/view_messages.h"
#include "base/layout_units.h"
#include "panels/panel_classes.h"
#include "panels/section_header.h"

#include <new>

static_assert(kScrollLineUp == SB_LINEUP && kScrollLineDown == SB_LINEDOWN && kScrollPageUp == SB_PAGEUP &&
              kScrollPageDown == SB_PAGEDOWN && kScrollThumbPosition == SB_THUMBPOSITION &&
              kScrollThumbTrack == SB_THUMBTRACK && kScrollTop == SB_TOP && kScrollBottom == SB_BOTTOM);

namespace {

struct SectionSpec {
    const wchar_t* className;
    int id;
};

// In slot order, which is also their order on screen.
constexpr SectionSpec kSections[kPanelSectionCount] = {
    {kCtrlPanelSourceWndClass, kIdDeviceSection},
    {kCtrlPanelFlipWndClass, kIdPreviewSection},
    {kCtrlPanelColorWndClass, kIdColorsSection},
    {kCtrlPanelFilesWndClass, kIdFilesSection},
};

// Colors starts collapsed; the others are expanded by a toggle of their headers.
constexpr int kStartExpanded[] = {kSlotDevice, kSlotPreview, kSlotFiles};

ControlPanelMetrics MeasureMetrics() {
    ControlPanelMetrics m;
    const LONG base = GetDialogBaseUnits();
    m.sideMargin = DialogUnitsToPixelsX(4, LOWORD(base));
    m.topMargin = DialogUnitsToPixelsY(4, HIWORD(base));
    const WindowDc screen(nullptr);
    const SelectedObject selected(screen.get(), SectionControlFont());
    SIZE extent = {};
    GetTextExtentPoint32W(screen.get(), L"ZH", 2, &extent);
    m.lineStep = extent.cy;
    return m;
}

ControlPanelState* StateOf(HWND hwnd) {
    return WindowRecord<ControlPanelState>(hwnd);
}

std::span<const PanelSlot> UsedSlots(const ControlPanelState& s) {
    return {s.slots.data(), static_cast<size_t>(s.sectionCount)};
}

// True when any section's heights differ from what the panel held.
bool AskSectionHeights(ControlPanelState& s) {
    bool changed = false;
    for (int i = 0; i < s.sectionCount; ++i) {
        // A section without its own procedure yet answers 0 and takes no room.
        const LRESULT answer = s.sections[i] ? SendMessageW(s.sections[i], UM_SECTION_SIZE, 0, 0) : 0;
        const SectionHeights heights = UnpackHeightsAnswer(static_cast<uint32_t>(answer));
        changed = changed || heights.collapsed != s.slots[i].heights.collapsed ||
                  heights.expanded != s.slots[i].heights.expanded;
        s.slots[i].heights = heights;
    }
    return changed;
}

void PostLayout(HWND panel) {
    PostMessageW(panel, WM_COMMAND, MAKEWPARAM(kPanelLayoutCommand, 0), 0);
}

void UpdateScrollRange(ControlPanelState& s) {
    s.contentHeight = PanelContentHeight(UsedSlots(s), PanelMetrics().topMargin);
    const PanelScroll scroll = ComputePanelScroll(s.contentHeight, ClientSize(s.window).cy, s.scrollPosition);
    s.scrollPosition = scroll.position;
    if (scroll.showBar) {
        // Showing the bar narrows the client area; the WM_SIZE that follows comes back here.
        ShowScrollBar(s.window, SB_VERT, TRUE);
        SCROLLINFO info = {};
        info.cbSize = sizeof(info);
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMin = 0;
        info.nMax = scroll.scrollMax;
        info.nPage = kPanelScrollPage;
        info.nPos = s.scrollPosition;
        SetScrollInfo(s.window, SB_VERT, &info, TRUE);
    } else {
        SetScrollPos(s.window, SB_VERT, 0, TRUE);
        ShowScrollBar(s.window, SB_VERT, FALSE);
    }
    PostLayout(s.window);
}

void LayOutSections(const ControlPanelState& s) {
    const ControlPanelMetrics& m = PanelMetrics();
    const std::vector<PanelRect> rects = LayoutPanelSections(UsedSlots(s), ClientSize(s.window).cx,
                                                             m.sideMargin, m.topMargin, s.scrollPosition);
    HDWP batch = BeginDeferWindowPos(s.sectionCount);
    for (int i = 0; i < s.sectionCount; ++i) {
        if (!s.sections[i])
            continue;
        const PanelRect& r = rects[static_cast<size_t>(i)];
        // Sections repaint where they land: bits copied from a place that was scrolled out of
        // sight would show stale pixels.
        if (batch) {
            batch = DeferWindowPos(batch, s.sections[i], nullptr, r.x, r.y, r.width, r.height,
                                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
        }
        if (!batch) // the batch failed: place the rest one by one
            MoveWindow(s.sections[i], r.x, r.y, r.width, r.height, TRUE);
    }
    if (batch)
        EndDeferWindowPos(batch);
}

void ScrollTo(ControlPanelState& s, int request, int thumbPosition) {
    const int next = ScrolledPanelPosition(request, s.scrollPosition, thumbPosition, PanelMetrics().lineStep,
                                           s.contentHeight, ClientSize(s.window).cy);
    if (next == s.scrollPosition)
        return;
    s.scrollPosition = next;
    SetScrollPos(s.window, SB_VERT, next, TRUE);
    PostLayout(s.window);
}

void CreateSections(ControlPanelState& s, HINSTANCE instance) {
    s.sectionCount = kPanelSectionCount;
    for (int i = 0; i < kPanelSectionCount; ++i) {
        // The Files section sizes its preview from the panel's width and shows the recent files.
        const LPVOID param = i == kSlotFiles ? &s.files : nullptr;
        s.sections[i] = CreateWindowExW(
            0, kSections[i].className, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
            0, 0, s.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSections[i].id)), instance, param);
    }
}

int OnCreate(HWND hwnd, const CREATESTRUCTW* create) {
    PanelMetrics();
    auto* s = new (std::nothrow) ControlPanelState();
    if (!s)
        return -1;
    s->window = hwnd;
    if (const auto* files = static_cast<const FilesSectionCreation*>(create->lpCreateParams))
        s->files = *files;
    SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(s));
    CreateSections(*s, create->hInstance);
    AskSectionHeights(*s);
    for (int slot : kStartExpanded) {
        HWND header = s->sections[slot] ? GetDlgItem(s->sections[slot], kIdSectionHeader) : nullptr;
        if (header)
            PostMessageW(header, UM_SECTION_EXPAND, 0, 0);
    }
    return 0;
}

void OnCommand(ControlPanelState& s, int command) {
    if (command == kPanelLayoutCommand) {
        LayOutSections(s);
        // A section laid out at a new width (the panel's scroll bar came or went) or with new
        // content may now need another height. Once in a row, so that a bar that would come and
        // go with it cannot make the panel lay out forever.
        if (!s.heightsRechecked && AskSectionHeights(s)) {
            s.heightsRechecked = true;
            UpdateScrollRange(s);
        } else {
            s.heightsRechecked = false;
        }
    } else if (command == CMD_REFRESH_TEXTS) {
        for (int i = 0; i < s.sectionCount; ++i) {
            if (s.sections[i])
                PostMessageW(s.sections[i], WM_COMMAND, MAKEWPARAM(CMD_REFRESH_TEXTS, 0), 0);
        }
        // New texts may re-flow a section to another height: ask again once they are in.
        PostLayout(s.window);
    }
}

} // namespace

const ControlPanelMetrics& PanelMetrics() {
    static const ControlPanelMetrics metrics = MeasureMetrics();
    return metrics;
}

LRESULT CALLBACK ControlPanelWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE)
        return OnCreate(hwnd, reinterpret_cast<const CREATESTRUCTW*>(lParam));
    ControlPanelState* s = StateOf(hwnd);
    if (!s)
        return DefWindowProcW(hwnd, msg, wParam, lParam);

    switch (msg) {
        case WM_DESTROY:
            SetWindowLongPtrW(hwnd, 0, 0);
            delete s;
            return 0;
        case WM_SIZE:
            if (LOWORD(lParam) == 0 || HIWORD(lParam) == 0)
                return 0;
            AskSectionHeights(*s);
            UpdateScrollRange(*s);
            return 0;
        case WM_COMMAND:
            OnCommand(*s, LOWORD(wParam));
            return 0;
        case WM_VSCROLL:
            ScrollTo(*s, LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_MOUSEWHEEL:
            ScrollTo(*s, WheelScrollRequest(GET_WHEEL_DELTA_WPARAM(wParam)), 0);
            return 0;
        case UM_PANEL_REFRESH:
            for (int i = 0; i < s->sectionCount; ++i) {
                if (s->sections[i])
                    SendMessageW(s->sections[i], UM_PANEL_REFRESH, wParam, 0);
            }
            if (wParam == kRefreshZoom)
                return 0; // a read-out changed, no section's size
            AskSectionHeights(*s);
            UpdateScrollRange(*s);
            return 0;
        case UM_SECTION_EXPAND:
            // The slot comes from a section; one the panel does not have is ignored.
            if (wParam < static_cast<WPARAM>(s->sectionCount)) {
                s->slots[wParam].expanded = lParam != 0 ? 1 : 0;
                AskSectionHeights(*s);
                UpdateScrollRange(*s);
            }
            return 0;
        case UM_RECENT_FILE_ADDED:
            if (s->sections[kSlotFiles])
                PostMessageW(s->sections[kSlotFiles], UM_RECENT_FILE_ADDED, wParam, lParam);
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}
