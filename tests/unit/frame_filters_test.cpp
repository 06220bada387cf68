#include "capture/frame_filters.h"
#include "capture/frame_filters_paths.h"
#include "view/back_buffer_pixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using Frame = std::vector<uint8_t>;

struct Size {
    int width, height;
};

// The filters written the plain way, one pixel or byte at a time, as the code paths must match.
uint8_t RefLuma(const uint8_t* p) {
    return static_cast<uint8_t>((p[0] * 299 + p[1] * 587 + p[2] * 114 + 500) / 1000);
}

void RefMirror(uint8_t* pixels, int width, int height) {
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    Frame scratch(rowBytes);
    for (int r = 0; r < height; ++r) {
        uint8_t* row = pixels + r * rowBytes;
        std::memcpy(scratch.data(), row, rowBytes);
        for (int j = 0; j < width; ++j) {
            std::memcpy(row + (width - 1 - j) * 3, scratch.data() + j * 3, 3);
        }
    }
}

void RefGray(uint8_t* pixels, int width, int height) {
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
        uint8_t* p = pixels + i * 3;
        p[0] = p[1] = p[2] = RefLuma(p);
    }
}

void RefBinary(uint8_t* pixels, int width, int height) {
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
        uint8_t* p = pixels + i * 3;
        p[0] = p[1] = p[2] = RefLuma(p) < 128 ? 0 : 255;
    }
}

void RefInvert(uint8_t* pixels, int width, int height) {
    for (size_t i = 0; i < static_cast<size_t>(width) * height * 3; ++i) {
        pixels[i] = static_cast<uint8_t>(255 - pixels[i]);
    }
}

void RefEmboss(uint8_t* pixels, int width, int height) {
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    const Frame copy(pixels, pixels + rowBytes * height);
    const uint8_t* original = copy.data();
    for (int r = 0; r + 1 < height; ++r) {
        for (size_t i = 0; i < rowBytes; ++i) {
            const int v = original[r * rowBytes + i] - original[(r + 1) * rowBytes + i] + 128;
            pixels[r * rowBytes + i] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
        }
    }
}

// The one-pass mirror with an effect must equal the mirror followed by the effect.
template <FrameFilterFn kEffect> void RefMirrorThen(uint8_t* pixels, int width, int height) {
    RefMirror(pixels, width, height);
    kEffect(pixels, width, height);
}

struct Filter {
    const char* name;
    FrameFilterFn FrameFilterPath::*fast;
    FrameFilterFn reference;
};

const Filter kFilters[] = {
    {"mirror", &FrameFilterPath::mirror, RefMirror},
    {"gray", &FrameFilterPath::gray, RefGray},
    {"binary", &FrameFilterPath::binary, RefBinary},
    {"invert", &FrameFilterPath::invert, RefInvert},
    {"emboss", &FrameFilterPath::emboss, RefEmboss},
    {"mirror+gray", &FrameFilterPath::mirrorGray, RefMirrorThen<RefGray>},
    {"mirror+binary", &FrameFilterPath::mirrorBinary, RefMirrorThen<RefBinary>},
    {"mirror+invert", &FrameFilterPath::mirrorInvert, RefMirrorThen<RefInvert>},
    {"mirror+emboss", &FrameFilterPath::mirrorEmboss, RefMirrorThen<RefEmboss>},
};

Frame RandomFrame(Size size, std::mt19937& rng) {
    Frame frame(static_cast<size_t>(size.width) * size.height * 3);
    for (size_t i = 0; i < frame.size(); i += 4) {
        const uint32_t bits = rng();
        std::memcpy(&frame[i], &bits, std::min<size_t>(4, frame.size() - i));
    }
    return frame;
}

// Where two frames first differ, as a readable failure message.
std::string FirstDifference(const Frame& got, const Frame& want, Size size) {
    if (got.size() == want.size() && std::memcmp(got.data(), want.data(), got.size()) == 0) {
        return {};
    }
    const auto diff = std::mismatch(got.begin(), got.end(), want.begin(), want.end());
    if (diff.first == got.end() || diff.second == want.end()) {
        return "sizes differ";
    }
    const size_t at = static_cast<size_t>(diff.first - got.begin());
    const size_t rowBytes = static_cast<size_t>(size.width) * 3;
    return "row " + std::to_string(at / rowBytes) + " pixel " + std::to_string(at % rowBytes / 3) + " byte " +
           std::to_string(at % 3) + ": got " + std::to_string(*diff.first) + ", want " +
           std::to_string(*diff.second);
}

