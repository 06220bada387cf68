#include "capture/format_map.h"

#include <cstdint>
#include <iterator>

bool IsOfferedCaptureSize(int width, int height) {
    if (width < 640 || height < 480)
        return false;
    // The area fits 64 bits for any two int sizes; three times it may not, so compare the area.
    return int64_t{width} * height <= INT32_MAX / 3;
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

std::optional<VideoFormat> FormatOfBlock(uint32_t subtype, FormatBlockKind kind, const uint8_t* block,
                                         size_t size) {
    const bool info2 = kind == FormatBlockKind::VideoInfo2;
    if (!block || size < (info2 ? kVideoInfo2Bytes : kVideoInfoBytes))
        return std::nullopt;
    const uint8_t* at = block + (info2 ? kVideoInfo2SizeOffset : kVideoInfoSizeOffset);
    auto int32At = [](const uint8_t* p) {
        return static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 |
                                    uint32_t{p[3]} << 24);
    };
    return VideoFormat{subtype, int32At(at), int32At(at + 4), 0};
}
