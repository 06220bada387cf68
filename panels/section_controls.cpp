#include "panels/section_controls.h"

#include "base/gdi_holders.h"
#include "base/win32_window.h"
#include "panels/panel_messages.h"
#include "panels/section_header.h"

#include <algorithm>

SectionFonts GetSectionFonts() {
    return {SectionHeaderFont(), SectionControlFont()};
}

SectionUnits SystemSectionUnits() {
    const LONG base = GetDialogBaseUnits();
    return {LOWORD(base), HIWORD(base)};
}

HWND CreateSectionControl(HWND section, const wchar_t* className, const wchar_t* text, DWORD style, int id,
                          HFONT font) {
    HWND control =
        CreateWindowExW(0, className, text, WS_CHILD | style, 0, 0, 0, 0, section,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ProgramInstance(), nullptr);
    if (control && font)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

void ShowSectionControls(HWND section, int firstId, int lastId, bool show) {
    for (int id = firstId; id <= lastId; ++id) {
        if (HWND control = GetDlgItem(section, id))
            ShowWindow(control, show ? SW_SHOW : SW_HIDE);
    }
}

void ApplySectionLayout(HWND section, const std::vector<ControlPlacement>& layout) {
    HDWP batch = BeginDeferWindowPos(static_cast<int>(layout.size()));
    for (const ControlPlacement& p : layout) {
        HWND control = GetDlgItem(section, p.id);
        if (!control)
            continue;
        if (batch) {
            batch = DeferWindowPos(batch, control, nullptr, p.rect.x, p.rect.y, p.rect.width, p.rect.height,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
        }
        if (!batch) // the batch failed: place the rest one by one
            MoveWindow(control, p.rect.x, p.rect.y, p.rect.width, p.rect.height, TRUE);
    }
    if (batch)
        EndDeferWindowPos(batch);
}

LRESULT SectionHeightsAnswer(int collapsed, int expanded) {
    return static_cast<LRESULT>(PackHeightsAnswer(collapsed, expanded));
}

void NotifyPanelOfExpand(HWND section, int slot, bool expanded) {
    if (HWND panel = GetParent(section))
        PostMessageW(panel, UM_SECTION_EXPAND, static_cast<WPARAM>(slot), expanded ? 1 : 0);
}

int ScreenPixels(int at96) {
    const WindowDc screen(nullptr);
    return MulDiv(at96, GetDeviceCaps(screen.get(), LOGPIXELSY), 96);
}

int ControlTextWidth(HWND control) {
    wchar_t text[128] = {};
    const int length = GetWindowTextW(control, text, 128);
    if (length <= 0)
        return 0;
    const WindowDc dc(control);
    const SelectedObject selected(dc.get(), reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT r = {0, 0, 1, 0};
    DrawTextW(dc.get(), text, length, &r, DT_SINGLELINE | DT_CALCRECT);
    return r.right - r.left;
}

int WidestControlText(HWND section, int firstId, int lastId) {
    int widest = 0;
    for (int id = firstId; id <= lastId; ++id) {
        if (HWND control = GetDlgItem(section, id))
            widest = std::max(widest, ControlTextWidth(control));
    }
    return widest;
}

int CheckBoxMarkWidth() {
    return ScreenPixels(13) + ScreenPixels(4);
}

int PushButtonChromeWidth(HWND button) {
    int image = 0;
    if (const auto icon = reinterpret_cast<HICON>(SendMessageW(button, BM_GETIMAGE, IMAGE_ICON, 0))) {
        ICONINFO info = {};
        if (GetIconInfo(icon, &info)) {
            BITMAP bm = {};
            GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm);
            image = bm.bmWidth + ScreenPixels(2);
            if (info.hbmColor)
                DeleteObject(info.hbmColor);
            if (info.hbmMask)
                DeleteObject(info.hbmMask);
        }
    }
    return 2 * ScreenPixels(3) + image;
}

void SetCheck(HWND control, bool ticked) {
    if (control)
        SendMessageW(control, BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool IsTicked(HWND control) {
    return control && SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}
