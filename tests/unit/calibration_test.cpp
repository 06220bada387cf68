#include "measure/calibration.h"

#include "tests/unit/measure_test_support.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <tuple>
#include <vector>

namespace {

void ExpectSameSlot(const Calibration& a, const Calibration& b) {
    EXPECT_EQ(std::tuple(a.name, a.unit, a.pixels, std::bit_cast<uint32_t>(a.length), a.date, a.resolution),
              std::tuple(b.name, b.unit, b.pixels, std::bit_cast<uint32_t>(b.length), b.date, b.resolution));
    if (std::isnan(a.scale))
        EXPECT_TRUE(std::isnan(b.scale));
    else
        EXPECT_EQ(a.scale, b.scale);
}

} // namespace

TEST(CalibrationText, EmptySlotsExampleRecordAndLengthBits) {
    // Ten empty slots take 110 characters.
    EXPECT_EQ(FormatCalibrations(CalibrationTable{}).size(), 110u);
    EXPECT_EQ(FormatCalibrations(CalibrationTable{}).substr(0, 11), L",0,0,0,0,0;");
    CalibrationTable table;
    table[0] = MakeCalibration(L"Stage A", 0, 400, 1.0f, 20240131, PackResolution(1280, 720));
    const std::wstring text = FormatCalibrations(table);
    EXPECT_EQ(text.substr(0, 43), L"Stage A,0,400,1065353216,20240131,47187200;");
    const CalibrationTable back = ParseCalibrations(text);
    EXPECT_EQ(std::tuple(back[0].length, back[0].scale, back[0].resolution),
              std::tuple(1.0f, 400.0f, 47187200u));
}

TEST(CalibrationText, ShortOrMalformedRecordsReadAsStoredEachCostingItsOwnSlotOnly) {
    // Three records: slots 3..9 stay empty.
    CalibrationTable t =
        ParseCalibrations(L"a,0,400,1065353216,0,0;b,1,300,1065353216,0,0;c,0,200,1065353216,0,0;");
    EXPECT_EQ(std::tuple(t[2].name, t[2].scale, t[3].name, t[3].scale), std::tuple(L"c", 200.0f, L"", -1.0f));

    // No terminating semicolon: the record is not taken.
    t = ParseCalibrations(L"a,0,400,1065353216,0,0");
    EXPECT_TRUE(t[0].name.empty());

    // Non-numeric and empty fields read 0; the slot is then not calibrated.
    t = ParseCalibrations(L"n,x,,abc,,;");
    EXPECT_EQ(std::tuple(t[0].name, t[0].unit, t[0].pixels, t[0].scale), std::tuple(L"n", 0, 0, -1.0f));

    // Leading digits after a sign count; the rest of the field is ignored.
    t = ParseCalibrations(L"n,+1x,400px,1065353216,2024,0;");
    EXPECT_EQ(std::tuple(t[0].unit, t[0].pixels, t[0].scale), std::tuple(1, 400, 400.0f));

    // The next settings save writes back whatever was loaded, so a spoilt record must not take
    // the later slots with it.
    CalibrationTable good;
    for (size_t i = 0; i < kCalibrationSlots; ++i)
        good[i] = MakeCalibration(L"s" + std::to_wstring(i), i % 2, 100 + int(i), 1.0f, 20240101, 0);
    std::vector<std::wstring> records;
    const std::wstring text = FormatCalibrations(good);
    for (size_t from = 0, end; (end = text.find(L';', from)) != std::wstring::npos; from = end + 1)
        records.push_back(text.substr(from, end + 1 - from));
    ASSERT_EQ(records.size(), kCalibrationSlots);

    const struct {
        size_t bad;
        const wchar_t* record;
    } cases[] = {{0, L"b,1,300;"}, {4, L"garbage between records;"}, {9, L";"}, {4, L"x,1,2,3\x01;"}};
    for (const auto& c : cases) {
        std::wstring spoilt;
        for (size_t i = 0; i < kCalibrationSlots; ++i)
            spoilt += i == c.bad ? std::wstring(c.record) : records[i];
        const CalibrationTable back = ParseCalibrations(spoilt);
        for (size_t i = 0; i < kCalibrationSlots; ++i) {
            SCOPED_TRACE(testing::Message() << "bad slot " << c.bad << ", slot " << i);
            if (i == c.bad) {
                EXPECT_TRUE(back[i].name.empty());
                EXPECT_EQ(back[i].scale, -1.0f);
            } else {
                ExpectSameSlot(good[i], back[i]);
            }
        }
    }
}

