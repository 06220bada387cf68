// The virtual camera's pure parts, as far as the program's tests rely on them: the ruler has its
// stated scale, the signal frame is the one the program detects, and YUY2 is converted as the
// program decodes it. (Its configuration text reaches the camera in every capture test.)
#include "capture/signal_frame.h"
#include "testcam/frame_convert.h"
#include "testcam/test_picture.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

std::vector<uint8_t> Render(TestCamPicture picture, int width, int height, int frame = 0, int fps = 30) {
    std::vector<uint8_t> dib(TestPicture_DibStride(width) * size_t(height));
    TestPicture_Render(picture, width, height, dib.data(), TestPicture_DibStride(width), frame, fps);
    return dib;
}

TestRgb At(const std::vector<uint8_t>& dib, int width, int height, int x, int y) {
    const uint8_t* p = dib.data() + TestPicture_DibStride(width) * size_t(height - 1 - y) + size_t(x) * 3;
    return {p[2], p[1], p[0]};
}

} // namespace

TEST(TestPicture, RulerTicksLieAtTheStatedScale) {
    for (int width : {640, 1280}) {
        const int height = width * 3 / 4;
        EXPECT_DOUBLE_EQ(TestPicture_PixelsPerMm(width), width / 6.4);
        const auto dib = Render(TestCamPicture::Specimen, width, height);
        const TestRect ruler = TestPicture_RulerRect(width, height);
        EXPECT_EQ(TestPicture_RulerTickX(width, 10) - TestPicture_RulerTickX(width, 0),
                  int(TestPicture_PixelsPerMm(width)));
        for (int t = 0; t < TestPicture_RulerTickCount(width); ++t) {
            const int x = TestPicture_RulerTickX(width, t);
            const int length = TestPicture_RulerTickLength(width, height, t);
            EXPECT_EQ(At(dib, width, height, x, ruler.top + length - 1), kTestPictureInk) << t;
            EXPECT_EQ(At(dib, width, height, x, ruler.top + length), kTestPictureRulerBody) << t;
        }
    }
}

TEST(TestPicture, SignalFrameIsDetectedAsOneAndTheSpecimenIsNot) {
    const auto signal = Render(TestCamPicture::SignalFrame, 640, 480);
    EXPECT_TRUE(IsSignalFrame(signal.data(), signal.size()));
    const auto specimen = Render(TestCamPicture::Specimen, 640, 480);
    EXPECT_FALSE(IsSignalFrame(specimen.data(), specimen.size()));
}

TEST(FrameConvert, Yuy2HasLumaPerPixelAndChromaPerPair) {
    const int w = 3, h = 2;
    std::vector<uint8_t> dib(TestPicture_DibStride(w) * h, 0); // the top row, last in memory, black
    const TestRgb colors[w] = {{255, 255, 255}, {0, 0, 0}, {0, 0, 255}};
    for (int x = 0; x < w; ++x) {
        uint8_t* p = dib.data() + size_t(x) * 3;
        std::tie(p[0], p[1], p[2]) = std::tuple(colors[x].b, colors[x].g, colors[x].r);
    }
    std::vector<uint8_t> yuy2(16, 0xAA);
    ConvertDibToYuy2(dib.data(), TestPicture_DibStride(w), w, h, yuy2.data());
    // White and black make a pair without colour; the odd last pixel pairs with itself.
    EXPECT_EQ(yuy2, (std::vector<uint8_t>{16, 128, 16, 128, 16, 128, 16, 128, 235, 128, 16, 128,
                                          LumaOf(0, 0, 255), BlueDifferenceOf(0, 0, 255), LumaOf(0, 0, 255),
                                          RedDifferenceOf(0, 0, 255)}));
}
