// The image viewer's arithmetic (zoom sizes, centring, clamping, panning, the play mark) and the
// size check that keeps pictures too large to hold away from the decoder.
#include "panels/image_header.h"
#include "panels/image_view_geometry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

TEST(ImageZoom, SizesScrollingAndWhatTheViewerHolds) {
    // The viewer's zoom steps scale with truncation; anything else shows the picture at its own size.
    for (const int width : {1280, 1283}) {
        for (const int zoom : {15, 25, 50, 75, 125, 150, 175, 200})
            EXPECT_EQ(ImageZoomSize(width, zoom), width * zoom / 100) << zoom;
        for (const int zoom : {100, 0, 30, -25, 400})
            EXPECT_EQ(ImageZoomSize(width, zoom), width) << zoom;
    }
    EXPECT_EQ(ImageZoomSize(3, 25), 0);
    EXPECT_EQ(ImageZoomSize(6, 15), 0); // 0.9
    // The largest picture the viewer holds does not overflow at 200 %.
    EXPECT_EQ(ImageZoomSize(static_cast<int>(kMaxViewerSide), 200), 131070);

    // A 1280 x 960 photo in a 236 x 177 preview: 320 x 240, centred, then dragged about.
    const int dw = ImageZoomSize(1280, 25);
    const int dh = ImageZoomSize(960, 25);
    int x = CentredImageScroll(dw, 236);
    int y = CentredImageScroll(dh, 177);
    EXPECT_EQ(std::pair(x, y), std::pair(42, 31));

    const auto span = [](ImageSpan s) { return std::tuple(s.destination, s.source, s.length); };
    EXPECT_EQ(span(ImageBlitSpan(x, dw, 236)), std::tuple(0, 42, 236));

    // Dragging right moves the picture right (the offset falls), down to the edge and no further.
    EXPECT_EQ(x = PanImageScroll(x, 10, dw, 236), 32);
    EXPECT_EQ(x = PanImageScroll(x, 500, dw, 236), 0);
    EXPECT_EQ(x = PanImageScroll(x, -500, dw, 236), 84);

    // A window grown past the picture's edge pulls the offset back.
    EXPECT_EQ(ClampImageScroll(84, dw, 300), 20);
    EXPECT_EQ(ClampImageScroll(84, dw, 400), 0);

    // A 640 x 480 photo fits: 160 x 120 in the middle, and dragging does nothing.
    EXPECT_EQ(span(ImageBlitSpan(0, ImageZoomSize(640, 25), 236)), std::tuple(38, 0, 160));
    EXPECT_EQ(CentredImageScroll(160, 236), 0);
    EXPECT_EQ(PanImageScroll(0, 25, 160, 236), 0);

    for (auto [w, h] : {std::pair{1, 1}, {8192, 8192}, {65535, 1024}})
        EXPECT_TRUE(ImageSizeCanBeHeld(w, h)) << w << "x" << h;
    for (auto [w, h] : {std::pair{8193, 8192}, {65536, 1}, {30000, 30000}, {0, 480}, {640, -480}})
        EXPECT_FALSE(ImageSizeCanBeHeld(w, h)) << w << "x" << h;
    EXPECT_EQ(ImageRowBytes(1), 4);
    EXPECT_EQ(ImageRowBytes(4), 12);
    EXPECT_EQ(ImageRowBytes(65535), 196608);
}

