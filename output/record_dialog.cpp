#include "output/record_dialog.h"

#include "base/gdi_holders.h"
#include "base/win32_window.h"
#include "base/app_settings.h"
#include "output/settings_store.h"
#include "base/string_table.h"
#include "capture/capture_graph.h"
#include "capture/frame_ring.h"
#include "output/photo.h"
#include "output/record_clock.h"
#include "output/video_recorder.h"
#include "output/video_preview_picture.h"
#include "output/output_messages.h"
#include "output/recent_files.h"
#include "resources/dialogs_record_ids.h"

#include <algorithm>
#include <string>

namespace {

struct RecordDialogState {
    HWND dialog = nullptr;
    HWND filesListener = nullptr;  // told of each file saved (UM_RECENT_FILE_ADDED)
    RecentFiles* recent = nullptr; // where each file saved is added; set before the dialog opens
    HFONT clockFont = nullptr;
    bool recording = false; // a recording this dialog started runs
    bool stopping = false;  // a stop waits for the file: commands wait too
    std::wstring path;
};

RecordDialogState* StateOf(HWND dialog) {
    return DialogRecord<RecordDialogState>(dialog);
}

// Why a recording could not start, in a few words.
std::string_view StartErrorKey(RecordStartError error) {
    switch (error) {
        case RecordStartError::NoCamera:
            return "rec no camera";
        case RecordStartError::Busy:
            return "rec busy";
        case RecordStartError::CannotCreateFile:
            return "rec no file";
        case RecordStartError::NoEncoder:
            return "rec no encoder";
        default:
            return "rec not started";
    }
}

void SetText(HWND dialog, int id, std::string_view key) {
    SetDlgItemTextW(dialog, id, GetText(key).c_str());
}

void SetStatus(RecordDialogState* s, const wchar_t* text) {
    SetDlgItemTextW(s->dialog, IDC_REC_STATUS, text);
}

void ShowClock(RecordDialogState* s, int64_t tenths) {
    SetDlgItemTextW(s->dialog, IDC_REC_CLOCK, ClockText(tenths).c_str());
}

// "Segoe UI Light" as large as the clock's height takes "0.0".
HFONT MakeClockFont(HWND clock) {
    RECT rc = {};
    GetClientRect(clock, &rc);
    const int height = rc.bottom - rc.top;
    const WindowDc dc(clock);
    const int dpi = GetDeviceCaps(dc.get(), LOGPIXELSY);
    for (int points = std::max(height - 10, 6); points >= 6; --points) {
        GdiFont candidate(CreateFontW(-MulDiv(points, dpi, 72), 0, 0, 0, FW_LIGHT, FALSE, FALSE, FALSE,
                                      DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                      CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Segoe UI"));
        if (!candidate)
            break;
        SIZE size = {};
        {
            const SelectedObject selected(dc.get(), candidate.get());
            GetTextExtentPoint32W(dc.get(), L"0.0", 3, &size);
        }
        if (size.cy <= height || points == 6)
            return candidate.Release();
    }
    return nullptr;
}

void FillLimitList(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_REC_LIMIT);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const TimeLimit& limit : kTimeLimits)
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(GetText(limit.key).c_str()));
    SendMessageW(list, CB_SETCURSEL, TimeLimitIndex(g_settings.maxRecordSeconds), 0);
}

int SelectedLimitSeconds(HWND dialog) {
    return TimeLimitSeconds(static_cast<int>(SendDlgItemMessageW(dialog, IDC_REC_LIMIT, CB_GETCURSEL, 0, 0)));
}

// Back to the ready state: "Start", no pause, no clock running.
void ShowReady(RecordDialogState* s) {
    s->recording = false;
    KillTimer(s->dialog, kRecordClockTimer);
    SetText(s->dialog, IDOK, "start rec");
    SetText(s->dialog, IDC_REC_PAUSE, "pause rec");
    EnableWindow(GetDlgItem(s->dialog, IDC_REC_PAUSE), FALSE);
}

