// The virtual camera's pictures: the ruler's scale, the signal frame as the program reads it,
// and the YUY2 conversion.
#include "testcam/frame_convert.h"
#include "testcam/test_picture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <tuple>
#include <vector>

namespace {

std::vector<uint8_t> Render(TestCamPicture picture, int width, int height, int frame = 0) {
    std::vector<uint8_t> dib(TestPicture_DibStride(width) * size_t(height));
    TestPicture_Render(picture, width, height, dib.data(), TestPicture_DibStride(width), frame, 30);
    return dib;
}

TestRgb At(const std::vector<uint8_t>& dib, int width, int height, int x, int y) {
    const uint8_t* p = dib.data() + TestPicture_DibStride(width) * size_t(height - 1 - y) + size_t(x) * 3;
    return {p[2], p[1], p[0]};
}

// The program's reading of a signal frame: in each band, the three bytes behind a start offset
// (red of one pixel, blue and green of the next) repeat every 3 bytes, with a hue near the
// band's target.
struct Band {
    size_t start, words;
    int hue;
};
constexpr Band kBands[8] = {{2560, 13118, 1},     {117760, 13758, 125}, {234880, 13758, 240},
                            {350080, 14078, 180}, {469120, 13758, 1},   {584320, 14078, 60},
                            {703360, 13758, 300}, {818560, 12478, 1}};

int SampleHue(const uint8_t* s) {
    const double b = s[1], g = s[2], r = s[3];
    const double max = std::fmax(r, std::fmax(g, b)), min = std::fmin(r, std::fmin(g, b));
    double hue = 0;
    if (max == min)
        hue = 0;
    else if (max == r)
        hue = (g - b) / (max - min) * 60 + (g < b ? 360 : 0);
    else if (max == g)
        hue = (b - r) / (max - min) * 60 + 120;
    else
        hue = (r - g) / (max - min) * 60 + 240;
    return int(std::lround(hue));
}

bool ReadsAsSignal(const std::vector<uint8_t>& f) {
    if (f.size() != 640u * 480 * 3)
        return false;
    for (const Band& band : kBands) {
        const uint8_t* first = f.data() + band.start;
        for (size_t i = 1; i < band.words; ++i)
            if (std::memcmp(first + 1, first + 3 * i + 1, 3) != 0)
                return false;
        const int hue = SampleHue(first);
        const bool near = std::abs(hue - band.hue) <= 10 || (band.hue == 1 && std::abs(hue - 360) <= 10);
        if (!near)
            return false;
    }
    return true;
}

} // namespace

TEST(TestPicture, RulerHasTheStatedScaleAtEverySize) {
    EXPECT_DOUBLE_EQ(TestPicture_PixelsPerMm(640), 100.0);
    EXPECT_DOUBLE_EQ(TestPicture_PixelsPerMm(1280), 200.0);
    for (int width : {320, 640, 1280, 1920}) {
        const int height = width * 3 / 4;
        const auto dib = Render(TestCamPicture::Specimen, width, height);
        const TestRect ruler = TestPicture_RulerRect(width, height);
        const int tickWidth = TestPicture_RulerTickWidth(width);
        // Millimetre ticks lie PixelsPerMm apart, tenths a tenth of that.
        EXPECT_EQ(TestPicture_RulerTickX(width, 10) - TestPicture_RulerTickX(width, 0),
                  int(TestPicture_PixelsPerMm(width)));
        EXPECT_EQ(TestPicture_RulerTickX(width, 1) - TestPicture_RulerTickX(width, 0), width / 64);
        for (int t = 0; t < TestPicture_RulerTickCount(width); ++t) {
            const int x = TestPicture_RulerTickX(width, t);
            const int length = TestPicture_RulerTickLength(width, height, t);
            EXPECT_LE(x + tickWidth, width);
            // Ink from the top down the tick's length, ruler body right after it and between ticks.
            EXPECT_EQ(At(dib, width, height, x + tickWidth - 1, ruler.top + length - 1), kTestPictureInk);
            EXPECT_EQ(At(dib, width, height, x, ruler.top + length), kTestPictureRulerBody) << t;
            EXPECT_EQ(At(dib, width, height, x + tickWidth + 1, ruler.top + 2 * tickWidth),
                      kTestPictureRulerBody)
                << t;
        }
        EXPECT_GT(TestPicture_RulerTickLength(width, height, 10),
                  TestPicture_RulerTickLength(width, height, 5));
        EXPECT_GT(TestPicture_RulerTickLength(width, height, 5),
                  TestPicture_RulerTickLength(width, height, 3));
    }
}

TEST(TestPicture, RenderMatchesThePixelFunctionAndOnlyTheMarkerMoves) {
    for (auto [w, h] : {std::pair{640, 480}, {1280, 720}, {321, 241}, {8, 6}}) {
        const auto first = Render(TestCamPicture::Specimen, w, h, 0);
        const auto later = Render(TestCamPicture::Specimen, w, h, 10);
        const TestRect marker = TestPicture_MarkerRect(w, h);
        int changed = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                ASSERT_EQ(At(first, w, h, x, y), TestPicture_SpecimenPixel(w, h, x, y, 0, 30))
                    << x << "," << y;
                if (At(first, w, h, x, y) != At(later, w, h, x, y)) {
                    ASSERT_TRUE(marker.Contains(x, y)) << x << "," << y;
                    ++changed;
                }
            }
        EXPECT_GT(changed, 0);
        // Marker turns once a second at any rate.
        EXPECT_EQ(TestPicture_MarkerPhase(0, 30), TestPicture_MarkerPhase(30, 30));
        EXPECT_EQ(TestPicture_MarkerPhase(8, 30), 1);
        EXPECT_EQ(TestPicture_MarkerPhase(4, 15), 1);
    }
}

