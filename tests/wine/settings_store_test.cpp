// The settings store against Wine's registry, shell folders and file system.
#include "base/app_settings.h"
#include "output/settings_store.h"
#include "base/string_table.h"
#include "measure/calibration.h"
#include "output/recent_files.h"

#include <windows.h>
#include "tests/support/win32_support.h"
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

const std::wstring kKeyPath = SettingsKeyPath();

bool KeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKeyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

DWORD ValueCount() {
    HKEY key = nullptr;
    DWORD count = 0;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKeyPath.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                         nullptr, nullptr);
        RegCloseKey(key);
    }
    return count;
}

void WriteRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKeyPath.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

void WriteString(const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) {
    WriteRaw(name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

std::wstring DocumentsFolder() {
    wchar_t path[MAX_PATH] = {};
    EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path), S_OK);
    return path;
}

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsPlainFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// A folder of the prefix's temporary folder, not yet there.
std::wstring FreshTempPath(const wchar_t* name) {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    std::wstring path = std::wstring(base) + L"vantix-settings-" + name;
    EXPECT_FALSE(IsDirectory(path)) << "left over from another case";
    return path;
}

void MakeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
}

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kKeyPath.c_str());
        ASSERT_FALSE(KeyExists());
        g_settings = AppSettings();
        g_calibration.slots = CalibrationTable();
    }
};

} // namespace

TEST_F(SettingsStore, FirstStartGivesDefaultsAndCreatesTheKeyOnly) {
    SelectLanguage(2);
    ASSERT_EQ(LoadSettings(), 1);

    EXPECT_EQ(g_settings.language, 0);
    EXPECT_EQ(GetText("device"), L"Device");
    EXPECT_EQ(g_settings.useMjpg, 0);
    EXPECT_EQ(g_settings.frameWidth, 0);
    EXPECT_EQ(g_settings.frameHeight, 0);
    EXPECT_EQ(g_settings.interpolated, 0);
    EXPECT_EQ(g_settings.gridColor, 0x00FF00u);
    EXPECT_EQ(g_settings.lineColor, 0x00FF00u);
    EXPECT_EQ(g_settings.textColor, 0x00FF00u);
    EXPECT_EQ(g_settings.lineWidth, 1);
    EXPECT_EQ(g_settings.textSize, 14);
    EXPECT_EQ(g_settings.maxRecordSeconds, 30);
    EXPECT_EQ(g_settings.photoFormat, 0);
    EXPECT_TRUE(g_settings.calibrationsText.empty());
    EXPECT_TRUE(g_settings.latestFilesText.empty());

    const std::wstring expectedFolder = DocumentsFolder() + L"\\Vantix Files";
    EXPECT_EQ(g_settings.saveFolder, expectedFolder);
    EXPECT_TRUE(IsDirectory(expectedFolder));

    EXPECT_TRUE(KeyExists());
    EXPECT_EQ(ValueCount(), 0u);

    // A second start with the folder already there is the same.
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_EQ(g_settings.saveFolder, expectedFolder);
}

TEST_F(SettingsStore, ValuesOfTheWrongTypeOrSizeLoadAsAbsent) {
    WriteString(L"TextSize", L"20");
    const unsigned char eight[8] = {2, 0, 0, 0, 0, 0, 0, 0};
    WriteRaw(L"LineWidth", REG_BINARY, eight, sizeof eight);
    const unsigned char three[3] = {0x58, 0x02, 0};
    WriteRaw(L"MaxRecordTime", REG_DWORD, three, sizeof three);
    WriteRaw(L"jpgPng", REG_BINARY, "\x01\0\0\0", 4);
    // The registry adds a terminator that directly follows the data, so none may follow it here.
    const wchar_t unterminated[] = L"C:\\photosX";
    WriteRaw(L"ImgDir", REG_SZ, unterminated, 9 * sizeof(wchar_t));
    const wchar_t multi[] = L"C:\\a.jpg\0\0";
    WriteRaw(L"Calibrations", REG_MULTI_SZ, multi, sizeof multi);
    WriteString(L"LatestFiles", L"C:\\a.jpg;", REG_EXPAND_SZ);
    const DWORD red = 0x0000FF; // a palette colour, so taking it would show
    WriteRaw(L"GridColor", REG_BINARY, &red, sizeof red);

    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_EQ(g_settings.textSize, 14);
    EXPECT_EQ(g_settings.lineWidth, 1);
    EXPECT_EQ(g_settings.maxRecordSeconds, 30);
    EXPECT_EQ(g_settings.photoFormat, 0);
    EXPECT_EQ(g_settings.gridColor, 0x00FF00u);
    EXPECT_EQ(g_settings.saveFolder, DocumentsFolder() + L"\\Vantix Files");
    EXPECT_TRUE(g_settings.calibrationsText.empty());
    EXPECT_TRUE(g_settings.latestFilesText.empty());
}

