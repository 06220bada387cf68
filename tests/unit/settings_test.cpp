#include "base/app_settings.h"
#include "measure/calibration.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

namespace {

// A registry key as a map from value name to what a read returns.
using FakeKey = std::map<std::wstring, RegistryValue>;

// What LoadSettings does with the values of an open key (steps without the platform).
AppSettings LoadFrom(const FakeKey& key) {
    AppSettings s = KeyUnavailableSettings();
    for (const SettingValue& value : kSettingValues) {
        auto it = key.find(value.name);
        if (it == key.end() || it->second.data.size() > SettingReadBufferBytes(value)) {
            LoadSettingValue(s, value, kRegNone, nullptr, 0);
        } else {
            LoadSettingValue(s, value, it->second.type, it->second.data.data(), it->second.data.size());
        }
    }
    ApplySettingsRangeChecks(s);
    return s;
}

FakeKey SaveTo(const AppSettings& s) {
    FakeKey key;
    for (const SettingValue& value : kSettingValues) {
        key[value.name] = SaveSettingValue(s, value);
    }
    return key;
}

AppSettings Checked(AppSettings s) {
    ApplySettingsRangeChecks(s);
    return s;
}

std::wstring PathOf(size_t length, wchar_t fill) {
    std::wstring path = L"C:\\";
    path.append(length - path.size(), fill);
    return path;
}

} // namespace

TEST(SettingsRangeChecks, OutOfRangeNumbersAndColoursAreReplacedAndTheDefaultsPass) {
    // Per field: stored value -> value after the checks.
    const struct {
        int AppSettings::*field;
        std::vector<std::pair<int, int>> values;
    } cases[] = {{&AppSettings::lineWidth, {{0, 1}, {1, 1}, {2, 2}, {3, 1}, {-1, 1}}},
                 {&AppSettings::textSize, {{7, 10}, {8, 8}, {24, 24}, {25, 10}, {30, 10}}},
                 {&AppSettings::photoFormat, {{0, 0}, {1, 1}, {2, 0}, {-1, 0}}},
                 {&AppSettings::maxRecordSeconds, {{0, 0}, {28800, 28800}, {28801, 0}, {-1, 0}}}};
    for (const auto& c : cases) {
        for (auto [stored, loaded] : c.values) {
            AppSettings s = KeyUnavailableSettings();
            s.*c.field = stored;
            EXPECT_EQ(Checked(s).*c.field, loaded) << "stored " << stored;
        }
    }

    for (uint32_t AppSettings::*field :
         {&AppSettings::gridColor, &AppSettings::lineColor, &AppSettings::textColor}) {
        AppSettings s;
        for (uint32_t color : kPaletteColors) {
            s.*field = color;
            EXPECT_EQ(Checked(s).*field, color);
        }
        for (uint32_t color : {0x000000u, 0xFFFFFFu, 0x0000FEu, 0x010000FFu, 0xFFFFFFFFu}) {
            s.*field = color;
            EXPECT_EQ(Checked(s).*field, 0x00FF00u) << std::hex << color;
        }
    }

    const AppSettings s = KeyUnavailableSettings();
    EXPECT_EQ(std::tuple(s.gridColor, s.lineWidth, s.textSize, s.maxRecordSeconds),
              std::tuple(0x0000FFu, 2, 12, 10));
    EXPECT_EQ(Checked(s), s);
}