void AnnounceFile(const RecordDialogState* s, const std::wstring& path) {
    s->recent->lastSavedPath = path;
    {
        // The Files section previews a video through a picture beside it: the frame it ended on.
        HeldFrame frame;
        if (frame)
            SaveVideoPreviewPicture(path, frame->pixels.get(), frame->width, frame->height);
    }
    AddRecentFile(*s->recent, path);
    SetLatestFiles(*s->recent);
    SaveSettings();
    if (s->filesListener)
        PostMessageW(s->filesListener, UM_RECENT_FILE_ADDED, s->recent->paths.size() - 1, 0);
}

void OnStart(RecordDialogState* s) {
    g_settings.maxRecordSeconds = SelectedLimitSeconds(s->dialog);
    SaveSettings(); // also makes sure the save folder exists
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::wstring path = MakeVideoName(g_settings.saveFolder, LocalTimeOf(now));
    // A folder that is no full path would put the video at the root of the current drive.
    const RecordStartError error = !IsCaptureGraphOpen() ? RecordStartError::NoCamera
                                   : !IsUsableSaveFolder(g_settings.saveFolder)
                                       ? RecordStartError::CannotCreateFile
                                       : StartRecording(path);
    if (error != RecordStartError::None) {
        // Still "Start": pressing it again tries anew with a new name.
        SetStatus(s, GetText(StartErrorKey(error)).c_str());
        return;
    }
    s->recording = true;
    s->path = path;
    SetStatus(s, L"");
    ShowClock(s, 0);
    SetTimer(s->dialog, kRecordClockTimer, 100, nullptr);
    SetText(s->dialog, IDOK, "stop rec");
    SetText(s->dialog, IDC_REC_PAUSE, "pause rec");
    EnableWindow(GetDlgItem(s->dialog, IDC_REC_PAUSE), TRUE);
}

// Stop (button, Escape, close box or time limit): the file is completed, listed and the dialog
// ends. A file that could not be completed is not announced: the dialog stays and says so.
void OnFinish(RecordDialogState* s) {
    s->stopping = true;
    KillTimer(s->dialog, kRecordClockTimer);
    const RecordingEnd end = StopRecording(); // messages keep flowing while the file is completed
    s->stopping = false;
    s->recording = false;
    if (end == RecordingEnd::Complete) {
        AnnounceFile(s, s->path);
        if (IsWindow(s->dialog))
            EndDialog(s->dialog, 1);
        return;
    }
    if (!IsWindow(s->dialog))
        return;
    ShowReady(s);
    SetStatus(s, GetText(end == RecordingEnd::Empty ? "rec no frame" : "rec incomplete").c_str());
}

// The recording ended without the dialog: the camera was closed or unplugged, or the file could
// not be written. The file holds what came before and is listed; the dialog is ready for a new
// start.
void OnEndedByItself(RecordDialogState* s, bool writeFailed) {
    s->stopping = true;
    const RecordingEnd end = StopRecording();
    s->stopping = false;
    ShowReady(s);
    if (end == RecordingEnd::Complete)
        AnnounceFile(s, s->path);
    if (end == RecordingEnd::Incomplete)
        SetStatus(s, GetText("rec incomplete").c_str());
    else
        SetStatus(s, GetText(writeFailed ? "rec write fail" : "rec cam closed").c_str());
}

