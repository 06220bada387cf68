// The persisted settings record, its defaults and checks, and the table of registry values that
// loading and saving walk. The registry calls themselves are in settings_store.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "base/registry_value.h"

// Field sizes in characters, terminator included (what the registry reads allow).
inline constexpr size_t kSaveFolderCapacity = 260;
// Calibrations: the longest text the calibration table formats to is 790 characters (ten records of
// a 19-character name, five numbers of up to 11 characters, five commas and a semicolon); the
// field leaves room above that so that every table written is read back whole.
inline constexpr size_t kCalibrationsCapacity = 1024;
inline constexpr size_t kLatestFilesCapacity = 1024;

// The key under HKEY_CURRENT_USER that holds the values.
inline constexpr wchar_t kSettingsMaker[] = L"Vantix";
std::wstring SettingsKeyPath();

inline constexpr wchar_t kDefaultSaveFolderName[] = L"Vantix Files";
inline constexpr wchar_t kThumbnailsFolderName[] = L"Thumbnails";

struct AppSettings {
    int language = 0;
    int useMjpg = 0;    // 1 = MJPG, anything else = YUY2
    int frameWidth = 0; // 0 = no size chosen yet
    int frameHeight = 0;
    int interpolated = 0;
    std::wstring saveFolder; // at most kSaveFolderCapacity - 1 characters
    uint32_t gridColor = 0;  // COLORREF 0x00BBGGRR
    uint32_t lineColor = 0;
    int lineWidth = 0;
    uint32_t textColor = 0;
    int textSize = 0;              // points
    int photoFormat = 0;           // 0 = JPEG, 1 = PNG
    int maxRecordSeconds = 0;      // 0 = no limit
    std::wstring calibrationsText; // at most kCalibrationsCapacity - 1 characters
    std::wstring latestFilesText;  // at most kLatestFilesCapacity - 1 characters

    bool operator==(const AppSettings&) const = default;
};

// The colours the three colour settings may take, in the order the Options dialog offers them.
inline constexpr std::array<uint32_t, 12> kPaletteColors = {
    0x000080, 0x0000FF, 0x008000, 0x00FF00, 0x800000, 0xFF0000,
    0x800080, 0xFF00FF, 0x808000, 0xFFFF00, 0x008080, 0x00FFFF,
};
inline constexpr uint32_t kFallbackColor = 0x00FF00;
bool IsPaletteColor(uint32_t color);

// The record as it stands when the settings key cannot be opened (and before any value is read).
AppSettings KeyUnavailableSettings();

// Replaces out-of-range colours, line width, text size, photo format and time limit.
void ApplySettingsRangeChecks(AppSettings& settings);

// One registry value of the record: its name, the field it fills and, for whole numbers, the
// value the field takes when the registry value is absent or unreadable. A string that cannot be
// read leaves its field as it was.
using SettingField = std::variant<int AppSettings::*, uint32_t AppSettings::*, std::wstring AppSettings::*>;
struct SettingValue {
    const wchar_t* name;
    SettingField field;
    uint32_t absentDefault; // whole numbers only
    size_t capacity;        // strings only: characters including the terminator
};

// All fifteen values, in the order they are read and written.
extern const std::array<SettingValue, 15> kSettingValues;

bool IsStringSetting(const SettingValue& value);

// Bytes to offer a registry read of this value: a larger value does not fit and counts as absent.
size_t SettingReadBufferBytes(const SettingValue& value);

// Takes what a registry read returned into the record; a failed read is passed as kRegNone
// with no data. Data of the wrong type or size counts as absent.
void LoadSettingValue(AppSettings& settings, const SettingValue& value, uint32_t type, const uint8_t* data,
                      size_t size);

// The type and data to write for this value. Text beyond the field's size is left out, so that
// what is written can always be read back.
RegistryValue SaveSettingValue(const AppSettings& settings, const SettingValue& value);

// The "LatestFiles" text: newest first, each path followed by ";", at most five paths, no more
// once the text holds 740 characters, and never beyond the field.
inline constexpr size_t kLatestFilesMaxCount = 5;
inline constexpr size_t kLatestFilesStopLength = 740;
std::wstring FormatLatestFiles(const std::vector<std::wstring>& recentOldestFirst);

// The folders to make sure of, one per path component from the second on, ending with the
// whole path: "C:\a\b" gives "C:\a" and "C:\a\b". Both slashes separate components.
std::vector<std::wstring> DirectoryPrefixes(const std::wstring& path);

// "<saveFolder>\Thumbnails"; empty when there is no save folder.
std::wstring ThumbnailsFolderPath(const std::wstring& saveFolder);
