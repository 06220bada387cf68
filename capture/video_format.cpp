#include "capture/video_format.h"

VideoFormat FormatFromSettings(int useMjpg, int width, int height, int interpolated) {
    VideoFormat format;
    format.subtype = useMjpg == 1 ? kFourccMjpg : kFourccYuy2;
    format.width = width;
    format.height = height;
    format.interpolated = interpolated;
    return format;
}

VideoFormat WithKnownSubtype(VideoFormat format) {
    if (format.subtype != kFourccMjpg && format.subtype != kFourccYuy2)
        format.subtype = kFourccMjpg;
    return format;
}

VideoFormat CameraFormatFor(const VideoFormat& requested) {
    VideoFormat format = requested;
    if (format.interpolated == 1) {
        format.width = kInterpolatedSourceWidth;
        format.height = kInterpolatedSourceHeight;
    }
    return format;
}
