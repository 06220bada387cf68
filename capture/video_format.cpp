#include "capture/video_format.h"

VideoFormat g_requestedFormat;

VideoFormat FormatFromSettings(int useMjpg, int width, int height, int interpolated) {
    VideoFormat format;
    format.subtype = useMjpg == 1 ? kFourccMjpg : kFourccYuy2;
    format.width = width;
    format.height = height;
    format.interpolated = interpolated;
    return format;
}
