#include "output/media_foundation_api.h"

#include <mfapi.h>

MediaFoundationApi g_mediaFoundation;

namespace {

// MF_VERSION of the SDK the program was written against (MF_SDK_VERSION 2, MF_API_VERSION 0x70).
constexpr ULONG kMediaFoundationVersion = 0x00020070;

using StartupFn = HRESULT(WINAPI*)(ULONG, DWORD);
using ShutdownFn = HRESULT(WINAPI*)();
ShutdownFn s_shutdown = nullptr;

template <typename Fn> bool Resolve(HMODULE module, const char* name, Fn* fn) {
    *fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return *fn != nullptr;
}

HRESULT LastError() {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

} // namespace

HRESULT StartMediaFoundation() {
    // Only the system's own copies: never a DLL of that name beside the program or in the
    // current folder.
    HMODULE plat = LoadLibraryExW(L"mfplat.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!plat)
        return LastError();
    HMODULE readWrite = LoadLibraryExW(L"mfreadwrite.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!readWrite)
        return LastError();

    MediaFoundationApi api;
    StartupFn startup = nullptr;
    ShutdownFn shutdown = nullptr;
    const bool complete = Resolve(plat, "MFStartup", &startup) && Resolve(plat, "MFShutdown", &shutdown) &&
                          Resolve(plat, "MFCreateAttributes", &api.createAttributes) &&
                          Resolve(plat, "MFCreateMediaType", &api.createMediaType) &&
                          Resolve(plat, "MFCreateMemoryBuffer", &api.createMemoryBuffer) &&
                          Resolve(plat, "MFCreateSample", &api.createSample) &&
                          Resolve(readWrite, "MFCreateSinkWriterFromURL", &api.createSinkWriterFromURL);
    if (!complete)
        return LastError();
    const HRESULT hr = startup(kMediaFoundationVersion, MFSTARTUP_FULL);
    if (FAILED(hr))
        return hr;
    // The libraries stay loaded for the life of the process.
    api.started = true;
    s_shutdown = shutdown;
    g_mediaFoundation = api;
    return hr;
}

void StopMediaFoundation() {
    if (!g_mediaFoundation.started || !s_shutdown)
        return;
    g_mediaFoundation.started = false;
    s_shutdown();
}
