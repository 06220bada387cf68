#include "capture/frame_filters.h"
#include "capture/frame_filters_paths.h"
#include "view/back_buffer_pixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <tuple>
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

// Where two frames first differ ("" where they do not), as a readable failure message.
std::string FirstDifference(const Frame& got, const Frame& want, Size size) {
    if (got.size() != want.size())
        return "sizes differ";
    // memcmp first: a byte-by-byte walk of every equal frame is slow under the sanitizers.
    if (std::memcmp(got.data(), want.data(), got.size()) == 0)
        return "";
    const size_t at =
        static_cast<size_t>(std::mismatch(got.begin(), got.end(), want.begin()).first - got.begin());
    const size_t rowBytes = static_cast<size_t>(size.width) * 3;
    return "row " + std::to_string(at / rowBytes) + " byte " + std::to_string(at % rowBytes) + ": got " +
           std::to_string(got[at]) + ", want " + std::to_string(want[at]);
}

// Widths 1..100 cover every remainder of the vector loops, in row bytes and in pixels; the rest are
// the camera sizes, odd ones, sizes just off the usual ones and rows wider than any row buffer. Their
// 29 million pairs of a byte and the byte one row on hold each of the 65,536 pairs many times over,
// which proves the saturating emboss exact on every path.
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

// Where any code path this processor runs gives other bytes than the plain filter ("" where none).
std::string PathMismatch(const Filter& filter, const Frame& source, Size size) {
    Frame want = source;
    filter.reference(want.data(), size.width, size.height);
    for (const FrameFilterPath* path : AvailableFrameFilterPaths()) {
        Frame got = source;
        (path->*filter.fast)(got.data(), size.width, size.height);
        const std::string difference = FirstDifference(got, want, size);
        if (!difference.empty())
            return std::string(path->name) + " " + filter.name + " at " + std::to_string(size.width) + "x" +
                   std::to_string(size.height) + ", " + difference;
    }
    return "";
}

TEST(FrameFilterPaths, EveryFilterMatchesThePlainDefinitionOnRandomFramesOfEverySize) {
    std::mt19937 rng(20240611);
    for (Size size : FrameSizes()) {
        const Frame source = RandomFrame(size, rng);
        for (const Filter& filter : kFilters)
            ASSERT_EQ(PathMismatch(filter, source, size), "");
    }
}

// Gray and binary over every one of the 2^24 pixel values, which proves the fast division exact.
TEST(FrameFilterPaths, GrayAndBinaryAreExactForEveryPixelValue) {
    Frame source(256 * 256 * 3); // first byte along the row, second byte up the rows
    for (int b2 = 0; b2 < 256; ++b2) {
        for (size_t i = 0; i < 256 * 256; ++i)
            std::tie(source[i * 3], source[i * 3 + 1], source[i * 3 + 2]) =
                std::tuple(static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(b2));
        for (const Filter& filter : {kFilters[1], kFilters[2]})
            ASSERT_EQ(PathMismatch(filter, source, {256, 256}), "") << "third byte " << b2;
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
        for (Size size : {Size{0, 4}, Size{4, 0}, Size{-1, 4}, Size{4, -1}}) {
            frame = source;
            filter(frame.data(), size.width, size.height);
            EXPECT_EQ(frame, source) << size.width << "x" << size.height;
        }
        filter(nullptr, 2, 2); // must not touch memory
    }
}

// The back buffer's copies against their definition: each target pixel is the source pixel under its
// centre, floor((x + 0.5) * source / target), then a 0 byte. Copies and scaled blocks go into a
// buffer with room either side that must stay as it was; the frames are bottom-up, walked from the top
// and sized exactly, so a read past a row's end shows under the address sanitizer.
TEST(BackBufferPixels, EachTargetPixelIsTheSourcePixelUnderItsCentreAndNothingOutsideIsWritten) {
    struct Case {
        Size source, target;
        bool scaled;
    };
    std::vector<Case> cases;
    for (int width = 0; width <= 40; ++width) // every width's remainder of the vector copy
        cases.push_back({{width, 3}, {width, 3}, false});
    for (Case c : {Case{{4, 3}, {8, 6}, true}, Case{{3, 2}, {9, 6}, true}, Case{{8, 6}, {4, 3}, true},
                   Case{{9, 6}, {3, 2}, true}, Case{{1920, 1080}, {1036, 583}, true},
                   Case{{7, 5}, {3, 11}, true}, Case{{1, 1}, {5, 4}, true}, Case{{640, 480}, {1, 1}, true}})
        cases.push_back(c);
    std::mt19937 rng(7);
    std::vector<uint32_t> columns;
    for (const Case& c : cases) {
        const Frame frame = RandomFrame(c.source, rng);
        const ptrdiff_t rowBytes = static_cast<ptrdiff_t>(c.source.width) * 3;
        const uint8_t* top = frame.data() + (c.source.height - 1) * rowBytes;
        // The whole target, and a block of it starting a third across and half-way down.
        const ScaledBlock blocks[2] = {
            {0, 0, c.target.width, c.target.height},
            {c.target.width / 3, c.target.height / 2, (c.target.width + 1) / 2, (c.target.height + 1) / 2}};
        for (int i = 0; i < (c.scaled ? 2 : 1); ++i) { // a copy takes whole blocks only
            const ScaledBlock& block = blocks[i];
            const int margin = 2, toStride = (c.target.width + 2 * margin) * 4;
            Frame out(static_cast<size_t>(toStride) * c.target.height, 0xAB);
            uint8_t* to = out.data() + block.top * toStride + (block.left + margin) * 4;
            if (c.scaled)
                ScalePixels24To32(top, -rowBytes, c.source.width, c.source.height, to, toStride,
                                  c.target.width, c.target.height, block, columns);
            else
                CopyPixels24To32(top, -rowBytes, to, toStride, c.target.width, c.target.height);
            for (int y = 0; y < c.target.height; ++y)
                for (int x = -margin; x < c.target.width + margin; ++x) {
                    const bool inside = x >= block.left && x < block.left + block.width && y >= block.top &&
                                        y < block.top + block.height;
                    const int64_t sx =
                        inside ? (2 * x + 1) * int64_t{c.source.width} / (2 * c.target.width) : 0;
                    const int64_t sy =
                        inside ? (2 * y + 1) * int64_t{c.source.height} / (2 * c.target.height) : 0;
                    const uint8_t* got = &out[static_cast<size_t>(y * toStride + (x + margin) * 4)];
                    for (int b = 0; b < 4; ++b)
                        ASSERT_EQ(got[b], !inside ? 0xAB
                                          : b < 3 ? top[sx * 3 - sy * rowBytes + b]
                                                  : 0)
                            << c.source.width << "x" << c.source.height << " to " << c.target.width << "x"
                            << c.target.height << " at " << x << "," << y;
                }
        }
    }
}

} // namespace
