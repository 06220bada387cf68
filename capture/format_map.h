// The capture formats a camera offers, by frame area, and the default choice among them.
#pragma once

#include "capture/video_format.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>

// Key: width * height. Ascending order; the first format seen for an area keeps its place.
using FormatMap = std::map<int32_t, VideoFormat>;

inline constexpr int32_t kArea640x480 = 640 * 480;
inline constexpr int32_t kArea1280x720 = 1280 * 720;
inline constexpr int32_t kArea1280x960 = 1280 * 960;
inline constexpr int32_t kArea1920x1080 = 1920 * 1080;

// Whether a size a camera reports is offered: at least 640x480, and small enough that a frame of
// it (3 bytes a pixel) has a length the platform can state. Negative sizes are not offered.
bool IsOfferedCaptureSize(int width, int height);

// Inserts the format under its area unless that area is present already. Returns whether it was
// inserted. Sizes that are not offered are left out.
bool InsertFormat(FormatMap& map, const VideoFormat& format);

// A map whose largest format is exactly 640x480 also gets 1280x960 and 1920x1080, interpolated.
void AddInterpolatedFormats(FormatMap& map, uint32_t subtype);

// The default format: from the MJPG map if it has any, else the YUY2 map; 1920x1080, else
// 1280x720, else 640x480, else the middle entry (index size / 2). An interpolated choice comes
// back with the camera's 640x480 size and interpolated 1. Nothing when both maps are empty.
std::optional<VideoFormat> ChooseDefaultFormat(const FormatMap& mjpgFormats, const FormatMap& yuy2Formats);

// The format of the map whose width and height equal the given ones, if any.
std::optional<VideoFormat> FindFormatBySize(const FormatMap& map, int width, int height);

// The two kinds of video format block a camera's media type carries, with their sizes and where
// the frame width and height (two little-endian 32-bit numbers) sit in them.
enum class FormatBlockKind { VideoInfo, VideoInfo2 };
inline constexpr size_t kVideoInfoBytes = 88;
inline constexpr size_t kVideoInfoSizeOffset = 52;
inline constexpr size_t kVideoInfo2Bytes = 112;
inline constexpr size_t kVideoInfo2SizeOffset = 76;

// The capture format of a format block of `size` bytes: nothing when the block is missing or
// smaller than its kind. The size is taken as the camera states it; InsertFormat judges it.
std::optional<VideoFormat> FormatOfBlock(uint32_t subtype, FormatBlockKind kind, const uint8_t* block,
                                         size_t size);
