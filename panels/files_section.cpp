#include "panels/files_section.h"

#include "base/gdi_holders.h"
#include "base/win32_window.h"
#include "output/output_messages.h"
#include "panels/panel_messages.h"
#include "view/view_messages.h"
#include "base/app_settings.h"
#include "output/image_encoders.h"
#include "base/string_table.h"
#include "panels/panel_classes.h"
#include "panels/image_view_geometry.h"
#include "panels/image_viewer.h"
#include "output/recent_files.h"
#include "panels/section_controls.h"
#include "output/settings_store.h"

#include <gdiplus.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace {

// Brushes and the item height, made on the first creation and kept for the process.
HBRUSH s_itemBrush = nullptr;
HBRUSH s_selectedBrush = nullptr;
int s_itemHeight = 0;

void MakeSharedObjects(HWND hwnd) {
    if (s_itemBrush)
        return;
    SIZE text = {};
    {
        const WindowDc dc(hwnd);
        const SelectedObject font(dc.get(), GetSectionFonts().header);
        GetTextExtentPoint32W(dc.get(), L"ZH", 2, &text);
    }
    s_itemHeight = text.cy + kFilesItemExtraHeight;
    s_itemBrush = CreateSolidBrush(kFilesItemBackground);
    s_selectedBrush = CreateSolidBrush(kFilesSelectedBackground);
}

FilesSectionState* DataOf(HWND hwnd) {
    return WindowRecord<FilesSectionState>(hwnd);
}

int BaseUnitY() {
    return HIWORD(GetDialogBaseUnits());
}