TEST_F(SettingsStore, OverlongStringsDoNotOverrunTheirFields) {
    WriteString(L"ImgDir", L"C:\\" + std::wstring(257, L'x')); // 260 characters
    WriteString(L"LatestFiles", std::wstring(5000, L'l'));
    WriteString(L"Calibrations", std::wstring(kCalibrationsCapacity - 1, L'c'));
    WriteSetting(L"TextSize", DWORD{20});

    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_EQ(g_settings.saveFolder, DocumentsFolder() + L"\\Vantix Files");
    EXPECT_TRUE(g_settings.latestFilesText.empty());
    EXPECT_EQ(g_settings.calibrationsText, std::wstring(kCalibrationsCapacity - 1, L'c'));
    EXPECT_EQ(g_settings.textSize, 20);

    WriteString(L"Calibrations", std::wstring(kCalibrationsCapacity, L'c'));
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_TRUE(g_settings.calibrationsText.empty());
}

TEST_F(SettingsStore, EveryFieldSurvivesSaveAndLoad) {
    const std::wstring folder = FreshTempPath(L"") + std::wstring(259, L'f');
    const std::wstring longFolder = folder.substr(0, 259);
    g_settings = KeyUnavailableSettings();
    g_settings.language = 5;
    g_settings.useMjpg = 1;
    g_settings.frameWidth = 1280;
    g_settings.frameHeight = 720;
    g_settings.interpolated = 1;
    g_settings.saveFolder = longFolder;
    g_settings.gridColor = 0x800080;
    g_settings.lineColor = 0xFFFF00;
    g_settings.lineWidth = 2;
    g_settings.textColor = 0x008080;
    g_settings.textSize = 8;
    g_settings.photoFormat = 1;
    g_settings.maxRecordSeconds = 7200;
    g_calibration.slots[3].name = L"Stage A";
    g_calibration.slots[3].pixels = 400;
    g_calibration.slots[3].length = 1.0f;
    g_calibration.slots[3].scale = 400.0f;
    g_settings.calibrationsText = FormatCalibrations(g_calibration.slots);
    const AppSettings saved = g_settings;
    ASSERT_EQ(SaveSettings(), 1);
    EXPECT_EQ(ValueCount(), 15u);
    EXPECT_EQ(SavedString(L"ImgDir"), longFolder);
    EXPECT_EQ(SavedDword(L"MaxRecordTime"), 7200u);

    g_settings = AppSettings();
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_EQ(g_settings, saved);
}

TEST_F(SettingsStore, UnknownLanguageShowsEnglishAndIsKept) {
    WriteSetting(L"Language", DWORD{12});
    SelectLanguage(2);
    ASSERT_NE(GetText("device"), L"Device");

    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_EQ(g_settings.language, 12);
    EXPECT_EQ(GetText("device"), L"Device");

    ASSERT_EQ(SaveSettings(), 1);
    EXPECT_EQ(SavedDword(L"Language"), 12u);
}

TEST_F(SettingsStore, SaveMakesTheSaveFolderAndItsThumbnails) {
    const std::wstring folder = FreshTempPath(L"thumbs") + L"\\photos";
    g_settings = KeyUnavailableSettings();
    g_settings.saveFolder = folder;
    ASSERT_EQ(SaveSettings(), 1);
    EXPECT_TRUE(IsDirectory(folder + L"\\Thumbnails"));
    ASSERT_EQ(SaveSettings(), 1); // already there
    EXPECT_TRUE(IsDirectory(folder + L"\\Thumbnails"));
}

