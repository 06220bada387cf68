// Media Foundation, loaded when the program starts instead of imported: Windows N editions come
// without it, and the loader refuses to start a program that imports a missing DLL. Without the
// DLLs the program records with its own writer, as it does when MFStartup fails.
#pragma once

#include <windows.h>

#include <mfidl.h>
#include <mfreadwrite.h>

// The few Media Foundation calls the recorder makes. The sink writer's entry point is here too, so
// that a test can hand the recorder a writer of its own.
struct MediaFoundationApi {
    HRESULT(WINAPI* createAttributes)(IMFAttributes** attributes, UINT32 initialSize) = nullptr;
    HRESULT(WINAPI* createMediaType)(IMFMediaType** type) = nullptr;
    HRESULT(WINAPI* createMemoryBuffer)(DWORD maxLength, IMFMediaBuffer** buffer) = nullptr;
    HRESULT(WINAPI* createSample)(IMFSample** sample) = nullptr;
    HRESULT(WINAPI* createSinkWriterFromURL)
    (LPCWSTR url, IMFByteStream* stream, IMFAttributes* attributes, IMFSinkWriter** writer) = nullptr;
    bool started = false; // MFStartup succeeded and every call above is there
};

// Loaded once for the process: the functions are the platform's, not any window's.
extern MediaFoundationApi g_mediaFoundation;

// Loads mfplat.dll and mfreadwrite.dll from the system folder and starts Media Foundation. A
// missing DLL or entry point fails like MFStartup does (with the loader's error); g_mediaFoundation
// is then left not started. UI thread, once, before any recording.
HRESULT StartMediaFoundation();
// Shuts Media Foundation down after a successful start.
void StopMediaFoundation();