// Widths 1..100 cover every remainder of the vector loops, in row bytes and in pixels; the rest are
// the camera sizes, odd ones, sizes just off the usual ones and rows wider than any row buffer.
std::vector<Size> FrameSizes() {
    std::vector<Size> sizes;
    for (int width = 1; width <= 100; ++width) {
        for (int height = 1; height <= 3; ++height) {
            sizes.push_back({width, height});
        }
    }
    for (Size s : {Size{1, 64}, Size{3, 33}, Size{320, 240}, Size{640, 480}, Size{641, 479}, Size{1279, 721},
                   Size{1280, 720}, Size{1920, 1080}, Size{2592, 1944}, Size{8230, 2}}) {
        sizes.push_back(s);
    }
    return sizes;
}

// Every code path this processor runs, each against the plain filters computed once.
TEST(FrameFilterPaths, EveryFilterMatchesThePlainDefinitionOnRandomFramesOfEverySize) {
    const std::vector<const FrameFilterPath*> paths = AvailableFrameFilterPaths();
    std::mt19937 rng(20240611);
    for (Size size : FrameSizes()) {
        const Frame source = RandomFrame(size, rng);
        for (const Filter& filter : kFilters) {
            Frame want = source;
            filter.reference(want.data(), size.width, size.height);
            for (const FrameFilterPath* path : paths) {
                Frame got = source;
                (path->*filter.fast)(got.data(), size.width, size.height);
                ASSERT_EQ(FirstDifference(got, want, size), "")
                    << path->name << " " << filter.name << " at " << size.width << "x" << size.height;
            }
        }
    }
}

// Gray and binary over every one of the 2^24 pixel values, which proves the fast division exact.
TEST(FrameFilterPaths, GrayAndBinaryAreExactForEveryPixelValue) {
    const std::vector<const FrameFilterPath*> paths = AvailableFrameFilterPaths();
    const Size size{256, 256}; // first byte along the row, second byte up the rows
    Frame source(256 * 256 * 3), gray(source.size()), binary(source.size()), work(source.size());
    for (int b2 = 0; b2 < 256; ++b2) {
        for (size_t i = 0; i < 256 * 256; ++i) {
            uint8_t* p = &source[i * 3];
            p[0] = static_cast<uint8_t>(i);
            p[1] = static_cast<uint8_t>(i >> 8);
            p[2] = static_cast<uint8_t>(b2);
            const uint8_t y = RefLuma(p);
            std::memset(&gray[i * 3], y, 3);
            std::memset(&binary[i * 3], y < 128 ? 0 : 255, 3);
        }
        for (const FrameFilterPath* path : paths) {
            work = source;
            path->gray(work.data(), size.width, size.height);
            ASSERT_EQ(FirstDifference(work, gray, size), "") << path->name << " gray, third byte " << b2;
            work = source;
            path->binary(work.data(), size.width, size.height);
            ASSERT_EQ(FirstDifference(work, binary, size), "") << path->name << " binary, third byte " << b2;
        }
    }
}

// Emboss over every pair of a byte and the byte one row on, which proves the saturating form exact.
TEST(FrameFilterPaths, EmbossIsExactForEveryPairOfBytes) {
    const Size size{21846, 2}; // 65538 bytes a row
    Frame source(static_cast<size_t>(size.width) * 3 * 2);
    const size_t rowBytes = source.size() / 2;
    for (size_t i = 0; i < rowBytes; ++i) {
        source[i] = static_cast<uint8_t>(i);
        source[rowBytes + i] = static_cast<uint8_t>(i >> 8);
    }
    Frame want = source;
    RefEmboss(want.data(), size.width, size.height);
    for (const FrameFilterPath* path : AvailableFrameFilterPaths()) {
        Frame got = source;
        path->emboss(got.data(), size.width, size.height);
        EXPECT_EQ(FirstDifference(got, want, size), "") << path->name;
    }
}

TEST(FrameFilterPaths, PortableFirstAndTheBestOneInUse) {
    const std::vector<const FrameFilterPath*> paths = AvailableFrameFilterPaths();
    ASSERT_FALSE(paths.empty());
    EXPECT_STREQ(paths.front()->name, "portable");
    EXPECT_EQ(&ActiveFrameFilterPath(), paths.back());
#if defined(__GNUC__) && defined(__x86_64__)
    // A build that lost the vector paths would still pass every comparison above.
    __builtin_cpu_init();
    if (__builtin_cpu_supports("ssse3")) {
        EXPECT_GE(paths.size(), 2u);
    }
#endif
}

class FrameFiltersTest : public testing::Test {
protected:
    void SetUp() override { ClearFilterFlags(); }
    void TearDown() override { ClearFilterFlags(); }
};

