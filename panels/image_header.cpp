#include "panels/image_header.h"

#include <cstring>

namespace {

uint32_t Big16(const uint8_t* p) {
    return (uint32_t{p[0]} << 8) | p[1];
}
uint32_t Big32(const uint8_t* p) {
    return (Big16(p) << 16) | Big16(p + 2);
}
uint32_t Little16(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8);
}
uint32_t Little32(const uint8_t* p) {
    return Little16(p) | (Little16(p + 2) << 16);
}

ImageHeaderSize Known(int64_t width, int64_t height) {
    if (width <= 0 || height <= 0)
        return {};
    return {true, width, height};
}

ImageHeaderSize ReadPng(const uint8_t* data, size_t size) {
    // Signature, then the IHDR chunk: length, type, width, height.
    if (size < 24 || std::memcmp(data + 12, "IHDR", 4) != 0)
        return {};
    return Known(Big32(data + 16), Big32(data + 20));
}

ImageHeaderSize ReadGif(const uint8_t* data, size_t size) {
    if (size < 10)
        return {};
    return Known(Little16(data + 6), Little16(data + 8));
}

ImageHeaderSize ReadBmp(const uint8_t* data, size_t size) {
    if (size < 18)
        return {};
    const uint32_t infoSize = Little32(data + 14);
    if (infoSize == 12) { // the old core header: 16-bit sizes
        if (size < 22)
            return {};
        return Known(Little16(data + 18), Little16(data + 20));
    }
    if (size < 26)
        return {};
    const int64_t width = static_cast<int32_t>(Little32(data + 18));
    const int64_t height = static_cast<int32_t>(Little32(data + 22));
    return Known(width, height < 0 ? -height : height); // negative: rows stored top-down
}

bool IsFrameHeader(uint8_t marker) {
    // SOF0..SOF15 without DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

ImageHeaderSize ReadJpeg(const uint8_t* data, size_t size) {
    size_t pos = 2;
    for (;;) {
        if (pos >= size || data[pos] != 0xFF)
            return {};
        while (pos < size && data[pos] == 0xFF) // fill bytes
            ++pos;
        if (pos >= size)
            return {};
        const uint8_t marker = data[pos++];
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // no length follows
        if (marker == 0xD9 || marker == 0xDA || marker == 0x00)
            return {}; // image data or the end before any frame header
        if (size - pos < 2)
            return {};
        const size_t length = Big16(data + pos);
        if (length < 2)
            return {};
        if (IsFrameHeader(marker)) {
            // Length, precision, height, width.
            if (length < 7 || size - pos < 7)
                return {};
            return Known(Big16(data + pos + 5), Big16(data + pos + 3));
        }
        pos += length;
    }
}

} // namespace

ImageHeaderSize ReadImageHeaderSize(const uint8_t* data, size_t size) {
    if (!data)
        return {};
    static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (size >= 8 && std::memcmp(data, kPng, 8) == 0)
        return ReadPng(data, size);
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
        return ReadJpeg(data, size);
    if (size >= 6 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0))
        return ReadGif(data, size);
    if (size >= 2 && data[0] == 'B' && data[1] == 'M')
        return ReadBmp(data, size);
    return {};
}
