#include "base/app_settings.h"

#include <algorithm>

std::wstring SettingsKeyPath() {
    return std::wstring(L"Software\\") + kSettingsMaker;
}

bool IsPaletteColor(uint32_t color) {
    return std::find(kPaletteColors.begin(), kPaletteColors.end(), color) != kPaletteColors.end();
}

AppSettings KeyUnavailableSettings() {
    AppSettings s;
    s.language = 0;
    s.gridColor = 0x0000FF;
    s.lineColor = 0x0000FF;
    s.textColor = 0x0000FF;
    s.lineWidth = 2;
    s.textSize = 12;
    s.maxRecordSeconds = 10;
    s.photoFormat = 0;
    return s;
}

void ApplySettingsRangeChecks(AppSettings& s) {
    for (uint32_t* color : {&s.gridColor, &s.lineColor, &s.textColor}) {
        if (!IsPaletteColor(*color)) {
            *color = kFallbackColor;
        }
    }
    if (s.lineWidth < 1 || s.lineWidth > 2) {
        s.lineWidth = 1;
    }
    if (s.textSize < 8 || s.textSize > 24) {
        s.textSize = 10;
    }
    if (s.photoFormat < 0 || s.photoFormat > 1) {
        s.photoFormat = 0;
    }
    if (s.maxRecordSeconds < 0 || s.maxRecordSeconds > 28800) {
        s.maxRecordSeconds = 0;
    }
}

const std::array<SettingValue, 15> kSettingValues = {{
    {L"Language", &AppSettings::language, 0, 0},
    {L"mjpg", &AppSettings::useMjpg, 0, 0},
    {L"width", &AppSettings::frameWidth, 0, 0},
    {L"height", &AppSettings::frameHeight, 0, 0},
    {L"interpolated", &AppSettings::interpolated, 0, 0},
    {L"ImgDir", &AppSettings::saveFolder, 0, kSaveFolderCapacity},
    {L"GridColor", &AppSettings::gridColor, 0, 0},
    {L"LineColor", &AppSettings::lineColor, 0, 0},
    {L"LineWidth", &AppSettings::lineWidth, 1, 0},
    {L"TextColor", &AppSettings::textColor, 0, 0},
    {L"TextSize", &AppSettings::textSize, 14, 0},
    {L"jpgPng", &AppSettings::photoFormat, 0, 0},
    {L"MaxRecordTime", &AppSettings::maxRecordSeconds, 30, 0},
    {L"Calibrations", &AppSettings::calibrationsText, 0, kCalibrationsCapacity},
    {L"LatestFiles", &AppSettings::latestFilesText, 0, kLatestFilesCapacity},
}};

bool IsStringSetting(const SettingValue& value) {
    return std::holds_alternative<std::wstring AppSettings::*>(value.field);
}

size_t SettingReadBufferBytes(const SettingValue& value) {
    return IsStringSetting(value) ? value.capacity * 2 : 4;
}

namespace {

// Whole-number fields hold the DWORD's bits; an int field takes them as two's complement.
void SetWholeNumber(AppSettings& s, const SettingValue& value, uint32_t number) {
    if (auto* field = std::get_if<int AppSettings::*>(&value.field)) {
        s.** field = static_cast<int>(number);
    } else if (auto* color = std::get_if<uint32_t AppSettings::*>(&value.field)) {
        s.** color = number;
    }
}

uint32_t GetWholeNumber(const AppSettings& s, const SettingValue& value) {
    if (auto* field = std::get_if<int AppSettings::*>(&value.field)) {
        return static_cast<uint32_t>(s.**field);
    }
    if (auto* color = std::get_if<uint32_t AppSettings::*>(&value.field)) {
        return s.**color;
    }
    return 0;
}

} // namespace

void LoadSettingValue(AppSettings& s, const SettingValue& value, uint32_t type, const uint8_t* data,
                      size_t size) {
    if (auto* text = std::get_if<std::wstring AppSettings::*>(&value.field)) {
        if (auto decoded = DecodeStringValue(type, data, size, value.capacity - 1)) {
            s.** text = std::move(*decoded);
        }
        return;
    }
    SetWholeNumber(s, value, DecodeDwordValue(type, data, size).value_or(value.absentDefault));
}

RegistryValue SaveSettingValue(const AppSettings& s, const SettingValue& value) {
    if (auto* text = std::get_if<std::wstring AppSettings::*>(&value.field)) {
        const std::wstring& field = s.**text;
        return EncodeStringValue(std::wstring_view(field).substr(0, value.capacity - 1));
    }
    return EncodeDwordValue(GetWholeNumber(s, value));
}

std::wstring FormatLatestFiles(const std::vector<std::wstring>& recentOldestFirst) {
    std::wstring text;
    size_t count = 0;
    for (auto it = recentOldestFirst.rbegin(); it != recentOldestFirst.rend(); ++it) {
        if (count == kLatestFilesMaxCount || text.size() >= kLatestFilesStopLength) {
            break;
        }
        // Only an unusually long path can overflow the field; the list stops before it.
        if (text.size() + it->size() + 1 > kLatestFilesCapacity - 1) {
            break;
        }
        text += *it;
        text += L';';
        ++count;
    }
    return text;
}

std::vector<std::wstring> DirectoryPrefixes(const std::wstring& path) {
    std::vector<std::wstring> prefixes;
    if (path.empty()) {
        return prefixes;
    }
    std::wstring walked = path;
    if (walked.back() != L'\\' && walked.back() != L'/') {
        walked += L'\\';
    }
    size_t componentStart = 0;
    bool first = true;
    for (size_t i = 0; i < walked.size(); ++i) {
        if (walked[i] != L'\\' && walked[i] != L'/') {
            continue;
        }
        // The first component is the drive (or the root); an empty one adds no folder.
        if (!first && i > componentStart) {
            prefixes.push_back(walked.substr(0, i));
        }
        first = false;
        componentStart = i + 1;
    }
    return prefixes;
}

std::wstring ThumbnailsFolderPath(const std::wstring& saveFolder) {
    if (saveFolder.empty()) {
        return {};
    }
    std::wstring path = saveFolder;
    if (path.back() != L'\\' && path.back() != L'/') {
        path += L'\\';
    }
    return path + kThumbnailsFolderName;
}
