// The scale fields and text entry written into encoded photos, read back by an independent reader,
// and the measurement table the photo and the clipboard carry.
#include "base/string_table.h"
#include "measure/calibration.h"
#include "measure/measure_table.h"
#include "output/photo_metadata.h"
#include "tests/unit/image_fields_reader.h"

#include "tests/unit/measure_test_support.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

namespace {

void Chunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
    const uint32_t n = static_cast<uint32_t>(data.size());
    for (int s : {24, 16, 8, 0})
        png.push_back(static_cast<uint8_t>(n >> s));
    const size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    const uint32_t crc = PngCrc(png.data() + start, png.size() - start);
    for (int s : {24, 16, 8, 0})
        png.push_back(static_cast<uint8_t>(crc >> s));
}

// What an encoder leaves: a header, its own 96-dpi pHYs, picture data and the end.
std::vector<uint8_t> EncodedPng() {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Chunk(png, "IHDR", {0, 0, 0, 4, 0, 0, 0, 3, 8, 2, 0, 0, 0});
    Chunk(png, "pHYs", {0, 0, 0x0E, 0xC4, 0, 0, 0x0E, 0xC4, 1});
    Chunk(png, "IDAT", {1, 2, 3, 4, 5});
    Chunk(png, "IEND", {});
    return png;
}

std::vector<uint8_t> EncodedJpeg(bool withJfif) {
    std::vector<uint8_t> jpeg = {0xFF, 0xD8};
    if (withJfif)
        jpeg.insert(jpeg.end(), {0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 1, 0, 96, 0, 96, 0, 0});
    jpeg.insert(jpeg.end(), {0xFF, 0xDB, 0, 3, 7, 0xFF, 0xDA, 0, 2, 9, 9, 0xFF, 0xD9});
    return jpeg;
}

TEST(PhotoScale, FieldsHoldTheCalibrationOrTheirDefaultWhereItDoesNotFit) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float scale;
        int unit;
        uint32_t ppm;
        JfifDensity jfif;
    };
    const Case cases[] = {
        {100.0f, UNIT_MILLIMETRE, 100000, {1, 2540}},
        {0.5f, UNIT_MICROMETRE, 500000, {1, 12700}},
        {5000.0f, UNIT_MILLIMETRE, 5000000, {2, 50000}}, // too fine for dots per inch
        {10.0f, UNIT_MICROMETRE, 10000000, {}},          // too fine for JFIF at all
        {0.01f, UNIT_MILLIMETRE, 10, {}},                // under one dot per inch
        {1e7f, UNIT_MICROMETRE, 0, {}},                  // past pHYs's 31 bits
        {-1.0f, UNIT_MILLIMETRE, 0, {}},
        {nan, UNIT_MILLIMETRE, 0, {}},
        {inf, UNIT_MICROMETRE, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        EXPECT_EQ(PixelsPerMetre(c.scale, c.unit), c.ppm);
        EXPECT_EQ(JfifDensityOf(c.scale, c.unit), c.jfif);
    }
}

TEST(PhotoScale, PngGetsOnePhysOfTheScaleAndTheNoteAndStaysReadable) {
    std::vector<uint8_t> png = EncodedPng();
    const std::string note = Utf8Of(L"Calibration: Objektiv \u00B5 4x\nUnit: \u03BCm\n");
    ASSERT_TRUE(AddPngScale(png, 123456, note));
    const ImageFields f = ReadPngFields(png);
    EXPECT_TRUE(f.wellFormed); // every chunk's CRC holds
    EXPECT_EQ(std::tuple(bool(f.hasScale), f.x, f.y), std::tuple(true, 123456u, 123456u));
    EXPECT_EQ(f.texts, std::vector<std::string>{note});
    int phys = 0;
    for (size_t at = 0; (at = std::string(png.begin(), png.end()).find("pHYs", at)) != std::string::npos;
         ++at)
        ++phys;
    EXPECT_EQ(phys, 1);

    // Without a calibration the encoder's bytes stay as they are.
    std::vector<uint8_t> plain = EncodedPng();
    ASSERT_TRUE(AddPngScale(plain, 0, {}));
    EXPECT_EQ(plain, EncodedPng());
}