void Place(HWND child, const LayoutRect& r) {
    if (child)
        SetWindowPos(child, nullptr, r.x, r.y, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void LayOut(FilesSectionState* s, int width) {
    s->layout = ComputeFilesSectionLayout(width, BaseUnitY());
    Place(s->header, s->layout.header);
    Place(s->list, s->layout.list);
    Place(s->preview, s->layout.preview);
}

// Files that are gone or locked since they were listed last time are left out.
bool CanBeOpenedForReading(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

// At start: a video no longer on disk takes the picture that previewed it along.
bool KeepListedFile(const std::wstring& path) {
    if (CanBeOpenedForReading(path))
        return true;
    const std::wstring picture = VideoPreviewPicturePath(path);
    if (!picture.empty() && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        DeleteFileW(picture.c_str());
    return false;
}

// The list box shows one item per recent file and keeps no text of its own.
void FillList(FilesSectionState* s) {
    if (!s->list)
        return;
    const LRESULT count = SendMessageW(s->list, LB_GETCOUNT, 0, 0);
    for (size_t i = count < 0 ? 0 : static_cast<size_t>(count); i < s->recent->paths.size(); ++i)
        SendMessageW(s->list, LB_ADDSTRING, 0, static_cast<LPARAM>(i));
}

std::wstring SelectedPath(FilesSectionState* s) {
    const LRESULT index = SendMessageW(s->list, LB_GETCURSEL, 0, 0);
    if (index < 0 || static_cast<size_t>(index) >= s->recent->paths.size())
        return {};
    return s->recent->paths[static_cast<size_t>(index)];
}

void OpenWithSystemViewer(const std::wstring& path) {
    ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void OnListCommand(FilesSectionState* s, int code) {
    std::wstring path = SelectedPath(s);
    if (code == LBN_DBLCLK && !path.empty()) {
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            // Deleted since it was listed: the entry goes, and the shell is not asked to open it.
            const LRESULT index = SendMessageW(s->list, LB_GETCURSEL, 0, 0);
            s->recent->paths.erase(s->recent->paths.begin() + index);
            SetLatestFiles(*s->recent);
            SendMessageW(s->list, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
            path.clear();
        } else {
            OpenWithSystemViewer(path);
        }
    }
    SendMessageW(s->preview, WM_COMMAND, MAKEWPARAM(kImageLoadCommand, 0),
                 reinterpret_cast<LPARAM>(path.c_str()));
}

void DrawItem(const FilesSectionState* s, const DRAWITEMSTRUCT* item) {
    if (item->itemID == static_cast<UINT>(-1) || item->itemID >= s->recent->paths.size())
        return;
    const std::wstring name = RecentFileDisplayName(s->recent->paths[item->itemID]);
    const bool selected = (item->itemState & ODS_SELECTED) != 0;
    HDC dc = item->hDC;
    FillRect(dc, &item->rcItem, selected ? s_selectedBrush : s_itemBrush);
    const SelectedObject font(dc, GetSectionFonts().control);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = SetTextColor(dc, RGB(0, 0, 0));
    ExtTextOutW(dc, item->rcItem.left + kFilesItemTextInset, item->rcItem.top + kFilesItemTextInset,
                ETO_CLIPPED, &item->rcItem, name.c_str(), static_cast<UINT>(name.size()), nullptr);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
}

void ShowControls(FilesSectionState* s, bool show) {
    ShowWindow(s->list, show ? SW_SHOW : SW_HIDE);
    ShowWindow(s->preview, show ? SW_SHOW : SW_HIDE);
}

HWND CreateChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int id,
                 const LayoutRect& r) {
    return CreateWindowExW(0, className, text, WS_CHILD | style, r.x, r.y, r.width, r.height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
}

LRESULT OnCreate(HWND hwnd, const CREATESTRUCTW* create) {
    const auto* creation = static_cast<const FilesSectionCreation*>(create->lpCreateParams);
    if (!creation || !creation->recent)
        return -1;
    auto* s = new (std::nothrow) FilesSectionState{};
    if (!s)
        return -1;
    s->window = hwnd;
    s->recent = creation->recent;
    SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(s));
    MakeSharedObjects(hwnd);

    s->layout = ComputeFilesSectionLayout(creation->panelWidth - kFilesCreationWidthAllowance, BaseUnitY());
    s->header = CreateChild(hwnd, kCtrlPanelHeaderWndClass, GetText("files").c_str(), WS_VISIBLE,
                            kFilesHeaderId, s->layout.header);
    s->list = CreateChild(hwnd, L"ListBox", nullptr, WS_BORDER | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_NOTIFY,
                          kFilesListId, s->layout.list);
    s->preview = CreateChild(hwnd, kImageWndClass, nullptr, 0, kFilesPreviewId, s->layout.preview);
    for (HWND control : {s->list, s->preview}) {
        if (control)
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetSectionFonts().control), FALSE);
    }
    if (s->preview)
        SendMessageW(s->preview, WM_COMMAND, MAKEWPARAM(kImageZoomCommand, 0), 25);

    LoadRecentFiles(s->recent->paths, g_settings.latestFilesText, KeepListedFile);
    SetLatestFiles(*s->recent); // the files that are gone are not stored again
    FillList(s);
    return 0;
}

void OnDestroy(HWND hwnd) {
    FilesSectionState* s = DataOf(hwnd);
    SetWindowLongPtrW(hwnd, 0, 0);
    delete s;
}

LRESULT OnCommand(FilesSectionState* s, WPARAM wParam) {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (id == kFilesListId && (code == LBN_SELCHANGE || code == LBN_DBLCLK)) {
        OnListCommand(s, code);
    } else if (id == CMD_REFRESH_TEXTS && s->header) {
        SetWindowTextW(s->header, GetText("files").c_str());
        InvalidateRect(s->header, nullptr, TRUE);
    }
    return 0;
}

} // namespace

LRESULT CALLBACK FilesSectionWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE)
        return OnCreate(hwnd, reinterpret_cast<const CREATESTRUCTW*>(lParam));
    FilesSectionState* s = DataOf(hwnd);
    if (msg == WM_MEASUREITEM) { // the list box asks while it is being created
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = static_cast<UINT>(s_itemHeight);
        return 1;
    }
    if (!s)
        return DefWindowProcW(hwnd, msg, wParam, lParam);

    switch (msg) {
        case WM_DESTROY:
            OnDestroy(hwnd);
            return 0;
        case WM_SIZE:
            if (LOWORD(lParam) != 0 && HIWORD(lParam) != 0)
                LayOut(s, LOWORD(lParam));
            return 0;
        case UM_SECTION_SIZE:
            return static_cast<LRESULT>(
                PackSectionHeights(s->layout.collapsedHeight, s->layout.expandedHeight));
        case UM_SECTION_EXPAND:
            ShowControls(s, wParam != 0);
            PostMessageW(GetParent(hwnd), UM_SECTION_EXPAND, kFilesPanelSlot, wParam != 0 ? 1 : 0);
            return 0;
        case UM_PANEL_REFRESH:
            return 0;
        case UM_RECENT_FILE_ADDED:
            // Brings the list up to the recent-files list, so an entry is never shown twice or lost.
            FillList(s);
            return 0;
        case UM_THUMB_CLICKED:
            if (wParam == 1) {
                const std::wstring path = SelectedPath(s);
                if (!path.empty())
                    OpenWithSystemViewer(path);
            }
            return 0;
        case WM_DRAWITEM:
            DrawItem(s, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return 1;
        case WM_COMMAND:
            return OnCommand(s, wParam);
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}
