#include "output/photo.h"

#include "output/output_messages.h"
#include "base/app_settings.h"
#include "output/image_encoders.h"
#include "output/settings_store.h"
#include "base/string_table.h"
#include "capture/capture_graph.h"
#include "measure/calibration.h"
#include "output/photo_metadata.h"
#include "view/picture_copy.h"
#include "output/recent_files.h"
#include "view/camera_view.h"

#include <gdiplus.h>
#include <wrl/client.h>

#include <cstdint>
#include <vector>

LocalTime LocalTimeOf(const SYSTEMTIME& t) {
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

namespace {

// The encoder's output in memory, so that the scale goes into it before anything reaches the disk.
bool EncodeToMemory(Gdiplus::Bitmap& bitmap, const CLSID* encoder,
                    const Gdiplus::EncoderParameters* parameters, std::vector<uint8_t>& bytes) {
    Microsoft::WRL::ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) ||
        bitmap.Save(stream.Get(), encoder, parameters) != Gdiplus::Ok)
        return false;
    STATSTG stat = {};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart == 0 ||
        stat.cbSize.QuadPart > 0x7FFFFFFF)
        return false;
    try {
        bytes.resize(static_cast<size_t>(stat.cbSize.QuadPart));
    } catch (const std::bad_alloc&) {
        return false;
    }
    const LARGE_INTEGER start = {};
    ULONG read = 0;
    return SUCCEEDED(stream->Seek(start, STREAM_SEEK_SET, nullptr)) &&
           SUCCEEDED(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read)) &&
           read == bytes.size();
}

// The calibration in use, when there is one, into the encoded photo.
void AddScale(HWND view, std::vector<uint8_t>& bytes, bool jpeg) {
    const CameraViewState* v = CameraViewStateOf(view);
    const float scale = ContentPictureScale(view);
    if (!v || !(scale > 0.0f))
        return;
    const std::wstring name =
        g_calibration.active >= 0 && g_calibration.active < static_cast<int>(kCalibrationSlots)
            ? g_calibration.slots[static_cast<size_t>(g_calibration.active)].name
            : std::wstring();
    const std::string note = PhotoScaleNote(name, v->unitText, scale, ShownMeasurementTable(view));
    // Bytes the writer does not recognise are saved as the encoder made them.
    if (jpeg)
        AddJpegScale(bytes, JfifDensityOf(scale, v->unitIndex), note);
    else
        AddPngScale(bytes, PixelsPerMetre(scale, v->unitIndex), note);
}

// Writes the whole file or, failing, removes what was written of it.
bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    const bool closed = CloseHandle(file) != 0;
    if (ok && closed)
        return true;
    DeleteFileW(path.c_str());
    return false;
}

} // namespace

bool SavePhoto(HWND view, const std::wstring& path) {
    if (!IsCaptureGraphOpen())
        return false;
    HBITMAP picture = ComposeContentPicture(view);
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
        const bool jpeg = IsJpegPhotoPath(path);
        std::vector<uint8_t> bytes;
        if (bitmap.GetLastStatus() == Gdiplus::Ok &&
            EncodeToMemory(bitmap, jpeg ? &g_jpegEncoderClsid : &g_pngEncoderClsid, &parameters, bytes)) {
            AddScale(view, bytes, jpeg);
            saved = WriteWholeFile(path, bytes);
        }
    }
    DeleteObject(picture);
    return saved;
}

void TakePhoto(HWND owner, HWND view, RecentFiles& recent, HWND filesListener) {
    if (!IsCaptureGraphOpen())
        return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::wstring path = MakePhotoName(g_settings.saveFolder, LocalTimeOf(now), g_settings.photoFormat);
    if (path == recent.lastSavedPath)
        return; // a second photo within the same second
    // A folder that is no full path would put the photo at the root of the current drive.
    const bool saved = IsUsableSaveFolder(g_settings.saveFolder) &&
                       EnsureDirectoryPath(g_settings.saveFolder) && SavePhoto(view, path);
    if (!saved) {
        // Not listed: there is no such file to show. The user is told where it failed.
        OutputDebugStringW((L"TakePhoto: could not save " + path + L"\r\n").c_str());
        const std::wstring text = GetText("photo not saved") + L"\n" + g_settings.saveFolder;
        wchar_t caption[128] = {};
        if (owner)
            GetWindowTextW(owner, caption, 128);
        MessageBoxW(owner, text.c_str(), caption, MB_OK | MB_ICONERROR);
        return;
    }
    recent.lastSavedPath = path;
    AddRecentFile(recent, path);
    SetLatestFiles(recent);
    SaveSettings();
    if (filesListener)
        PostMessageW(filesListener, UM_RECENT_FILE_ADDED, recent.paths.size() - 1, 0);
}
