// The Open-microscope dialog (template 132): every attached camera with its resolutions and
// formats; OK opens the chosen camera at the chosen format and saves it as the format to use.
// Also the one way the panel opens a device at a format, shared with the Device section.
#pragma once

#include "capture/video_format.h"

#include <windows.h>

#include <cstdint>

// What the dialog starts from, and where it stands while it runs.
struct OpenDeviceRequest {
    int device = -1;      // index in the device list; outside the list means the first device
    uint32_t subtype = 0; // 0 when no camera is open
    int width = 0;        // picture size to preselect; 0 x 0 takes the running or the saved one
    int height = 0;
    int formatItem = 0;     // the dialog's current format item
    int resolutionItem = 0; // and resolution item
    int listedDevice = -1;  // the device item selected in the list
};

INT_PTR CALLBACK OpenDeviceDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

// Runs the dialog modally; IDOK or IDCANCEL.
INT_PTR RunOpenDeviceDialog(HWND owner, const OpenDeviceRequest& request);

// Closes the open camera and opens device `index` of the device list with `request`, shown in the
// camera view `view`, as the Device section and the dialog (over the main window) do it. Nothing happens
// (false) for an index outside the list or a device whose capture filter is not bound. When the camera does
// not run at the end, the view goes back to its no-camera screen (false).
bool OpenDeviceAtFormat(HWND view, int index, const VideoFormat& request);