TEST(PhotoScale, MalformedBytesAreLeftAlone) {
    std::vector<std::vector<uint8_t>> inputs;
    const std::vector<uint8_t> png = EncodedPng();
    inputs.push_back({});
    inputs.push_back(std::vector<uint8_t>(png.begin(), png.end() - 5)); // no whole IEND
    std::vector<uint8_t> huge = png;
    huge[8 + 25 + 3] = 0xFF; // pHYs's length points past the end
    inputs.push_back(huge);
    std::vector<uint8_t> headless = png;
    headless[12] = 'X'; // the first chunk is not the header
    inputs.push_back(headless);
    for (std::vector<uint8_t> bytes : inputs) {
        const std::vector<uint8_t> before = bytes;
        EXPECT_FALSE(AddPngScale(bytes, 1000, "x"));
        EXPECT_EQ(bytes, before);
        EXPECT_FALSE(AddJpegScale(bytes, {1, 100}, "x"));
        EXPECT_EQ(bytes, before);
    }
}

TEST(PhotoScale, JpegDensityInItsJfifSegmentOrANewOneAndTheCommentAfterIt) {
    for (bool withJfif : {true, false}) {
        SCOPED_TRACE(withJfif);
        std::vector<uint8_t> jpeg = EncodedJpeg(withJfif);
        ASSERT_TRUE(AddJpegScale(jpeg, {2, 1234}, "Unit: mm"));
        const ImageFields f = ReadJpegFields(jpeg);
        EXPECT_TRUE(f.wellFormed);
        EXPECT_EQ(std::tuple(f.units, f.x, f.y), std::tuple(2, 1234u, 1234u));
        EXPECT_EQ(f.texts, std::vector<std::string>{"Unit: mm"});
        EXPECT_EQ(jpeg[3], 0xE0); // JFIF stays the first segment
        const std::vector<uint8_t> body = EncodedJpeg(false);
        EXPECT_EQ(std::vector<uint8_t>(jpeg.end() - 13, jpeg.end()),
                  std::vector<uint8_t>(body.begin() + 2, body.end()));
    }
    // A scale JFIF cannot hold leaves the density as the encoder wrote it.
    std::vector<uint8_t> jpeg = EncodedJpeg(true);
    ASSERT_TRUE(AddJpegScale(jpeg, {}, "n"));
    EXPECT_EQ(ReadJpegFields(jpeg).x, 96u);
    std::vector<uint8_t> bare = EncodedJpeg(false);
    ASSERT_TRUE(AddJpegScale(bare, {}, {}));
    EXPECT_EQ(bare, EncodedJpeg(false));
}

TEST(PhotoScale, LongNoteIsCutToOneSegmentAtACharacterBoundary) {
    std::vector<uint8_t> jpeg = EncodedJpeg(true);
    ASSERT_TRUE(AddJpegScale(jpeg, {1, 100}, Utf8Of(std::wstring(40000, L'\u00E9'))));
    const ImageFields f = ReadJpegFields(jpeg);
    ASSERT_TRUE(f.wellFormed);
    ASSERT_EQ(f.texts.size(), 1u);
    EXPECT_EQ(f.texts[0], Utf8Of(std::wstring(32766, L'\u00E9')));
}

TEST(PhotoScale, NoteNamesTheCalibrationAndListsTheMeasurements) {
    SelectLanguage(0);
    const std::vector<MeasureShape> shapes = {
        MakeShape(TOOL_LINE, {0, 0}, {30, 40}),
        MakeShape(TOOL_CIRCLE, {100, 100}, {100, 110}),
        MakeShape(TOOL_TEXT, {5, 5}, {60, 20}, kUnplacedPoint, L"crack\there"),
        MakeShape(TOOL_ANGLE, {0, 0}, {0, 10}, {10, 0}),
    };
    const std::wstring table = MeasurementTable(shapes, 10.0f, L"mm");
    EXPECT_EQ(table, L"No.\tKind\tValue 1\tValue 2\tValue 3\tText\r\n"
                     L"1\tLine\t5.00000mm\t\t\t\r\n"
                     L"2\tCircle\tR:1.00000mm\tC:6.28318mm\tS:3.14159mm^2\t\r\n"
                     L"3\tText\t\t\t\tcrack here\r\n"
                     L"4\tAngle\t90.000\u00B0\t\t\t\r\n");
    EXPECT_EQ(MeasurementTable({}, 10.0f, L"mm"), L"");

    const std::string note = PhotoScaleNote(L"Objective 10x", L"\u03BCm", 2.5f, table);
    EXPECT_EQ(note.substr(0, note.find("No.")),
              "Calibration: Objective 10x\nUnit: \xCE\xBCm\nPixels per unit: 2.5000\n");
    EXPECT_EQ(note.find('\r'), std::string::npos);
    EXPECT_NE(note.find("3\tText\t\t\t\tcrack here\n"), std::string::npos);
}

} // namespace
