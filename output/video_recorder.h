// The video recorder: the camera's filtered frames, as the capture code hands them over, written
// to an MP4 file by a worker thread. H.264 through Media Foundation where it can be set up,
// otherwise Motion-JPEG through the program's own writer, under the same file name.
// User-interface thread only, apart from the hand-off.
#pragma once

#include "output/frame_recorder.h"
#include "output/frame_sinks.h"

#include <cstdint>
#include <string>

enum class RecordStartError {
    None,
    NoCamera,         // no camera open, or no frame size known
    Busy,             // a recording is still running or finishing
    CannotCreateFile, // the folder is missing or read-only, the name is taken by a folder, ...
    NoEncoder,        // neither writer can encode frames here
    NoThread,         // the worker thread could not be started
};

// Sets up the writer for path with the open camera's frame size and measured frame rate (5 or
// less taken as 5) and starts taking frames. On failure nothing runs and nothing changed.
RecordStartError StartRecording(const std::wstring& path);

// How a stopped recording's file stands.
enum class RecordingEnd {
    NotRunning, // no recording ran, or another call is completing it
    Complete,   // a playable file with frames: list it
    Empty,      // no frame reached the file: the file (and its picture) are deleted
    Incomplete, // frames were written but the file could not be completed: it stays on disk
};

// Stops taking frames, discards what is still queued and waits until the file is complete,
// dispatching this thread's messages meanwhile. NotRunning when no recording runs; a call made
// while a stop already waits returns at once (the waiting one completes it).
RecordingEnd StopRecording();

// The same without dispatching messages, for a window being destroyed. Gives up waiting after
// timeoutMs; the file then stays as far as it was written (Incomplete).
RecordingEnd StopRecordingQuietly(unsigned timeoutMs = 15000);

void PauseRecording();
void ResumeRecording();
bool IsRecordingPaused();

// A recording runs (taking frames, paused or not).
bool IsRecording();
// The writer failed (disk full) and the recording ended by itself; StopRecording makes it idle.
bool RecordingFailed();

// The last recording that ended was written and completed without a fault (false when the writer
// failed or could not complete the file, or before any recording ended).
bool LastRecordingComplete();

// Recorded time in tenths of a second as of the newest frame in the file; 0 before the first.
int64_t RecordedTenths();

// Figures of the current or last recording, and which writer it uses.
RecorderFigures CurrentRecorderFigures();
VideoWriterKind CurrentVideoWriter();

// The hand-off the capture code calls on its streaming thread with every published frame.
void OfferRecorderFrame(const uint8_t* frame, size_t length);
