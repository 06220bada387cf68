#include "capture/frame_filters.h"
#include "capture/frame_filters_paths.h"

#include <algorithm>

FilterFlags g_filterFlags;

namespace frame_filters_detail {

void ReversePixels(uint8_t* first, size_t count) {
    if (count < 2) {
        return;
    }
    uint8_t* left = first;
    uint8_t* right = first + (count - 1) * 3;
    while (left < right) {
        std::swap_ranges(left, left + 3, right);
        left += 3;
        right -= 3;
    }
}

void GrayPixels(uint8_t* first, size_t count) {
    for (uint8_t* p = first; p != first + count * 3; p += 3) {
        const uint8_t y = Luma(p[0], p[1], p[2]);
        p[0] = p[1] = p[2] = y;
    }
}

void BinaryPixels(uint8_t* first, size_t count) {
    for (uint8_t* p = first; p != first + count * 3; p += 3) {
        const uint8_t y = Luma(p[0], p[1], p[2]) < 128 ? 0 : 255;
        p[0] = p[1] = p[2] = y;
    }
}

void InvertBytes(uint8_t* first, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        first[i] = static_cast<uint8_t>(255 - first[i]);
    }
}

void EmbossBytes(uint8_t* first, size_t count, size_t stride) {
    for (size_t i = 0; i < count; ++i) {
        const int v = first[i] - first[i + stride] + 128;
        first[i] = static_cast<uint8_t>(std::clamp(v, 0, 255));
    }
}

} // namespace frame_filters_detail

namespace {

using namespace frame_filters_detail;

size_t RowBytes(int width) {
    return static_cast<size_t>(width) * 3;
}
size_t PixelCount(int width, int height) {
    return static_cast<size_t>(width) * static_cast<size_t>(height);
}

// Pixels are swapped in place from both ends of the row, so no scratch line is needed.
void MirrorPortable(uint8_t* pixels, int width, int height) {
    for (int r = 0; r < height; ++r) {
        ReversePixels(pixels + r * RowBytes(width), static_cast<size_t>(width));
    }
}

void GrayPortable(uint8_t* pixels, int width, int height) {
    GrayPixels(pixels, PixelCount(width, height));
}

void BinaryPortable(uint8_t* pixels, int width, int height) {
    BinaryPixels(pixels, PixelCount(width, height));
}

void InvertPortable(uint8_t* pixels, int width, int height) {
    InvertBytes(pixels, PixelCount(width, height) * 3);
}

// Rows follow each other without gaps, so all rows but the last are one run of bytes, each taking
// the byte one row further on.
void EmbossPortable(uint8_t* pixels, int width, int height) {
    EmbossBytes(pixels, PixelCount(width, height - 1) * 3, RowBytes(width));
}

// Mirror with an effect, a row at a time while the row is in the cache. Emboss reads the next row
// as it came, which it still is, since rows are done in increasing order.
void MirrorGrayPortable(uint8_t* pixels, int width, int height) {
    for (int r = 0; r < height; ++r) {
        uint8_t* row = pixels + r * RowBytes(width);
        GrayPixels(row, static_cast<size_t>(width));
        ReversePixels(row, static_cast<size_t>(width));
    }
}

void MirrorBinaryPortable(uint8_t* pixels, int width, int height) {
    for (int r = 0; r < height; ++r) {
        uint8_t* row = pixels + r * RowBytes(width);
        BinaryPixels(row, static_cast<size_t>(width));
        ReversePixels(row, static_cast<size_t>(width));
    }
}

void MirrorInvertPortable(uint8_t* pixels, int width, int height) {
    for (int r = 0; r < height; ++r) {
        uint8_t* row = pixels + r * RowBytes(width);
        InvertBytes(row, RowBytes(width));
        ReversePixels(row, static_cast<size_t>(width));
    }
}

void MirrorEmbossPortable(uint8_t* pixels, int width, int height) {
    for (int r = 0; r < height; ++r) {
        uint8_t* row = pixels + r * RowBytes(width);
        if (r + 1 < height) {
            EmbossBytes(row, RowBytes(width), RowBytes(width));
        }
        ReversePixels(row, static_cast<size_t>(width));
    }
}

const FrameFilterPath kPortablePath = {
    "portable",     MirrorPortable,     GrayPortable,         BinaryPortable,       InvertPortable,
    EmbossPortable, MirrorGrayPortable, MirrorBinaryPortable, MirrorInvertPortable, MirrorEmbossPortable};

const FrameFilterPath& ChooseActivePath() {
    return *AvailableFrameFilterPaths().back();
}

bool IsFrame(const uint8_t* pixels, int width, int height) {
    return pixels != nullptr && width > 0 && height > 0;
}

bool IsOn(const std::atomic<int32_t>& flag) {
    return flag.load(std::memory_order_relaxed) != 0;
}

} // namespace

std::vector<const FrameFilterPath*> AvailableFrameFilterPaths() {
    std::vector<const FrameFilterPath*> paths{&kPortablePath};
    AppendX86Paths(paths);
    return paths;
}

const FrameFilterPath& ActiveFrameFilterPath() {
    static const FrameFilterPath& active = ChooseActivePath();
    return active;
}

void ClearFilterFlags() {
    for (std::atomic<int32_t>* flag :
         {&g_filterFlags.mirror, &g_filterFlags.flipVertical, &g_filterFlags.gray, &g_filterFlags.binary,
          &g_filterFlags.invert, &g_filterFlags.emboss}) {
        flag->store(0, std::memory_order_relaxed);
    }
}

void ApplyFrameFilters(uint8_t* pixels, int width, int height) {
    if (!IsFrame(pixels, width, height)) {
        return;
    }
    const FrameFilterPath& path = ActiveFrameFilterPath();
    const bool mirror = IsOn(g_filterFlags.mirror);
    // At most one effect; the panel keeps the others off, and if it did not the first one wins.
    FrameFilterFn filter = mirror ? path.mirror : nullptr;
    if (IsOn(g_filterFlags.gray)) {
        filter = mirror ? path.mirrorGray : path.gray;
    } else if (IsOn(g_filterFlags.binary)) {
        filter = mirror ? path.mirrorBinary : path.binary;
    } else if (IsOn(g_filterFlags.invert)) {
        filter = mirror ? path.mirrorInvert : path.invert;
    } else if (IsOn(g_filterFlags.emboss)) {
        filter = mirror ? path.mirrorEmboss : path.emboss;
    }
    if (filter != nullptr) {
        filter(pixels, width, height);
    }
}

void MirrorFrame(uint8_t* pixels, int width, int height) {
    if (IsFrame(pixels, width, height)) {
        ActiveFrameFilterPath().mirror(pixels, width, height);
    }
}

void GrayFrame(uint8_t* pixels, int width, int height) {
    if (IsFrame(pixels, width, height)) {
        ActiveFrameFilterPath().gray(pixels, width, height);
    }
}

void BinaryFrame(uint8_t* pixels, int width, int height) {
    if (IsFrame(pixels, width, height)) {
        ActiveFrameFilterPath().binary(pixels, width, height);
    }
}

void InvertFrame(uint8_t* pixels, int width, int height) {
    if (IsFrame(pixels, width, height)) {
        ActiveFrameFilterPath().invert(pixels, width, height);
    }
}

void EmbossFrame(uint8_t* pixels, int width, int height) {
    if (IsFrame(pixels, width, height)) {
        ActiveFrameFilterPath().emboss(pixels, width, height);
    }
}
