// The USB video cameras the program can open, kept in enumeration order across refreshes so that
// an index stays meaningful for the devices that remain.
#pragma once

#include "capture/format_map.h"

#include <dshow.h>
#include <wrl/client.h>

#include <string>
#include <vector>

struct CaptureDeviceInfo {
    Microsoft::WRL::ComPtr<IMoniker> moniker;
    Microsoft::WRL::ComPtr<IBaseFilter> filter; // null until a caller binds it (BindDeviceFilter)
    std::wstring devicePath;                    // the moniker's display name
    std::wstring friendlyName;
    bool hasUsbIds = false; // true for every listed entry
    FormatMap yuy2Formats; // empty until filled on demand (EnumerateFormats)
    FormatMap mjpgFormats;
    bool stale = false; // work flag of a refresh: not seen yet in the current pass
};

// Enumerates the video-input category: keeps the entries still attached (with their filters and
// formats), appends new ones at the end and removes those that have gone. g_capture.currentDevice follows
// its entry when entries in front of it go, and becomes -1 when its own entry goes.
void RefreshDeviceList();

// Releases every entry's references and empties the list.
void ClearDeviceList();

// Whether an entry's moniker equals this one; that entry is then marked as seen.
bool FindDeviceByMoniker(IMoniker* moniker);

// Binds the entry's capture filter from its moniker when it has none. Returns the bind's result
// (S_OK when a filter was there already); on failure the filter stays null.
HRESULT BindDeviceFilter(CaptureDeviceInfo& device);