namespace {

using Bytes = std::vector<uint8_t>;

// Appends the low `bytes` bytes of v, most significant first or last.
void Put(Bytes& b, uint32_t v, int bytes, bool big) {
    for (int i = 0; i < bytes; ++i)
        b.push_back(static_cast<uint8_t>(v >> 8 * (big ? bytes - 1 - i : i)));
}

Bytes Png(uint32_t width, uint32_t height) {
    Bytes b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Put(b, 13, 4, true);
    for (char c : {'I', 'H', 'D', 'R'})
        b.push_back(static_cast<uint8_t>(c));
    Put(b, width, 4, true);
    Put(b, height, 4, true);
    for (uint8_t v : {8, 2, 0, 0, 0, 0, 0, 0, 0}) // depth, colour type, methods, CRC
        b.push_back(v);
    return b;
}

void Segment(Bytes& b, uint8_t marker, const Bytes& body) {
    b.push_back(0xFF);
    b.push_back(marker);
    Put(b, static_cast<uint32_t>(body.size() + 2), 2, true);
    b.insert(b.end(), body.begin(), body.end());
}

Bytes FrameBody(uint32_t width, uint32_t height) {
    Bytes body = {8};
    Put(body, height, 2, true);
    Put(body, width, 2, true);
    for (uint8_t v : {3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1})
        body.push_back(v);
    return body;
}

// A JPEG as cameras write them: JFIF, a long Exif segment, tables, then the frame header.
Bytes Jpeg(uint8_t frameMarker, uint32_t width, uint32_t height) {
    Bytes b = {0xFF, 0xD8};
    Segment(b, 0xE0, Bytes{'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
    Segment(b, 0xE1, Bytes(6000, 0xC0)); // bytes that look like a frame marker inside a segment
    Segment(b, 0xDB, Bytes(65, 1));
    Segment(b, 0xC4, Bytes(30, 0));
    b.push_back(0xFF); // a fill byte before the next marker
    Segment(b, frameMarker, FrameBody(width, height));
    Segment(b, 0xDA, Bytes(10, 0));
    return b;
}

Bytes Bmp(uint32_t infoSize, int32_t width, int32_t height) {
    Bytes b = {'B', 'M'};
    for (uint32_t v : {0u, 0u, 54u, infoSize})
        Put(b, v, 4, false);
    const int side = infoSize == 12 ? 2 : 4; // the old core header has 16-bit sides
    Put(b, static_cast<uint32_t>(width), side, false);
    Put(b, static_cast<uint32_t>(height), side, false);
    Put(b, 1, 2, false);
    Put(b, 24, 2, false);
    return b;
}

Bytes Gif(uint32_t width, uint32_t height) {
    Bytes b = {'G', 'I', 'F', '8', '9', 'a'};
    Put(b, width, 2, false);
    Put(b, height, 2, false);
    b.push_back(0);
    return b;
}

// Read from a buffer of exactly `size` bytes, so that a read past the end is caught.
ImageHeaderSize ReadExact(const Bytes& bytes, size_t size) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[size > 0 ? size : 1]);
    if (size > 0)
        std::memcpy(copy.get(), bytes.data(), size);
    return ReadImageHeaderSize(copy.get(), size);
}

void ExpectSize(const Bytes& bytes, int64_t width, int64_t height) {
    const ImageHeaderSize s = ReadExact(bytes, bytes.size());
    EXPECT_EQ(std::tuple(s.known, s.width, s.height), std::tuple(true, width, height));
}

void ExpectUnknown(const Bytes& bytes) {
    EXPECT_FALSE(ReadExact(bytes, bytes.size()).known);
}

} // namespace

TEST(ImageHeader, SizesClaimedByEachFormatNothingWithoutAHeaderNeverReadPastItsEnd) {
    ExpectSize(Png(0x7FFFFFFF, 3), 0x7FFFFFFF, 3);
    ExpectSize(Jpeg(0xC0, 1280, 960), 1280, 960);
    ExpectSize(Jpeg(0xC2, 30000, 30000), 30000, 30000); // progressive
    ExpectSize(Bmp(40, 640, 480), 640, 480);
    ExpectSize(Bmp(40, 640, -480), 640, 480); // rows stored top-down
    ExpectSize(Bmp(40, 7, INT32_MIN), 7, int64_t{1} << 31);
    ExpectSize(Bmp(12, 65535, 2), 65535, 2);
    ExpectSize(Gif(320, 200), 320, 200);

    ExpectUnknown({});
    ExpectUnknown({'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'});
    ExpectUnknown(Png(0, 480));
    ExpectUnknown(Bmp(40, -640, 480));
    ExpectUnknown(Gif(0, 0));
    ExpectUnknown(Jpeg(0xC0, 640, 0)); // height defined later in the stream: let the decoder tell

    // Image data before any frame header, and a segment length below 2.
    Bytes scanFirst = {0xFF, 0xD8};
    Segment(scanFirst, 0xDA, Bytes(4, 0));
    Segment(scanFirst, 0xC0, FrameBody(8, 8));
    ExpectUnknown(scanFirst);
    ExpectUnknown({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x01, 0xFF, 0xC0});

    // No reader of the header of the format: TIFF.
    ExpectUnknown({'I', 'I', 42, 0, 8, 0, 0, 0});
    EXPECT_FALSE(ReadImageHeaderSize(nullptr, 100).known);

    const Bytes samples[] = {Png(30000, 30000), Jpeg(0xC0, 1280, 960), Bmp(40, 640, 480), Bmp(12, 640, 480),
                             Gif(320, 200)};
    for (const Bytes& sample : samples) {
        const ImageHeaderSize whole = ReadExact(sample, sample.size());
        ASSERT_TRUE(whole.known);
        bool seenKnown = false;
        for (size_t size = 0; size < sample.size(); ++size) {
            const ImageHeaderSize part = ReadExact(sample, size);
            // Once the size is within the bytes it stays known and right.
            if (part.known) {
                EXPECT_EQ(part.width, whole.width) << size;
                EXPECT_EQ(part.height, whole.height) << size;
                seenKnown = true;
            } else {
                EXPECT_FALSE(seenKnown) << size;
            }
        }
    }
}
