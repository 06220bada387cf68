// The recorder's JPEG encoder, checked through an independent decoder: what it writes must decode
// without complaint to the size and picture it was given.
#include "output/jpeg_encoder.h"
#include "testcam/test_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <tuple>
#include <vector>

#include <jpeglib.h>

namespace {

using Frame = std::vector<uint8_t>; // B, G, R, rows bottom-up

struct Decoded {
    bool ok = false;
    int width = 0, height = 0;
    int warnings = 0; // corrupt data the decoder carried on over
    bool baseline = false, jfif = false, subsampled420 = false;
    std::vector<uint8_t> rgb; // rows top-down
    std::string error;
};

struct ErrorTrap {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    int warnings = 0;
    char message[JMSG_LENGTH_MAX] = {};
};

void OnError(j_common_ptr info) {
    auto* trap = reinterpret_cast<ErrorTrap*>(info->err);
    info->err->format_message(info, trap->message);
    std::longjmp(trap->jump, 1);
}

void OnMessage(j_common_ptr info, int level) {
    if (level < 0)
        ++reinterpret_cast<ErrorTrap*>(info->err)->warnings;
}

Decoded Decode(const uint8_t* data, size_t size) {
    Decoded d;
    jpeg_decompress_struct info;
    ErrorTrap trap;
    info.err = jpeg_std_error(&trap.mgr);
    trap.mgr.error_exit = OnError;
    trap.mgr.emit_message = OnMessage;
    if (setjmp(trap.jump)) {
        d.error = trap.message;
        jpeg_destroy_decompress(&info);
        return d;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    d.baseline = !info.progressive_mode && !info.arith_code && info.data_precision == 8;
    d.jfif = info.saw_JFIF_marker;
    d.subsampled420 = info.num_components == 3 && info.jpeg_color_space == JCS_YCbCr &&
                      info.comp_info[0].h_samp_factor == 2 && info.comp_info[0].v_samp_factor == 2 &&
                      info.comp_info[1].h_samp_factor == 1 && info.comp_info[1].v_samp_factor == 1 &&
                      info.comp_info[2].h_samp_factor == 1 && info.comp_info[2].v_samp_factor == 1;
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    d.width = static_cast<int>(info.output_width);
    d.height = static_cast<int>(info.output_height);
    d.rgb.resize(static_cast<size_t>(d.width) * d.height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = d.rgb.data() + static_cast<size_t>(info.output_scanline) * d.width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    d.warnings = trap.warnings;
    d.ok = true;
    return d;
}

struct Fidelity {
    double psnr = 0; // over all three colours
    int maxError = 0;
};

Fidelity Compare(const Frame& frame, int width, int height, const Decoded& d) {
    double sum = 0;
    Fidelity f;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t* s =
                frame.data() + (static_cast<size_t>(height - 1 - y) * width + x) * 3; // B, G, R
            const uint8_t* r = d.rgb.data() + (static_cast<size_t>(y) * width + x) * 3;
            for (int c = 0; c < 3; ++c) {
                const int e = static_cast<int>(s[2 - c]) - r[c];
                sum += static_cast<double>(e) * e;
                f.maxError = std::max(f.maxError, std::abs(e));
            }
        }
    const double mse = sum / (3.0 * width * height);
    f.psnr = mse > 0 ? 10 * std::log10(255.0 * 255.0 / mse) : 99;
    return f;
}

struct Bgr {
    uint8_t b, g, r;
};

// A picture of the colour paint(x, y) gives at x, y counted from the top.
template <typename Paint> Frame Painted(int width, int height, Paint paint) {
    Frame f(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Bgr c = paint(x, y);
            uint8_t* p = f.data() + (static_cast<size_t>(height - 1 - y) * width + x) * 3;
            std::tie(p[0], p[1], p[2]) = std::tuple(c.b, c.g, c.r);
        }
    return f;
}

// A sensor's picture: the virtual camera's specimen with its fine grain and a few levels of noise
// on every pixel.
Frame Busy(int width, int height, int frameIndex) {
    return Painted(width, height, [&](int x, int y) {
        const TestRgb c = TestPicture_BusyPixel(width, height, x, y, frameIndex, 30);
        return Bgr{c.b, c.g, c.r};
    });
}

// Each picture decodes without a warning to its size and stays this close to the source: flat colours
// (far from 255 if a level wrapped around at either end), smooth colour waves a few dozen pixels long
// (what a lens gives) at sizes that fill no, some or all of the last blocks, and grey patterns of the
// highest frequencies (blocks whose only coefficients are the last ones, after long runs of zeros,
// and with nothing left for an end-of-block code).
TEST(JpegEncoder, PicturesComeBackAtTheirSizeCloseToTheSource) {
    struct Case {
        std::string name;
        int width, height, quality;
        std::function<Bgr(int x, int y)> paint;
        double minPsnr;
        int maxError;
    };
    std::vector<Case> cases;
    const std::pair<const char*, Bgr> flat[] = {
        {"black", {0, 0, 0}},      {"white", {255, 255, 255}}, {"red", {0, 0, 255}},
        {"green", {0, 255, 0}},    {"blue", {255, 0, 0}},      {"grey", {128, 128, 128}},
        {"yellow", {0, 255, 255}}, {"dark", {3, 2, 1}},        {"magenta", {255, 0, 255}}};
    for (const auto& [name, colour] : flat)
        for (const auto& [w, h] : {std::pair(32, 32), std::pair(19, 13)})
            cases.push_back({name, w, h, 90, [c = colour](int, int) { return c; }, 0, 4});
    const auto smooth = [](int x, int y) {
        return Bgr{static_cast<uint8_t>(128 + 80 * std::sin(x * 0.03 + 1)),
                   static_cast<uint8_t>(128 + 60 * std::sin(x * 0.05 + y * 0.03)),
                   static_cast<uint8_t>(128 + 80 * std::cos(y * 0.04 + 2))};
    };
    for (const auto& [w, h] : {std::pair(1, 1), std::pair(7, 3), std::pair(3, 7), std::pair(16, 16),
                               std::pair(17, 9), std::pair(33, 31), std::pair(641, 481)})
        cases.push_back({"smooth", w, h, 90, smooth, 36.0, 16});
    const std::pair<const char*, bool (*)(int x, int y)> patterns[] = {
        {"checkerboard", [](int x, int y) { return (x + y) % 2 == 1; }},
        {"columns", [](int x, int) { return x % 2 == 1; }},
        {"rows", [](int, int y) { return y % 2 == 1; }},
        {"one dot a block", [](int x, int y) { return x % 8 == 7 && y % 8 == 7; }}};
    for (const auto& [name, light] : patterns)
        for (int quality : {90, 100}) {
            const auto grey = [light = light](int x, int y) {
                const uint8_t v = light(x, y) ? 200 : 50;
                return Bgr{v, v, v};
            };
            cases.push_back(
                {name, 32, 32, quality, grey, quality == 100 ? 45.0 : 30.0, quality == 100 ? 3 : 40});
        }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " " + std::to_string(c.width) + "x" + std::to_string(c.height) +
                     " at quality " + std::to_string(c.quality));
        JpegEncoder encoder(c.quality);
        const Frame frame = Painted(c.width, c.height, c.paint);
        size_t size = 0;
        const uint8_t* jpeg = encoder.Encode(frame.data(), c.width, c.height, &size);
        ASSERT_NE(jpeg, nullptr);
        const Decoded d = Decode(jpeg, size);
        ASSERT_TRUE(d.ok) << d.error;
        EXPECT_EQ(d.warnings, 0);
        ASSERT_EQ(std::pair(d.width, d.height), std::pair(c.width, c.height));
        const Fidelity f = Compare(frame, c.width, c.height, d);
        EXPECT_GE(f.psnr, c.minPsnr);
        EXPECT_LE(f.maxError, c.maxError);
    }
}

