#include "output/video_encoding.h"

#include <algorithm>
#include <cmath>

double RecordingFrameRate(double measured) {
    if (std::isnan(measured))
        return 30.0;
    return std::clamp(measured, 5.0, 1000.0);
}

uint32_t FrameRateNumerator(double frameRate) {
    return static_cast<uint32_t>(std::lround(RecordingFrameRate(frameRate) * 1000.0));
}

uint32_t AverageBitRate(int width) {
    if (width >= 2048)
        return 10000000;
    if (width >= 1920)
        return 8000000;
    if (width >= 1280)
        return 4000000;
    return 2000000;
}

size_t QueueCapacity(size_t frameBytes, double frameRate, size_t maxBytes) {
    const size_t oneSecond = static_cast<size_t>(std::ceil(RecordingFrameRate(frameRate)));
    const size_t byBytes = frameBytes > 0 ? maxBytes / frameBytes : oneSecond;
    return std::max<size_t>(1, std::min(oneSecond, byBytes));
}