TEST_F(SettingsStore, SaveFolderThatCannotBeMadeStillSavesTheValues) {
    const std::wstring base = FreshTempPath(L"blocked");
    ASSERT_TRUE(CreateDirectoryW(base.c_str(), nullptr));
    const std::wstring blocker = base + L"\\photos";
    MakeFile(blocker);
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
    // The file in the way is left as it was.
    EXPECT_TRUE(IsPlainFile(blocker));
    EXPECT_NE(GetFileAttributesW(blocker.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

TEST_F(SettingsStore, LatestFilesAreTheFiveNewest) {
    g_settings = KeyUnavailableSettings();
    g_settings.saveFolder = FreshTempPath(L"latest");
    RecentFiles recent;
    for (int i = 1; i <= 7; ++i) {
        AddRecentFile(recent, g_settings.saveFolder + L"\\photo" + std::to_wstring(i) + L".jpg");
    }
    SetLatestFiles(recent);
    ASSERT_EQ(SaveSettings(), 1);
    const std::wstring& f = g_settings.saveFolder;
    const std::wstring expected = f + L"\\photo7.jpg;" + f + L"\\photo6.jpg;" + f + L"\\photo5.jpg;" + f +
                                  L"\\photo4.jpg;" + f + L"\\photo3.jpg;";
    EXPECT_EQ(SavedString(L"LatestFiles"), expected);
    EXPECT_EQ(g_settings.latestFilesText, expected);

    recent.paths.clear();
    SetLatestFiles(recent);
    ASSERT_EQ(SaveSettings(), 1);
    EXPECT_EQ(SavedString(L"LatestFiles"), L"");
}

namespace {

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

} // namespace

TEST_F(SettingsStore, TenCalibrationsWithFullNamesSurviveSaveAndLoad) {
    g_settings = KeyUnavailableSettings();
    g_settings.saveFolder = FreshTempPath(L"calibrations");
    const CalibrationTable table = FullTable();
    ASSERT_EQ(table[0].name.size(), kCalibrationNameMax);
    g_calibration.slots = table;
    ASSERT_EQ(SaveSettings(), 1);
    const std::optional<std::wstring> stored = SavedString(L"Calibrations");
    ASSERT_TRUE(stored);
    EXPECT_GT(stored->size(), 511u);
    EXPECT_EQ(*stored, FormatCalibrations(table));

    g_calibration.slots = CalibrationTable();
    g_settings = AppSettings();
    ASSERT_EQ(LoadSettings(), 1);
    for (size_t i = 0; i < table.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(g_calibration.slots[i].name, table[i].name);
        EXPECT_EQ(g_calibration.slots[i].unit, table[i].unit);
        EXPECT_EQ(g_calibration.slots[i].pixels, table[i].pixels);
        EXPECT_EQ(g_calibration.slots[i].length, table[i].length);
        EXPECT_EQ(g_calibration.slots[i].date, table[i].date);
        EXPECT_EQ(g_calibration.slots[i].resolution, table[i].resolution);
        EXPECT_EQ(g_calibration.slots[i].scale, table[i].scale);
    }
}

TEST_F(SettingsStore, MalformedCalibrationTextLoadsAsEmptySlots) {
    const std::wstring good = L"Stage A,0,400,1065353216,20240131,47187200;";
    struct Case {
        std::wstring stored;
        unsigned calibrated; // bit i: slot i comes out calibrated
    };
    const Case cases[] = {
        {L"", 0},
        {L"no separators at all", 0},
        {L";;;;;;;;;;;;", 0},
        {L"a,b,c,d,e,f;", 0},                         // numbers that do not read
        {L"n,0,400,2143289344,0,0;", 0},              // length NaN
        {L"n,0,400,2139095040,0,0;", 0},              // length infinite
        {L"n,0,400,-1082130432,0,0;", 0},             // length -1.0
        {good + good + L"x,0,400;" + good, 0b1011},   // a short record costs its own slot
        {good + L"\u00FF\uFFFF,,,,,;" + good, 0b101}, // empty numbers: slot 1 not calibrated
        {good + L"trailing record without end", 0b001},
        {std::wstring(kCalibrationsCapacity - 1, L','), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.stored.size() << " characters");
        WriteString(L"Calibrations", c.stored);
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

    // A stored name longer than a slot holds is cut, and the numbers after it still count.
    WriteString(L"Calibrations", L"a name of twenty-four ch,0,400,1065353216,0,0;");
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_EQ(g_calibration.slots[0].name, L"a name of twenty-fo");
    EXPECT_EQ(g_calibration.slots[0].scale, 400.0f);

    // Not a string at all.
    WriteSetting(L"Calibrations", DWORD{7});
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_EQ(g_calibration.slots[0].scale, -1.0f);
}
