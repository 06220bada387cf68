#include "capture/format_map.h"

#include <cstdint>
#include <iterator>

bool IsOfferedCaptureSize(int width, int height) {
    if (width < 640 || height < 480)
        return false;
    const int64_t frameBytes = int64_t{width} * height * 3;
    return frameBytes <= INT32_MAX;
}

bool InsertFormat(FormatMap& map, const VideoFormat& format) {
    if (!IsOfferedCaptureSize(format.width, format.height))
        return false;
    return map.emplace(format.width * format.height, format).second;
}

void AddInterpolatedFormats(FormatMap& map, uint32_t subtype) {
    if (map.empty())
        return;
    const VideoFormat& largest = std::prev(map.end())->second;
    if (largest.width != 640 || largest.height != 480)
        return;
    map.emplace(kArea1280x960, VideoFormat{subtype, 1280, 960, 1});
    map.emplace(kArea1920x1080, VideoFormat{subtype, 1920, 1080, 1});
}

std::optional<VideoFormat> ChooseDefaultFormat(const FormatMap& mjpgFormats, const FormatMap& yuy2Formats) {
    const FormatMap& map = mjpgFormats.empty() ? yuy2Formats : mjpgFormats;
    if (map.empty())
        return std::nullopt;
    auto chosen = map.end();
    for (int32_t key : {kArea1920x1080, kArea1280x720, kArea640x480}) {
        chosen = map.find(key);
        if (chosen != map.end())
            break;
    }
    if (chosen == map.end())
        chosen = std::next(map.begin(), static_cast<std::ptrdiff_t>(map.size() / 2));
    return CameraFormatFor(chosen->second);
}

std::optional<VideoFormat> FindFormatBySize(const FormatMap& map, int width, int height) {
    for (const auto& [key, format] : map) {
        if (format.width == width && format.height == height)
            return format;
    }
    return std::nullopt;
}