TEST(SettingsValues, SaveThenLoadGivesTheSameRecordUnreadableValuesAbsentLongTextsCut) {
    const AppSettings s = {.language = 12,
                           .useMjpg = 1,
                           .frameWidth = 1920,
                           .frameHeight = 1080,
                           .interpolated = 1,
                           .saveFolder = PathOf(259, L'f'),
                           .gridColor = 0x000080,
                           .lineColor = 0xFF00FF,
                           .lineWidth = 2,
                           .textColor = 0x00FFFF,
                           .textSize = 24,
                           .photoFormat = 1,
                           .maxRecordSeconds = 28800,
                           .calibrationsText = std::wstring(kCalibrationsCapacity - 1, L'c'),
                           .latestFilesText = std::wstring(1023, L'l')};

    // A value left out of the table or written twice would not bring its field back.
    const FakeKey key = SaveTo(s);
    EXPECT_EQ(key.at(L"ImgDir").type, kRegSz);
    EXPECT_EQ(key.at(L"ImgDir").data.size(), 2 * 260u);
    EXPECT_EQ(key.at(L"MaxRecordTime").type, kRegDword);
    EXPECT_EQ(LoadFrom(key), s);

    // Values of the wrong type or size load as absent.
    AppSettings stored = KeyUnavailableSettings();
    stored.saveFolder = L"C:\\Pictures";
    stored.calibrationsText = L"cal";
    std::tie(stored.textSize, stored.lineWidth, stored.maxRecordSeconds) = std::tuple(20, 2, 600);
    FakeKey spoilt = SaveTo(stored);

    spoilt[L"TextSize"] = EncodeStringValue(L"20");                // string for a number
    spoilt[L"LineWidth"] = {kRegBinary, {2, 0, 0, 0, 0, 0, 0, 0}}; // 8-byte binary
    spoilt[L"MaxRecordTime"] = {kRegDword, {0x58, 0x02, 0}};       // 3-byte DWORD
    spoilt[L"ImgDir"] = {kRegExpandSz, EncodeStringValue(L"%USERPROFILE%").data};
    spoilt[L"Calibrations"] = {kRegSz, {'c', 0, 'a', 0, 'l', 0}};         // no terminator
    spoilt[L"LatestFiles"] = EncodeStringValue(std::wstring(1024, L'x')); // longer than the field

    const AppSettings read = LoadFrom(spoilt);
    EXPECT_EQ(std::tuple(read.textSize, read.lineWidth, read.maxRecordSeconds), std::tuple(14, 1, 30));
    EXPECT_EQ(read.saveFolder + read.calibrationsText + read.latestFilesText, L"");

    // Text longer than its field is cut when written.
    AppSettings longer;
    longer.saveFolder = PathOf(300, L'f');
    longer.calibrationsText = std::wstring(kCalibrationsCapacity + 100, L'c');
    const AppSettings cut = LoadFrom(SaveTo(longer));
    EXPECT_EQ(cut.saveFolder, longer.saveFolder.substr(0, 259));
    EXPECT_EQ(cut.calibrationsText, std::wstring(kCalibrationsCapacity - 1, L'c'));

    // The longest calibration table is written and read back whole.
    // Every slot at its widest: a full name and the longest decimal of each number.
    CalibrationTable table;
    for (size_t i = 0; i < table.size(); ++i) {
        Calibration& slot = table[i];
        slot.name = std::wstring(kCalibrationNameMax - 1, static_cast<wchar_t>(L'A' + i)) + L"\u00e9";
        slot.unit = INT_MIN;
        slot.pixels = INT_MIN;
        slot.length = std::bit_cast<float>(0xFFFFFFFFu);
        slot.date = INT_MIN;
        slot.resolution = 0x80000000u;
    }
    AppSettings widest;
    widest.calibrationsText = FormatCalibrations(table);
    EXPECT_LT(widest.calibrationsText.size(), kCalibrationsCapacity - 1);

    const AppSettings whole = LoadFrom(SaveTo(widest));
    ASSERT_EQ(whole.calibrationsText, widest.calibrationsText);
    const CalibrationTable back = ParseCalibrations(whole.calibrationsText);
    EXPECT_EQ(std::tuple(back[9].name, back[9].pixels, back[9].resolution),
              std::tuple(table[9].name, INT_MIN, 0x80000000u));
}

TEST(LatestFiles, StopsOnceTheTextHolds740CharactersAndNeverBeyondTheField) {
    // Three 259-character paths make 780 characters: no fourth one.
    const std::vector<std::wstring> longest = {PathOf(259, L'a'), PathOf(259, L'b'), PathOf(259, L'c'),
                                               PathOf(259, L'd'), PathOf(259, L'e')};
    const std::wstring text = FormatLatestFiles(longest);
    EXPECT_EQ(text, longest[4] + L";" + longest[3] + L";" + longest[2] + L";");

    // Exactly 740 after two entries: stop; 739: one more.
    const std::wstring old = L"C:\\old.jpg";
    EXPECT_EQ(FormatLatestFiles({old, PathOf(369, L'x'), PathOf(369, L'y')}).size(), 740u);
    const std::wstring below = FormatLatestFiles({old, PathOf(369, L'x'), PathOf(368, L'y')});
    EXPECT_EQ(below.size(), 739u + old.size() + 1);
    EXPECT_TRUE(below.ends_with(old + L";"));

    // Paths longer than the program makes: stop at the first that would not fit.
    EXPECT_EQ(FormatLatestFiles({L"C:\\a.jpg", PathOf(600, L'x'), PathOf(700, L'y')}),
              PathOf(700, L'y') + L";");
    EXPECT_EQ(FormatLatestFiles({PathOf(1022, L'z')}).size(), 1023u);
    EXPECT_EQ(FormatLatestFiles({PathOf(1023, L'z')}), L"");
}

TEST(ThumbnailsPath, UnderTheSaveFolderAndThePrefixesToCreate) {
    using V = std::vector<std::wstring>;
    EXPECT_EQ(DirectoryPrefixes(L"C:\\a\\b"), (V{L"C:\\a", L"C:\\a\\b"}));
    EXPECT_EQ(DirectoryPrefixes(L"C:\\a\\b\\"), (V{L"C:\\a", L"C:\\a\\b"}));
    EXPECT_EQ(DirectoryPrefixes(L"C:/a\\\\b"), (V{L"C:/a", L"C:/a\\\\b"}));
    EXPECT_EQ(DirectoryPrefixes(L"C:\\"), V{});
    EXPECT_EQ(DirectoryPrefixes(L""), V{});

    EXPECT_EQ(ThumbnailsFolderPath(L"C:\\Photos"), L"C:\\Photos\\Thumbnails");
    EXPECT_EQ(ThumbnailsFolderPath(L"D:\\"), L"D:\\Thumbnails");
    EXPECT_EQ(ThumbnailsFolderPath(L""), L"");
}
