// A capture format: subtype, frame size and whether the size is interpolated by the camera.
#pragma once

#include <cstdint>

// Subtypes as FOURCC codes; the platform's media subtype GUID is built from the FOURCC.
inline constexpr uint32_t kFourccMjpg = 0x47504A4D; // 'MJPG'
inline constexpr uint32_t kFourccYuy2 = 0x32595559; // 'YUY2'

struct VideoFormat {
    uint32_t subtype = kFourccMjpg;
    int width = 640;
    int height = 480;
    int interpolated = 0;
};

// The format the camera is to be opened with; start-up sets it from the settings.
extern VideoFormat g_requestedFormat;

// The requested format as the settings describe it: MJPG only when useMjpg is exactly 1.
// A width or height of 0 means no size was chosen yet.
VideoFormat FormatFromSettings(int useMjpg, int width, int height, int interpolated);