TEST(CalibrationText, LengthsThatAreNoPositiveNumberAreUncalibratedNamesAreCut) {
    const uint32_t nan = std::bit_cast<uint32_t>(std::numeric_limits<float>::quiet_NaN());
    const uint32_t inf = std::bit_cast<uint32_t>(std::numeric_limits<float>::infinity());
    const uint32_t negative = std::bit_cast<uint32_t>(-2.0f);
    for (uint32_t bits : {nan, inf, negative, 0u, 0x80000000u}) {
        const std::wstring text = L"n,0,400," + std::to_wstring(bits) + L",0,0;";
        EXPECT_EQ(ParseCalibrations(text)[0].scale, -1.0f) << bits;
    }
    // A tiny denormal length would give an infinite scale.
    EXPECT_EQ(ParseCalibrations(L"n,0,400,1,0,0;")[0].scale, -1.0f);
    // Fields far beyond 32 bits read as nonsense (0), not as a wrapped value.
    EXPECT_EQ(ParseCalibrations(L"n,0,400,99999999999999999999,0,0;")[0].scale, -1.0f);

    CalibrationTable table;
    table[0] = MakeCalibration(L"a name that is much too long", 0, 400, 1.0f, 0, 0);
    table[1] = MakeCalibration(L"x,y;z", 1, 500, 2.0f, 0, 0);
    const CalibrationTable back = ParseCalibrations(FormatCalibrations(table));
    EXPECT_EQ(back[0].name, L"a name that is much"); // 19 characters
    EXPECT_EQ(std::tuple(back[1].name, back[1].scale), std::tuple(std::wstring(L"x y z"), 250.0f));
    EXPECT_EQ(ParseCalibrations(L"twenty characters ab,0,400,1065353216,0,0;")[0].name,
              L"twenty characters a");
}

TEST(CalibrationText, RandomTablesRoundTrip) {
    std::mt19937 rng(1234);
    std::uniform_int_distribution<int> small(0, 5000);
    std::uniform_int_distribution<uint32_t> bits;
    std::uniform_int_distribution<int> chars(0x20, 0x7E);
    for (int round = 0; round < 200; ++round) {
        CalibrationTable table;
        for (Calibration& slot : table) {
            if (rng() % 3 == 0)
                continue; // leave some empty
            std::wstring name;
            const int n = static_cast<int>(rng() % 20);
            for (int i = 0; i < n; ++i) {
                wchar_t c = static_cast<wchar_t>(chars(rng));
                name.push_back(c == L',' || c == L';' ? L'_' : c);
            }
            name.push_back(L'\u00B5'); // beyond ASCII too
            slot = MakeCalibration(ClampCalibrationName(name), static_cast<int>(rng() % 2), small(rng),
                                   std::bit_cast<float>(bits(rng)), 20000101 + small(rng), bits(rng));
        }
        const CalibrationTable back = ParseCalibrations(FormatCalibrations(table));
        for (size_t i = 0; i < kCalibrationSlots; ++i)
            ExpectSameSlot(table[i], back[i]);
    }
}

TEST(RulerStep, NearestToOneHundredPixelsAndNoneUncalibratedOrOutOfRange) {
    // Scale, pixels, step: 0.2 -> 80 px; 0.1 -> 100 px; 50 -> 150 px, 20 -> 60 px: 20 is nearer (40 vs 50).
    for (const auto& [scale, pixels, step] :
         {std::tuple{400.0f, 80, 0.2f}, {1000.0f, 100, 0.1f}, {3.0f, 60, 20.0f}}) {
        EXPECT_EQ(ComputeRulerStep(scale).pixels, pixels) << scale;
        EXPECT_FLOAT_EQ(ComputeRulerStep(scale).step, step) << scale;
    }

    for (float scale : {-1.0f, 0.0f, 2000001.0f, 1e30f, std::numeric_limits<float>::quiet_NaN()}) {
        const RulerStep r = ComputeRulerStep(scale);
        EXPECT_EQ(r.pixels, 0) << scale;
        EXPECT_EQ(r.step, 0.0f) << scale;
    }
    EXPECT_GT(ComputeRulerStep(1500000.0f).pixels, 0); // 0.0001 -> 150 px still fits
    EXPECT_EQ(ComputeRulerStep(1.0f).pixels, 50);      // 50 units -> 50 px, the largest step

    EXPECT_STREQ(UnitText(0), L"mm");
    EXPECT_STREQ(UnitText(1), L"\u03BCm");
    EXPECT_STREQ(UnitText(7), L"\u03BCm");
}
