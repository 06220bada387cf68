#include "output/photo.h"

#include "app/app_messages.h"
#include "app/app_settings.h"
#include "app/image_encoders.h"
#include "app/main_window.h"
#include "app/settings_store.h"
#include "app/string_table.h"
#include "capture/capture_graph.h"
#include "panels/recent_files.h"
#include "view/camera_view.h"

#include <gdiplus.h>

LocalTime LocalTimeOf(const SYSTEMTIME& t) {
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

bool SavePhoto(const std::wstring& path) {
    if (!IsCaptureGraphOpen())
        return false;
    HBITMAP picture = ComposeContentPicture();
    if (!picture)
        return false;
    DIBSECTION section = {};
    bool saved = false;
    if (GetObjectW(picture, sizeof(section), &section) == sizeof(section) && section.dsBm.bmBits) {
        // The picture is a top-down 24-bit DIB: its rows are what GDI+ takes as they are.
        Gdiplus::Bitmap bitmap(section.dsBm.bmWidth, section.dsBm.bmHeight, section.dsBm.bmWidthBytes,
                               PixelFormat24bppRGB, static_cast<BYTE*>(section.dsBm.bmBits));
        ULONG quality = 100; // the PNG encoder ignores it
        Gdiplus::EncoderParameters parameters;
        parameters.Count = 1;
        parameters.Parameter[0].Guid = Gdiplus::EncoderQuality;
        parameters.Parameter[0].Type = Gdiplus::EncoderParameterValueTypeLong;
        parameters.Parameter[0].NumberOfValues = 1;
        parameters.Parameter[0].Value = &quality;
        const CLSID* encoder = IsJpegPhotoPath(path) ? &g_jpegEncoderClsid : &g_pngEncoderClsid;
        saved = bitmap.GetLastStatus() == Gdiplus::Ok &&
                bitmap.Save(path.c_str(), encoder, &parameters) == Gdiplus::Ok;
    }
    DeleteObject(picture);
    return saved;
}

void TakePhoto() {
    if (!IsCaptureGraphOpen())
        return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::wstring path = MakePhotoName(g_settings.saveFolder, LocalTimeOf(now), g_settings.photoFormat);
    if (path == g_lastSavedPath)
        return; // a second photo within the same second
    // A folder that is no full path would put the photo at the root of the current drive.
    const bool saved = IsUsableSaveFolder(g_settings.saveFolder) &&
                       EnsureDirectoryPath(g_settings.saveFolder) && SavePhoto(path);
    if (!saved) {
        // Not listed: there is no such file to show. The user is told where it failed.
        OutputDebugStringW((L"TakePhoto: could not save " + path + L"\r\n").c_str());
        const std::wstring text = GetText("photo not saved") + L"\n" + g_settings.saveFolder;
        wchar_t caption[128] = {};
        if (g_hMainWnd)
            GetWindowTextW(g_hMainWnd, caption, 128);
        MessageBoxW(g_hMainWnd, text.c_str(), caption, MB_OK | MB_ICONERROR);
        return;
    }
    g_lastSavedPath = path;
    AddRecentFile(path);
    SaveSettings();
    if (g_hControlPanel)
        PostMessageW(g_hControlPanel, UM_RECENT_FILE_ADDED, g_recentFiles.size() - 1, 0);
}
