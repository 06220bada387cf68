// The settings store against Wine's registry, shell folders and file system.
#include "base/app_settings.h"
#include "base/string_table.h"
#include "measure/calibration.h"
#include "output/recent_files.h"
#include "output/settings_store.h"

#include <windows.h>
#include "tests/support/file_bytes.h"
#include "tests/support/win32_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace {

// A value stored as it is given, whatever its type and size, less its last `cut` bytes.
struct RawValue {
    const wchar_t* name;
    DWORD type;
    std::vector<BYTE> bytes;
    size_t cut = 0;
};

// A text with its terminator.
std::vector<BYTE> Chars(const std::wstring& text) {
    const auto* first = reinterpret_cast<const BYTE*>(text.c_str());
    return std::vector<BYTE>(first, first + (text.size() + 1) * sizeof(wchar_t));
}

void WriteRaw(const RawValue& value) {
    EXPECT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, SettingsKeyPath().c_str(), value.name, value.type,
                              value.bytes.data(), static_cast<DWORD>(value.bytes.size() - value.cut)),
              ERROR_SUCCESS);
}

// A folder of the prefix's temporary folder, not yet there.
std::wstring FreshTempPath(const wchar_t* name) {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    std::wstring path = std::wstring(base) + L"vantix-settings-" + name;
    EXPECT_FALSE(IsDirectory(path)) << "left over from another case";
    return path;
}

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        ASSERT_FALSE(SavedValueCount());
        g_settings = AppSettings();
        g_calibration.slots = CalibrationTable();
    }
};

TEST_F(SettingsStore, FirstStartAndValuesOfTheWrongTypeOrSizeGiveTheDefaults) {
    SelectLanguage(2);
    ASSERT_EQ(LoadSettings(), 1);

    const std::wstring expectedFolder = DocumentsFolder() + L"\\Vantix Files";
    const AppSettings expected = {.saveFolder = expectedFolder,
                                  .gridColor = 0x00FF00,
                                  .lineColor = 0x00FF00,
                                  .lineWidth = 1,
                                  .textColor = 0x00FF00,
                                  .textSize = 14,
                                  .maxRecordSeconds = 30,
                                  .calibrationsText = L"",
                                  .latestFilesText = L""};
    EXPECT_EQ(g_settings, expected);
    EXPECT_EQ(GetText("device"), L"Device");
    EXPECT_TRUE(IsDirectory(expectedFolder));
    EXPECT_EQ(SavedValueCount(), 0u);

    // A second start with the folder already there is the same; so are values of the wrong type or
    // size as the registry hands them over (which types and sizes a value takes: unit tests).
    const RawValue values[] = {
        {L"MaxRecordTime", REG_DWORD, {0x58, 0x02, 0}},
        // The registry adds a terminator that directly follows the data, so none may follow it here.
        {L"ImgDir", REG_SZ, Chars(L"C:\\photosX"), 2 * sizeof(wchar_t)},
        {L"Calibrations", REG_MULTI_SZ, Chars(std::wstring(L"C:\\a.jpg\0\0", 10))},
        {L"GridColor", REG_BINARY, {0xFF, 0, 0, 0}}, // a palette colour, so taking it would show
    };
    for (const RawValue& value : values)
        WriteRaw(value);
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_EQ(g_settings, expected);

    // Right up to their fields' size they load.
    WriteSetting(L"Calibrations", std::wstring(kCalibrationsCapacity - 1, L'c'));
    WriteSetting(L"TextSize", DWORD{20});
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_EQ(g_settings.calibrationsText, std::wstring(kCalibrationsCapacity - 1, L'c'));
    EXPECT_EQ(g_settings.textSize, 20);
}

CalibrationTable FullTable() {
    CalibrationTable table;
    for (size_t i = 0; i < table.size(); ++i) {
        Calibration& slot = table[i];
        // 19 characters, one of them outside ASCII.
        slot.name = L"Objective \u03BC" + std::wstring(7, static_cast<wchar_t>(L'a' + i)) + L"!";
        slot.unit = static_cast<int>(i % 2);
        slot.pixels = 200 + 97 * static_cast<int>(i);
        slot.length = 0.25f * static_cast<float>(i + 1);
        slot.date = 20240101 + static_cast<int>(i);
        slot.resolution = PackResolution(1920, 1080);
        slot.scale = DeriveScale(slot.pixels, slot.length);
    }
    return table;
}

auto Fields(const Calibration& c) {
    return std::tie(c.name, c.unit, c.pixels, c.length, c.date, c.resolution, c.scale);
}

} // namespace

