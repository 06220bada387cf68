// A capture format: subtype, frame size and whether the size is interpolated by the camera.
#pragma once

#include <cstdint>

// Subtypes as FOURCC codes; the platform's media subtype GUID is built from the FOURCC.
inline constexpr uint32_t kFourccMjpg = 0x47504A4D; // 'MJPG'
inline constexpr uint32_t kFourccYuy2 = 0x32595559; // 'YUY2'

// The size a camera whose largest format is 640x480 actually runs at for an interpolated format.
inline constexpr int kInterpolatedSourceWidth = 640;
inline constexpr int kInterpolatedSourceHeight = 480;

struct VideoFormat {
    uint32_t subtype = kFourccMjpg;
    int width = 640;
    int height = 480;
    int interpolated = 0;

    bool operator==(const VideoFormat&) const = default;
};

// The requested format as the settings describe it: MJPG only when useMjpg is exactly 1.
// A width or height of 0 means no size was chosen yet.
VideoFormat FormatFromSettings(int useMjpg, int width, int height, int interpolated);

// A subtype other than MJPG or YUY2 becomes MJPG; the rest is kept.
VideoFormat WithKnownSubtype(VideoFormat format);

// What the camera itself is asked for: an interpolated format runs the camera at 640x480.
VideoFormat CameraFormatFor(const VideoFormat& requested);