TEST_F(FrameFiltersTest, ApplyMirrorsFirstThenAppliesTheFirstEffectThatIsOn) {
    const Size size{45, 7};
    std::mt19937 rng(7);
    const Frame source = RandomFrame(size, rng);
    const FrameFilterFn effects[] = {RefGray, RefBinary, RefInvert, RefEmboss};
    std::atomic<int32_t>* switches[] = {&g_filterFlags.gray, &g_filterFlags.binary, &g_filterFlags.invert,
                                        &g_filterFlags.emboss};
    for (int mirror = 0; mirror < 2; ++mirror) {
        for (int first = 0; first < 4; ++first) {
            // This effect and every later one on: only this one may act.
            ClearFilterFlags();
            g_filterFlags.mirror = mirror;
            for (int e = first; e < 4; ++e) {
                *switches[e] = 1;
            }
            Frame want = source;
            if (mirror) {
                RefMirror(want.data(), size.width, size.height);
            }
            effects[first](want.data(), size.width, size.height);
            Frame got = source;
            ApplyFrameFilters(got.data(), size.width, size.height);
            EXPECT_EQ(FirstDifference(got, want, size), "") << "mirror " << mirror << ", effect " << first;
        }
    }
}

TEST_F(FrameFiltersTest, NothingOnOrOnlyFlipLeavesTheFrameAloneAndClearTurnsEverySwitchOff) {
    const Size size{33, 4};
    std::mt19937 rng(11);
    const Frame source = RandomFrame(size, rng);
    Frame frame = source;
    ApplyFrameFilters(frame.data(), size.width, size.height);
    EXPECT_EQ(frame, source);
    // The view turns the picture upside down when it draws; recorded frames stay as they came.
    g_filterFlags.flipVertical = 1;
    ApplyFrameFilters(frame.data(), size.width, size.height);
    EXPECT_EQ(frame, source);

    std::atomic<int32_t>* const flags[] = {&g_filterFlags.mirror, &g_filterFlags.flipVertical,
                                           &g_filterFlags.gray,   &g_filterFlags.binary,
                                           &g_filterFlags.invert, &g_filterFlags.emboss};
    for (std::atomic<int32_t>* flag : flags)
        *flag = 1;
    ClearFilterFlags();
    for (size_t i = 0; i < std::size(flags); ++i)
        EXPECT_EQ(flags[i]->load(), 0) << "switch " << i << " left on by Clear";
}

// Each single filter is its plain definition on a frame, and leaves bad sizes and null frames alone.
TEST_F(FrameFiltersTest, SingleFiltersActOnFramesOnlyAndBadSizesAreLeftAlone) {
    g_filterFlags.mirror = 1;
    g_filterFlags.invert = 1;
    const std::pair<FrameFilterFn, FrameFilterFn> filters[] = {{ApplyFrameFilters, RefMirrorThen<RefInvert>},
                                                               {MirrorFrame, RefMirror},
                                                               {GrayFrame, RefGray},
                                                               {BinaryFrame, RefBinary},
                                                               {InvertFrame, RefInvert},
                                                               {EmbossFrame, RefEmboss}};
    const Frame source = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    for (const auto& [filter, reference] : filters) {
        Frame frame = source, want = source;
        filter(frame.data(), 2, 2);
        reference(want.data(), 2, 2);
        EXPECT_EQ(frame, want);
        for (Size size :
             {Size{0, 4}, Size{4, 0}, Size{-1, 4}, Size{4, -1}, Size{-4, -1}, Size{INT32_MIN, 1}}) {
            frame = source;
            filter(frame.data(), size.width, size.height);
            EXPECT_EQ(frame, source) << size.width << "x" << size.height;
        }
        filter(nullptr, 2, 2); // must not touch memory
    }
}

// The back buffer's copy: every width's remainder, walking a bottom-up frame from its top row into a
// buffer with room either side of the block, which must stay as it was. The frame is sized exactly,
// so a read past a row's end shows under the address sanitizer.
TEST(BackBufferPixels, CopiesEachRowTopFirstAndNothingOutsideTheBlock) {
    std::mt19937 rng(7);
    for (int width = 0; width <= 40; ++width) {
        const int height = 3, margin = 2;
        const Frame frame = RandomFrame({width, height}, rng);
        const ptrdiff_t rowBytes = static_cast<ptrdiff_t>(width) * 3, toStride = (width + 2 * margin) * 4;
        Frame buffer(static_cast<size_t>(toStride) * height, 0xAB);
        const uint8_t* top = frame.data() + (height - 1) * rowBytes;
        CopyPixels24To32(top, -rowBytes, buffer.data() + margin * 4, toStride, width, height);
        for (int y = 0; y < height; ++y) {
            for (int x = -margin; x < width + margin; ++x) {
                const uint8_t* got = &buffer[static_cast<size_t>(y * toStride + (x + margin) * 4)];
                const bool inside = x >= 0 && x < width;
                const uint8_t* want = inside ? top - y * rowBytes + x * 3 : nullptr;
                for (int c = 0; c < 4; ++c) {
                    const int expected = !inside ? 0xAB : c < 3 ? want[c] : 0;
                    ASSERT_EQ(got[c], expected) << "width " << width << " row " << y << " x " << x;
                }
            }
        }
    }
}