// A sensor's picture at every quality: a strict baseline file (a missing end marker, or an 0xFF in the
// scan that is not stuffed and reads as a marker, makes the decoder warn of corrupt data), larger and
// closer to the source as the quality rises, and close at the video's quality.
TEST(JpegEncoder, QualityRangeDecodesAndTradesSizeForFidelity) {
    const int width = 320, height = 240;
    const Frame frame = Busy(width, height, 7);
    const int qualities[] = {1, 10, 50, 75, 90, 100};
    size_t previousSize = 0;
    double previousPsnr = 0;
    JpegEncoder encoder;
    for (int q : qualities) {
        SCOPED_TRACE("quality " + std::to_string(q));
        encoder.SetQuality(q);
        size_t size = 0;
        const uint8_t* jpeg = encoder.Encode(frame.data(), width, height, &size);
        ASSERT_NE(jpeg, nullptr);
        const Decoded d = Decode(jpeg, size);
        ASSERT_TRUE(d.ok) << d.error;
        EXPECT_EQ(std::tuple(d.warnings, bool(d.baseline), bool(d.jfif), bool(d.subsampled420)),
                  std::tuple(0, true, true, true));
        const double psnr = Compare(frame, width, height, d).psnr;
        EXPECT_GT(size, previousSize);
        EXPECT_GT(psnr, q == 90 ? std::max(previousPsnr, 34.0) : previousPsnr);
        previousSize = size;
        previousPsnr = psnr;
    }
    // At the top every step is 1, and what is lost is the colour's resolution and rounding.
    EXPECT_EQ(std::count(encoder.LumaTable(), encoder.LumaTable() + 64, 1), 64);
    EXPECT_EQ(std::count(encoder.ChromaTable(), encoder.ChromaTable() + 64, 1), 64);
    encoder.SetQuality(0);
    EXPECT_EQ(encoder.Quality(), 1);
    encoder.SetQuality(250);
    EXPECT_EQ(encoder.Quality(), 100);
}

