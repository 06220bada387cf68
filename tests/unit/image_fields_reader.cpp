#include "tests/unit/image_fields_reader.h"

#include <cstring>

namespace {

uint32_t Be(const uint8_t* p, int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v = (v << 8) | p[i];
    return v;
}

} // namespace

uint32_t PngCrc(const uint8_t* data, size_t size) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        c ^= data[i];
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

ImageFields ReadPngFields(const std::vector<uint8_t>& png) {
    ImageFields f;
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.size() < 8 || std::memcmp(png.data(), signature, 8) != 0)
        return f;
    size_t pos = 8;
    while (png.size() - pos >= 12) {
        const uint32_t length = Be(&png[pos], 4);
        if (png.size() - pos - 12 < length)
            return f;
        if (PngCrc(&png[pos + 4], 4 + size_t{length}) != Be(&png[pos + 8 + length], 4))
            return f;
        const std::string type(reinterpret_cast<const char*>(&png[pos + 4]), 4);
        const uint8_t* data = &png[pos + 8];
        if (type == "pHYs" && length == 9) {
            f.x = Be(data, 4);
            f.y = Be(data + 4, 4);
            f.units = data[8];
            f.hasScale = f.units == 1;
        } else if (type == "tEXt" || type == "iTXt") {
            const std::string body(reinterpret_cast<const char*>(data), length);
            size_t at = body.find('\0') + 1; // after the keyword
            if (type == "iTXt") {
                at += 2;                      // compression flag and method
                at = body.find('\0', at) + 1; // language
                at = body.find('\0', at) + 1; // translated keyword
            }
            f.texts.push_back(at <= body.size() ? body.substr(at) : std::string());
        } else if (type == "IEND") {
            f.wellFormed = true;
            return f;
        }
        pos += 12 + size_t{length};
    }
    return f;
}

ImageFields ReadJpegFields(const std::vector<uint8_t>& jpeg) {
    ImageFields f;
    if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8)
        return f;
    size_t pos = 2;
    while (jpeg.size() - pos >= 4 && jpeg[pos] == 0xFF) {
        const uint8_t marker = jpeg[pos + 1];
        const size_t length = Be(&jpeg[pos + 2], 2);
        if (length < 2 || jpeg.size() - pos - 2 < length)
            return f;
        const uint8_t* data = &jpeg[pos + 4];
        if (marker == 0xE0 && length >= 16 && std::memcmp(data, "JFIF", 5) == 0) {
            f.units = data[7];
            f.x = Be(data + 8, 2);
            f.y = Be(data + 10, 2);
            f.hasScale = f.units == 1 || f.units == 2;
        } else if (marker == 0xFE) {
            f.texts.emplace_back(reinterpret_cast<const char*>(data), length - 2);
        } else if (marker == 0xDA) {
            f.wellFormed = true; // the picture data follows
            return f;
        }
        pos += 2 + length;
    }
    return f;
}
