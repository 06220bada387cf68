#include "capture/signal_frame.h"
#include "capture_test_frames.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

uint32_t Sample(uint8_t r, uint8_t g, uint8_t b) {
    return uint32_t{b} << 8 | uint32_t{g} << 16 | uint32_t{r} << 24;
}

} // namespace

TEST(HueOf, WholeDegreesOfTheThreeSampledBytes) {
    EXPECT_EQ(HueOf(Sample(255, 0, 0)), 0);
    EXPECT_EQ(HueOf(Sample(255, 255, 0)), 60);
    EXPECT_EQ(HueOf(Sample(0, 255, 255)), 180);
    EXPECT_EQ(HueOf(Sample(0, 0, 255)), 240);
    EXPECT_EQ(HueOf(Sample(255, 0, 1)), 360); // just below 360, rounded
    EXPECT_EQ(HueOf(Sample(0, 200, 20)), 126);
    EXPECT_EQ(HueOf(Sample(77, 77, 77)), 0);
    // The lowest byte of the word is not part of the sample.
    EXPECT_EQ(HueOf(Sample(0, 0, 255) | 0xFF), 240);
}

TEST(SignalFrame, DetectedWhenBuiltFromItsBands) {
    const std::vector<uint8_t> frame = SignalFrameFromBands();
    EXPECT_TRUE(IsSignalFrame(frame.data(), frame.size()));

    // Red may sit either side of 0: hue 355 passes as well as 5.
    std::vector<uint8_t> alt = frame;
    for (size_t w = 0; w < kSignalBands[0].wordCount; ++w) {
        alt[kSignalBands[0].start + 3 * w + 1] = 20; // blue
        alt[kSignalBands[0].start + 3 * w + 2] = 0;  // green
    }
    EXPECT_TRUE(IsSignalFrame(alt.data(), alt.size()));
}

TEST(SignalFrame, MissedAfterAOneByteChange) {
    const std::vector<uint8_t> frame = SignalFrameFromBands();
    for (const SignalBand& band : kSignalBands) {
        // First, middle and last sample of each band, each of its three bytes.
        for (size_t word : {size_t{0}, band.wordCount / 2, band.wordCount - 1}) {
            for (size_t byte = 1; byte <= 3; ++byte) {
                std::vector<uint8_t> changed = frame;
                changed[band.start + 3 * word + byte] ^= 1;
                EXPECT_FALSE(IsSignalFrame(changed.data(), changed.size()))
                    << "band at " << band.start << ", word " << word << ", byte " << byte;
            }
        }
    }
    // The masked-off byte of each sample is not examined.
    std::vector<uint8_t> masked = frame;
    masked[kSignalBands[3].start] ^= 0xFF;
    EXPECT_TRUE(IsSignalFrame(masked.data(), masked.size()));
}

TEST(SignalFrame, UniformBandsOfTheWrongHueOrAnotherSizeAreNoSignal) {
    std::vector<uint8_t> frame = SignalFrameFromBands();
    // The same bytes followed by more, or cut short, are a picture.
    std::vector<uint8_t> longer = frame;
    longer.resize(kSignalFrameBytes + 3 * 640);
    EXPECT_FALSE(IsSignalFrame(longer.data(), longer.size()));
    EXPECT_FALSE(IsSignalFrame(frame.data(), kSignalFrameBytes - 3));
    EXPECT_FALSE(IsSignalFrame(nullptr, kSignalFrameBytes));
    std::vector<uint8_t> black(kSignalFrameBytes, 0);
    EXPECT_FALSE(IsSignalFrame(black.data(), black.size()));

    // Band 2 (target 125) painted at hue 150: uniform but 25 degrees off.
    const SignalBand& band = kSignalBands[1];
    for (size_t w = 0; w < band.wordCount; ++w) {
        frame[band.start + 3 * w + 1] = 100; // blue
        frame[band.start + 3 * w + 2] = 200; // green
        frame[band.start + 3 * w + 3] = 0;   // red
    }
    EXPECT_FALSE(IsSignalFrame(frame.data(), frame.size()));
}