// Every field, ten calibrations with full names and the five newest of seven files.
TEST_F(SettingsStore, EverythingSurvivesSaveAndLoad) {
    const std::wstring folder = (FreshTempPath(L"") + std::wstring(259, L'f')).substr(0, 259);
    g_settings = KeyUnavailableSettings();
    AppSettings& g = g_settings;
    std::tie(g.language, g.useMjpg, g.frameWidth, g.frameHeight, g.interpolated, g.saveFolder, g.gridColor,
             g.lineColor, g.lineWidth, g.textColor, g.textSize, g.photoFormat, g.maxRecordSeconds) =
        std::tuple(5, 1, 1280, 720, 1, folder, 0x800080, 0xFFFF00, 2, 0x008080, 8, 1, 7200);
    const CalibrationTable table = FullTable();
    g_calibration.slots = table;
    RecentFiles recent;
    std::wstring newest;
    for (int i = 1; i <= 7; ++i) {
        const std::wstring file = L"C:\\latest\\photo" + std::to_wstring(i) + L".jpg";
        AddRecentFile(recent, file);
        if (i >= 3)
            newest = file + L";" + newest;
    }
    SetLatestFiles(recent);
    ASSERT_EQ(SaveSettings(), 1);
    const AppSettings saved = g_settings;
    EXPECT_EQ(SavedString(L"LatestFiles"), newest);

    g_settings = AppSettings();
    g_calibration.slots = CalibrationTable();
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_EQ(g_settings, saved);
    EXPECT_NE(GetText("device"), L"Device");
    for (size_t i = 0; i < table.size(); ++i)
        EXPECT_EQ(Fields(g_calibration.slots[i]), Fields(table[i])) << i;

    // No files: the list is stored empty.
    recent.paths.clear();
    SetLatestFiles(recent);
    ASSERT_EQ(SaveSettings(), 1);
    EXPECT_EQ(SavedString(L"LatestFiles"), L"");

    // A language this program does not know shows English and is kept.
    WriteSetting(L"Language", DWORD{12});
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_EQ(g_settings.language, 12);
    EXPECT_EQ(GetText("device"), L"Device");
    ASSERT_EQ(SaveSettings(), 1);
    EXPECT_EQ(SavedDword(L"Language"), 12u);
}

// Saving makes the save folder and its Thumbnails folder; where it cannot (a read-only file in
// the way, a drive or characters that cannot be), the values are still saved and the file is
// left as it was.
TEST_F(SettingsStore, SaveMakesTheSaveFolderOrStillSavesTheValues) {
    const std::wstring made = FreshTempPath(L"thumbs") + L"\\photos";
    g_settings = KeyUnavailableSettings();
    g_settings.saveFolder = made;
    ASSERT_EQ(SaveSettings(), 1);
    EXPECT_TRUE(IsDirectory(made + L"\\Thumbnails"));

    const std::wstring base = FreshTempPath(L"blocked");
    ASSERT_TRUE(CreateDirectoryW(base.c_str(), nullptr));
    const std::wstring blocker = base + L"\\photos";
    CloseHandle(CreateFileW(blocker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(SetFileAttributesW(blocker.c_str(), FILE_ATTRIBUTE_READONLY));
    for (const std::wstring& folder :
         {blocker, blocker + L"\\deeper", std::wstring(L"Q:\\<>|"), std::wstring(L"C:\\bad<name>\\x")}) {
        SCOPED_TRACE(testing::Message() << folder.size());
        g_settings = KeyUnavailableSettings();
        g_settings.saveFolder = folder;
        g_settings.textSize = 22;
        ASSERT_EQ(SaveSettings(), 1);
        EXPECT_EQ(SavedString(L"ImgDir"), folder);
        EXPECT_EQ(SavedDword(L"TextSize"), 22u);
        EXPECT_FALSE(EnsureDirectoryPath(ThumbnailsFolderPath(folder)));
    }
    const DWORD attributes = GetFileAttributesW(blocker.c_str());
    EXPECT_EQ(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_NE(attributes & FILE_ATTRIBUTE_READONLY, 0u);
}

TEST_F(SettingsStore, MalformedCalibrationTextLoadsAsEmptySlots) {
    const std::wstring good = L"Stage A,0,400,1065353216,20240131,47187200;";
    struct Case {
        std::wstring stored;
        unsigned calibrated; // bit i: slot i comes out calibrated
    };
    // How each kind of spoilt record reads is the unit tests'; here the stored text reaches the slots.
    const Case cases[] = {
        {L"", 0},
        {good + good + L"x,0,400;" + good, 0b1011}, // a short record costs its own slot
        {std::wstring(kCalibrationsCapacity - 1, L','), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.stored.size() << " characters");
        WriteSetting(L"Calibrations", c.stored);
        g_calibration.slots = FullTable(); // whatever was there goes
        ASSERT_EQ(LoadSettings(), 1);
        for (size_t i = 0; i < g_calibration.slots.size(); ++i) {
            const bool calibrated = (c.calibrated >> i) & 1u;
            EXPECT_EQ(g_calibration.slots[i].scale, calibrated ? 400.0f : -1.0f) << i;
        }
        // The next save writes a well-formed text of ten records.
        ASSERT_EQ(SaveSettings(), 1);
        const std::optional<std::wstring> rewritten = SavedString(L"Calibrations");
        ASSERT_TRUE(rewritten);
        EXPECT_EQ(std::count(rewritten->begin(), rewritten->end(), L';'), 10);
    }
}
