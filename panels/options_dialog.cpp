#include "panels/options_dialog.h"

#include "base/win32_window.h"
#include "panels/panel_messages.h"
#include "base/app_settings.h"
#include "output/settings_store.h"
#include "base/string_table.h"
#include "panels/about_dialog.h"
#include "output/output_names.h"
#include "panels/options_model.h"
#include "resources/dialogs_options.h"
#include "view/camera_view.h"

#include <shlobj.h>

#include <string>
#include <vector>

namespace {

constexpr int kColorLists[] = {IDC_OPT_RULER_COLOR, IDC_OPT_LINE_COLOR, IDC_OPT_TEXT_COLOR};

struct KeyedText {
    int id;
    const char* key;
};
constexpr KeyedText kKeyedTexts[] = {
    {IDC_OPT_MEASURE_GROUP, "measure"},
    {IDC_OPT_RULER_COLOR_LABEL, "ruler color"},
    {IDC_OPT_LINE_COLOR_LABEL, "line color"},
    {IDC_OPT_LINE_WIDTH_LABEL, "line width"},
    {IDC_OPT_TEXT_COLOR_LABEL, "text color"},
    {IDC_OPT_TEXT_SIZE_LABEL, "text size"},
    {IDC_OPT_FILES_GROUP, "photo video"},
    {IDC_OPT_FOLDER_LABEL, "save path"},
    {IDC_OPT_FORMAT_LABEL, "jpg png"},
    {IDC_OPT_LANGUAGE_GROUP, "language"},
    {IDOK, "ok"},
    {IDCANCEL, "cancel"},
};

void FillList(HWND dialog, int id, const std::vector<std::wstring>& items, int selected) {
    for (const std::wstring& item : items)
        SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    SendDlgItemMessageW(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

int Selection(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
}

void OnInit(HWND dialog) {
    SetWindowTextW(dialog, GetText("setting").c_str());
    for (const KeyedText& text : kKeyedTexts)
        SetDlgItemTextW(dialog, text.id, GetText(text.key).c_str());
    PlaceDialogOver(dialog, GetWindow(dialog, GW_OWNER));

    const OptionsSelections s = SelectionsFromSettings(g_settings);
    const int colorSelections[] = {s.gridColor, s.lineColor, s.textColor};
    for (int i = 0; i < 3; ++i) {
        // Owner-drawn without strings: an item is its palette index.
        for (int entry = 0; entry < kPaletteSize; ++entry)
            SendDlgItemMessageW(dialog, kColorLists[i], CB_ADDSTRING, 0, entry);
        SendDlgItemMessageW(dialog, kColorLists[i], CB_SETCURSEL, static_cast<WPARAM>(colorSelections[i]), 0);
    }
    FillList(dialog, IDC_OPT_LINE_WIDTH, LineWidthItems(), s.lineWidth);
    FillList(dialog, IDC_OPT_TEXT_SIZE, TextSizeItems(), s.textSize);
    FillList(dialog, IDC_OPT_PHOTO_FORMAT, PhotoFormatItems(), s.photoFormat);
    std::vector<std::wstring> languages;
    for (int i = 0; i < kLanguageCount; ++i)
        languages.emplace_back(LanguageListName(i));
    FillList(dialog, IDC_OPT_LANGUAGE, languages, s.language);
    SendDlgItemMessageW(dialog, IDC_OPT_FOLDER, EM_SETLIMITTEXT, kSaveFolderMaxLength, 0);
    SetDlgItemTextW(dialog, IDC_OPT_FOLDER, s.saveFolder.c_str());
}

// Colour swatches: the item's palette colour framed in light gray.
BOOL DrawColorItem(const DRAWITEMSTRUCT* item) {
    if (!IsDrawableColorItem(item->itemID))
        return FALSE;
    const COLORREF oldBack = SetBkColor(item->hDC, PaletteColorAt(static_cast<int>(item->itemID)));
    ExtTextOutW(item->hDC, 0, 0, ETO_OPAQUE, &item->rcItem, nullptr, 0, nullptr);
    SetBkColor(item->hDC, oldBack);
    FrameRect(item->hDC, &item->rcItem, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
    if (item->itemState & ODS_FOCUS)
        DrawFocusRect(item->hDC, &item->rcItem);
    return TRUE;
}

// The choice goes into the edit field only; the setting changes at OK.
void BrowseForFolder(HWND dialog) {
    BROWSEINFOW info = {};
    info.hwndOwner = dialog;
    info.lpszTitle = GetText("save path").c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_BROWSEFORCOMPUTER;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    if (!chosen)
        return;
    wchar_t path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(chosen, path))
        SetDlgItemTextW(dialog, IDC_OPT_FOLDER, path);
    CoTaskMemFree(chosen);
}

// The main window (the owner) passes the refresh on to the toolbar and the control panel.
void ApplyLanguage(HWND owner) {
    SelectLanguage(g_settings.language);
    if (owner)
        PostMessageW(owner, WM_COMMAND, MAKEWPARAM(CMD_REFRESH_TEXTS, 0), 0);
    SetViewTexts(CameraViewOf(owner), GetText("no device"), GetText("input tip"));
}

void OnOk(HWND dialog) {
    OptionsSelections s;
    s.gridColor = Selection(dialog, IDC_OPT_RULER_COLOR);
    s.lineColor = Selection(dialog, IDC_OPT_LINE_COLOR);
    s.textColor = Selection(dialog, IDC_OPT_TEXT_COLOR);
    s.lineWidth = Selection(dialog, IDC_OPT_LINE_WIDTH);
    s.textSize = Selection(dialog, IDC_OPT_TEXT_SIZE);
    s.photoFormat = Selection(dialog, IDC_OPT_PHOTO_FORMAT);
    s.language = Selection(dialog, IDC_OPT_LANGUAGE);
    wchar_t folder[kSaveFolderCapacity] = {};
    GetDlgItemTextW(dialog, IDC_OPT_FOLDER, folder, static_cast<int>(kSaveFolderCapacity));
    s.saveFolder = folder;
    // A changed folder must hold photos and videos: refused with a word, the dialog stays.
    if (s.saveFolder != g_settings.saveFolder &&
        !(IsUsableSaveFolder(s.saveFolder) && EnsureDirectoryPath(s.saveFolder))) {
        wchar_t caption[128] = {};
        GetWindowTextW(dialog, caption, 128);
        MessageBoxW(dialog, GetText("folder refused").c_str(), caption, MB_OK | MB_ICONWARNING);
        SetFocus(GetDlgItem(dialog, IDC_OPT_FOLDER));
        return;
    }

    HWND owner = GetWindow(dialog, GW_OWNER);
    if (ApplySelections(g_settings, s))
        ApplyLanguage(owner);
    SaveSettings();
    if (owner)
        PostMessageW(owner, WM_COMMAND, MAKEWPARAM(CMD_APPLY_STYLE, 0), 0);
    EndDialog(dialog, IDOK);
}

} // namespace

INT_PTR CALLBACK OptionsDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_INITDIALOG:
            OnInit(dialog);
            return TRUE;
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (wParam != IDC_OPT_RULER_COLOR && wParam != IDC_OPT_LINE_COLOR && wParam != IDC_OPT_TEXT_COLOR)
                return FALSE;
            // The answer to the list goes through the dialog's message result.
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, DrawColorItem(item));
            return TRUE;
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK:
                    OnOk(dialog);
                    return TRUE;
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
                case IDC_OPT_BROWSE:
                    BrowseForFolder(dialog);
                    return TRUE;
                case IDC_OPT_ABOUT:
                    ShowAboutDialog(dialog);
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

void ShowOptionsDialog(HWND owner) {
    DialogBoxParamW(ProgramInstance(), MAKEINTRESOURCEW(IDD_OPTIONS), owner, OptionsDlgProc, 0);
}