void OnClockTick(RecordDialogState* s) {
    if (!s->recording || s->stopping)
        return;
    const bool writeFailed = RecordingFailed();
    if (writeFailed || !IsCaptureGraphOpen() || !IsRecording()) {
        OnEndedByItself(s, writeFailed);
        return;
    }
    const int64_t tenths = RecordedTenths();
    if (TimeLimitReached(tenths, g_settings.maxRecordSeconds))
        PostMessageW(s->dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    ShowClock(s, tenths);
}

void OnPauseButton(RecordDialogState* s) {
    if (!s->recording || s->stopping)
        return;
    if (IsRecordingPaused()) {
        ResumeRecording();
        SetText(s->dialog, IDC_REC_PAUSE, "pause rec");
    } else {
        PauseRecording();
        SetText(s->dialog, IDC_REC_PAUSE, "resume rec");
    }
}

void OnInitDialog(HWND dialog, RecordDialogState* s) {
    s->dialog = dialog;
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(s));
    SetWindowTextW(dialog, GetText("rec video").c_str());
    SetText(dialog, IDC_REC_LIMIT_LABEL, "time lim");
    PlaceDialogOver(dialog, GetParent(dialog));
    s->clockFont = MakeClockFont(GetDlgItem(dialog, IDC_REC_CLOCK));
    if (s->clockFont)
        SendDlgItemMessageW(dialog, IDC_REC_CLOCK, WM_SETFONT, reinterpret_cast<WPARAM>(s->clockFont), TRUE);
    FillLimitList(dialog);
    ShowReady(s);
}

void OnDestroy(RecordDialogState* s) {
    // The owner is going away (the program closes) during a recording: keep the file.
    if (s->recording && !s->stopping) {
        s->recording = false;
        if (StopRecordingQuietly() == RecordingEnd::Complete)
            AnnounceFile(s, s->path);
    }
    KillTimer(s->dialog, kRecordClockTimer);
    if (s->clockFont) {
        DeleteObject(s->clockFont);
        s->clockFont = nullptr;
    }
    s->dialog = nullptr;
}

LRESULT Query(WPARAM which) {
    const RecorderFigures f = CurrentRecorderFigures();
    switch (which) {
        case kRecordQueryOffered:
            return static_cast<LRESULT>(f.offered);
        case kRecordQueryWritten:
            return static_cast<LRESULT>(f.written);
        case kRecordQueryDropped:
            return static_cast<LRESULT>(f.dropped);
        case kRecordQueryRefused:
            return static_cast<LRESULT>(f.refused);
        case kRecordQueryDiscarded:
            return static_cast<LRESULT>(f.discarded);
        case kRecordQueryWriter:
            return static_cast<LRESULT>(CurrentVideoWriter());
        case kRecordQueryRecording:
            return IsRecording() ? 1 : 0;
        case kRecordQueryTenths:
            return static_cast<LRESULT>(RecordedTenths());
        default:
            return -1;
    }
}

} // namespace

INT_PTR CALLBACK RecordDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        OnInitDialog(dialog, reinterpret_cast<RecordDialogState*>(lParam));
        return TRUE;
    }
    RecordDialogState* s = StateOf(dialog);
    if (!s)
        return FALSE;
    switch (msg) {
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_REC_LIMIT:
                    if (HIWORD(wParam) == CBN_SELCHANGE)
                        g_settings.maxRecordSeconds = SelectedLimitSeconds(dialog);
                    return TRUE;
                case IDOK:
                    if (s->stopping)
                        return TRUE;
                    if (s->recording)
                        OnFinish(s);
                    else
                        OnStart(s);
                    return TRUE;
                case IDCANCEL:
                    if (s->stopping)
                        return TRUE;
                    if (s->recording)
                        OnFinish(s);
                    else
                        EndDialog(dialog, 2);
                    return TRUE;
                case IDC_REC_PAUSE:
                    OnPauseButton(s);
                    return TRUE;
                default:
                    return FALSE;
            }
        case WM_TIMER:
            OnClockTick(s);
            return TRUE;
        case WM_DESTROY:
            OnDestroy(s);
            SetWindowLongPtrW(dialog, DWLP_USER, 0);
            return TRUE;
        case UM_RECORD_QUERY:
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, Query(wParam));
            return TRUE;
        default:
            return FALSE;
    }
}

void ShowRecordDialog(HWND owner, RecentFiles& recent, HWND filesListener) {
    // The dialog's record lives here, so that it outlives the window however the window ends.
    RecordDialogState state;
    state.filesListener = filesListener;
    state.recent = &recent;
    DialogBoxParamW(ProgramInstance(), MAKEINTRESOURCEW(IDD_RECORD), owner, RecordDialogProc,
                    reinterpret_cast<LPARAM>(&state));
}