TEST(JpegEncoder, OneEncoderServesFramesOfChangingSizeLikeAFreshOne) {
    const struct { int width, height; } sizes[] = {{640, 480}, {33, 31}, {1280, 720}, {7, 3}, {640, 480}};
    JpegEncoder reused(90);
    for (const auto& s : sizes) {
        SCOPED_TRACE(std::to_string(s.width) + "x" + std::to_string(s.height));
        const Frame frame = Busy(s.width, s.height, s.width);
        JpegEncoder fresh(90);
        size_t a = 0, b = 0;
        const uint8_t* fromFresh = fresh.Encode(frame.data(), s.width, s.height, &a);
        const std::vector<uint8_t> expected(fromFresh, fromFresh + a);
        const uint8_t* fromReused = reused.Encode(frame.data(), s.width, s.height, &b);
        ASSERT_NE(fromReused, nullptr);
        EXPECT_EQ(std::vector<uint8_t>(fromReused, fromReused + b), expected);
    }
}

TEST(JpegEncoder, SizesAJpegCannotHoldAreRefused) {
    JpegEncoder encoder;
    const Frame pixel = {1, 2, 3};
    size_t size = 99;
    EXPECT_EQ(encoder.Encode(pixel.data(), 0, 1, &size), nullptr);
    EXPECT_EQ(encoder.Encode(pixel.data(), 1, 0, &size), nullptr);
    EXPECT_EQ(encoder.Encode(pixel.data(), -5, 1, &size), nullptr);
    EXPECT_EQ(encoder.Encode(pixel.data(), 65536, 1, &size), nullptr);
    EXPECT_EQ(size, 99u);
}

// The fast DCT against the transform written straight from its definition.
TEST(JpegEncoder, FastDctMatchesThePlainTransform) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> sample(-128, 127);
    const double pi = 3.14159265358979323846;
    uint8_t steps[3][64];
    for (int i = 0; i < 64; ++i) {
        steps[0][i] = 1;
        steps[1][i] = static_cast<uint8_t>(1 + (i * 7) % 40);
        steps[2][i] = static_cast<uint8_t>(255 - i);
    }
    for (int t = 0; t < 3; ++t)
        for (int round = 0; round < 50; ++round) {
            SCOPED_TRACE("table " + std::to_string(t) + " round " + std::to_string(round));
            float block[64];
            double plain[64];
            const bool extreme = round < 2; // all lowest, all highest
            for (int i = 0; i < 64; ++i)
                block[i] = static_cast<float>(extreme ? (round == 0 ? -128 : 127) : sample(random));
            if (round == 2) // a checkerboard, all of it in the highest frequency
                for (int i = 0; i < 64; ++i)
                    block[i] = ((i / 8 + i % 8) % 2) ? 127.0f : -128.0f;
            for (int v = 0; v < 8; ++v)
                for (int u = 0; u < 8; ++u) {
                    double sum = 0;
                    for (int y = 0; y < 8; ++y)
                        for (int x = 0; x < 8; ++x)
                            sum += block[y * 8 + x] * std::cos((2 * x + 1) * u * pi / 16) *
                                   std::cos((2 * y + 1) * v * pi / 16);
                    const double cu = u == 0 ? 1 / std::sqrt(2.0) : 1, cv = v == 0 ? 1 / std::sqrt(2.0) : 1;
                    plain[v * 8 + u] = 0.25 * cu * cv * sum;
                }
            float scales[64];
            int16_t zigzag[64];
            jpeg_internal::QuantiserScales(steps[t], scales);
            jpeg_internal::ForwardDctQuantise(block, scales, zigzag);
            for (int k = 0; k < 64; ++k) {
                const int n = jpeg_internal::ZigzagToNatural(k);
                const double expected = plain[n] / steps[t][n];
                EXPECT_LE(std::abs(zigzag[k] - expected), 0.51) << "coefficient " << n;
            }
        }
}

} // namespace