// The scaled copy, against what must hold at any scale: a part gives the same pixels as the whole and
// writes nothing else, k times up makes each pixel a k x k square, k times down takes the pixel at the
// centre of each k x k square, and scaled up the corners are the source's corners.
TEST(BackBufferPixels, ScaledCopyTakesThePixelUnderEachCentre) {
    struct Case {
        Size source, target;
    };
    const Case cases[] = {{{4, 3}, {8, 6}},
                          {{3, 2}, {9, 6}},
                          {{8, 6}, {4, 3}},
                          {{9, 6}, {3, 2}},
                          {{1920, 1080}, {1036, 583}},
                          {{7, 5}, {3, 11}},
                          {{1, 1}, {5, 4}},
                          {{640, 480}, {1, 1}}};
    std::mt19937 rng(11);
    std::vector<uint32_t> columns;
    for (const Case& c : cases) {
        const Frame frame = RandomFrame(c.source, rng);
        const ptrdiff_t rowBytes = static_cast<ptrdiff_t>(c.source.width) * 3, toStride = c.target.width * 4;
        const uint8_t* top =
            frame.data() + (c.source.height - 1) * rowBytes; // bottom-up, walked from the top
        const auto scale = [&](ScaledBlock block) {
            Frame out(static_cast<size_t>(toStride) * c.target.height, 0xAB);
            ScalePixels24To32(top, -rowBytes, c.source.width, c.source.height,
                              out.data() + block.top * toStride + block.left * 4, toStride, c.target.width,
                              c.target.height, block, columns);
            return out;
        };
        const auto sourceAt = [&](int x, int y) { return top - y * rowBytes + x * 3; };
        const Frame whole = scale({0, 0, c.target.width, c.target.height});
        const ScaledBlock part = {c.target.width / 3, c.target.height / 2, (c.target.width + 1) / 2,
                                  (c.target.height + 1) / 2};
        const Frame partial = scale(part);
        const std::string at = std::to_string(c.source.width) + "x" + std::to_string(c.source.height) +
                               " to " + std::to_string(c.target.width) + "x" +
                               std::to_string(c.target.height);
        for (int y = 0; y < c.target.height; ++y) {
            for (int x = 0; x < c.target.width; ++x) {
                const size_t i = static_cast<size_t>(y * toStride + x * 4);
                const bool inPart = x >= part.left && x < part.left + part.width && y >= part.top &&
                                    y < part.top + part.height;
                for (int b = 0; b < 4; ++b) {
                    ASSERT_EQ(partial[i + b], inPart ? whole[i + b] : 0xAB) << at << " at " << x << "," << y;
                }
                ASSERT_EQ(whole[i + 3], 0) << at;
                const uint8_t* want = nullptr;
                if (c.target.width % c.source.width == 0 && c.target.height % c.source.height == 0) {
                    want = sourceAt(x / (c.target.width / c.source.width),
                                    y / (c.target.height / c.source.height));
                } else if (c.source.width % c.target.width == 0 && c.source.height % c.target.height == 0) {
                    const int kx = c.source.width / c.target.width, ky = c.source.height / c.target.height;
                    want = sourceAt(kx * x + kx / 2, ky * y + ky / 2);
                }
                if (want) {
                    ASSERT_EQ(0, std::memcmp(&whole[i], want, 3)) << at << " at " << x << "," << y;
                }
            }
        }
        // Scaled up, the corners are the source's own (scaled down, ASan shows any read outside it).
        if (c.target.width >= c.source.width && c.target.height >= c.source.height) {
            const size_t last =
                static_cast<size_t>((c.target.height - 1) * toStride + (c.target.width - 1) * 4);
            EXPECT_EQ(0, std::memcmp(&whole[last], sourceAt(c.source.width - 1, c.source.height - 1), 3))
                << at;
            EXPECT_EQ(0, std::memcmp(&whole[0], sourceAt(0, 0), 3)) << at;
        }
    }
}

} // namespace
