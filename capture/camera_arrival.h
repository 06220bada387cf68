// Cameras coming and going: the device notifications of a window, and opening the newest camera
// or closing the open one when it has gone. The window that shows the camera is told through the
// hooks it hands in, since it sits above capture.
#pragma once

#include <windows.h>

// The window's registration for camera arrivals and removals (WM_DEVICECHANGE).
class CameraNotification {
public:
    CameraNotification() = default;
    ~CameraNotification() { Stop(); }
    CameraNotification(const CameraNotification&) = delete;
    CameraNotification& operator=(const CameraNotification&) = delete;

    void Start(HWND window); // nothing where the platform lacks device notifications
    void Stop();

private:
    HDEVNOTIFY handle_ = nullptr;
};

enum class CameraChange { kNone, kArrived, kRemoved };

// What a WM_DEVICECHANGE says about video-capture devices.
CameraChange CameraChangeOf(WPARAM event, LPARAM lParam);

// What the showing window does around an open or a close. `context` is handed back.
struct CameraShownHooks {
    void* context = nullptr;
    void (*release)(void* context) = nullptr; // before a camera is closed or replaced, after a failed open
    void (*opened)(void* context) = nullptr;  // a camera runs with its format
};

// Opens the newest attached camera unless one is open; call after refreshing the device list. A
// camera that will not run is released again, so the window goes back to its no-camera screen.
// Returns whether it tried.
bool OpenNewestCamera(const CameraShownHooks& hooks);

// Closes the open camera when the refreshed device list no longer has it. Returns whether it did.
bool CloseCameraIfGone(const CameraShownHooks& hooks);