// The busy picture is the specimen within a few levels, equal to its pixel function, with noise
// that changes every frame, repeats after a second and averages out; the marker stays exact.
TEST(TestPicture, BusyPictureIsTheSpecimenWithGrainAndNoiseThatChangesEveryFrame) {
    for (auto [w, h, fps] : {std::tuple{640, 480, 30}, {321, 241, 15}, {8, 6, 30}}) {
        SCOPED_TRACE(w);
        const TestRect marker = TestPicture_MarkerRect(w, h);
        std::vector<uint8_t> frames[3];
        for (int f = 0; f < 3; ++f) {
            frames[f].resize(TestPicture_DibStride(w) * size_t(h));
            TestPicture_Render(TestCamPicture::Busy, w, h, frames[f].data(), TestPicture_DibStride(w),
                               f == 2 ? 5 + fps : 4 + f, fps);
        }
        long changed = 0, grainSum = 0, noiseSum = 0, outside = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const TestRgb busy = At(frames[0], w, h, x, y);
                ASSERT_EQ(busy, TestPicture_Pixel(TestCamPicture::Busy, w, h, x, y, 4, fps)) << x << "," << y;
                const TestRgb plain = TestPicture_SpecimenPixel(w, h, x, y, 4, fps);
                ASSERT_EQ(At(frames[1], w, h, x, y) == At(frames[2], w, h, x, y), true)
                    << "repeats after fps frames";
                if (marker.Contains(x, y)) {
                    ASSERT_EQ(busy, plain);
                    continue;
                }
                ++outside;
                const int grain = TestPicture_BusyGrain(x, y);
                ASSERT_LE(std::abs(grain), 6);
                grainSum += grain;
                for (int c = 0; c < 3; ++c) {
                    const int noise = TestPicture_BusyNoise(w, x, y, c, 4, fps);
                    ASSERT_LE(std::abs(noise), 3);
                    noiseSum += noise;
                }
                ASSERT_LE(std::abs(busy.r - plain.r), 9);
                ASSERT_LE(std::abs(busy.g - plain.g), 9);
                ASSERT_LE(std::abs(busy.b - plain.b), 9);
                changed += At(frames[0], w, h, x, y) != At(frames[1], w, h, x, y);
            }
        // Consecutive frames differ almost everywhere; grain and noise leave the mean colour.
        EXPECT_GT(changed, outside * 8 / 10);
        if (outside > 10000) {
            EXPECT_LT(std::abs(double(grainSum) / outside), 0.2);
            EXPECT_LT(std::abs(double(noiseSum) / (3 * outside)), 0.2);
        }
    }
}

TEST(TestPicture, SignalFrameReadsAsSignalOnlyWhenWhole) {
    auto frame = Render(TestCamPicture::SignalFrame, 640, 480);
    EXPECT_TRUE(ReadsAsSignal(frame));
    for (size_t offset : {size_t(2561), size_t(500000), size_t(855990)}) {
        auto broken = frame;
        broken[offset] ^= 0x40;
        EXPECT_FALSE(ReadsAsSignal(broken)) << offset;
    }
    EXPECT_FALSE(ReadsAsSignal(Render(TestCamPicture::Specimen, 640, 480)));
    // Bands are horizontal, band 0 at the bottom, each uniform.
    EXPECT_EQ(TestPicture_SignalBand(480, 479), 0);
    EXPECT_EQ(TestPicture_SignalBand(480, 0), 7);
    EXPECT_EQ(At(frame, 640, 480, 17, 479), TestPicture_SignalBandColor(0));
    EXPECT_EQ(At(frame, 640, 480, 600, 100), TestPicture_SignalBandColor(6));
}

TEST(FrameConvert, Yuy2HasLumaPerPixelAndChromaPerPair) {
    const int w = 5, h = 2;
    std::vector<uint8_t> dib(TestPicture_DibStride(w) * h, 0);
    const TestRgb colors[w] = {{255, 255, 255}, {0, 0, 0}, {255, 0, 0}, {255, 0, 0}, {0, 0, 255}};
    for (int x = 0; x < w; ++x) { // bottom row in memory is the picture's row 1
        uint8_t* p = dib.data() + size_t(x) * 3;
        p[0] = colors[x].b;
        p[1] = colors[x].g;
        p[2] = colors[x].r;
    }
    std::vector<uint8_t> yuy2(size_t((w + 1) / 2) * 4 * h, 0xAA);
    ConvertDibToYuy2(dib.data(), TestPicture_DibStride(w), w, h, yuy2.data());
    const uint8_t* row1 = yuy2.data() + 12;
    EXPECT_EQ(row1[0], 235); // white
    EXPECT_EQ(row1[2], 16);  // black
    EXPECT_EQ(row1[1], 128); // their average is gray: no colour
    EXPECT_EQ(row1[3], 128);
    EXPECT_EQ(row1[4], LumaOf(255, 0, 0));
    EXPECT_EQ(row1[7], 240);               // red pair: full red difference
    EXPECT_EQ(row1[8], LumaOf(0, 0, 255)); // the odd last pixel pairs with itself
    EXPECT_EQ(row1[10], LumaOf(0, 0, 255));
    EXPECT_EQ(row1[9], BlueDifferenceOf(0, 0, 255));
    EXPECT_EQ(yuy2[0], 16); // the picture's top row is the DIB's second, black row
}
