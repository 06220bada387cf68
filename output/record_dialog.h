// The record-video dialog (template 2002): time limit, start, pause and resume, stop, and a clock
// of the recorded time.
#pragma once

#include "base/app_message_base.h"
#include "output/recent_files.h"

#include <windows.h>

inline constexpr UINT_PTR kRecordClockTimer = 88;

// Asks the dialog for a figure of the recording (wParam: RecordQuery), so that a recording can
// be measured from outside the process, as the test driver does.
inline constexpr UINT UM_RECORD_QUERY = kWmApp + 45;
enum RecordQuery : int {
    kRecordQueryOffered = 0,   // frames that came while recording and not paused
    kRecordQueryWritten = 1,   // frames in the file
    kRecordQueryDropped = 2,   // not queued: the queue was full
    kRecordQueryRefused = 3,   // the writer could not take them
    kRecordQueryDiscarded = 4, // still queued at the stop
    kRecordQueryWriter = 5,    // VideoWriterKind of the current or last recording
    kRecordQueryRecording = 6, // 1 while a recording runs
    kRecordQueryTenths = 7,    // recorded time in tenths of a second
};

INT_PTR CALLBACK RecordDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

// Runs the dialog modally over `owner` (the main window). Each file saved is added to `recent` and
// announced to `filesListener` (the control panel) when there is one.
void ShowRecordDialog(HWND owner, RecentFiles& recent, HWND filesListener);
