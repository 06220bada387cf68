#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <vector>

#include "output/settings_store.h"
#include "base/app_settings.h"
#include "base/string_table.h"
#include "measure/calibration.h"

AppSettings g_settings;
CalibrationState g_calibration;

namespace {

// The settings key, opened or created for reading and writing; closed when it goes.
class SettingsKey {
public:
    SettingsKey() {
        const LONG rc =
            RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKeyPath().c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_READ | KEY_WRITE, nullptr, &key_, nullptr);
        if (rc != ERROR_SUCCESS) {
            key_ = nullptr;
        }
    }
    ~SettingsKey() { Close(); }
    SettingsKey(const SettingsKey&) = delete;
    SettingsKey& operator=(const SettingsKey&) = delete;

    HKEY get() const { return key_; }
    void Close() {
        if (key_ != nullptr) {
            RegCloseKey(key_);
            key_ = nullptr;
        }
    }

private:
    HKEY key_ = nullptr;
};

void ReadSettingValues(HKEY key, AppSettings& settings) {
    std::vector<uint8_t> buffer;
    for (const SettingValue& value : kSettingValues) {
        // A value bigger than its field does not fit the buffer, and the read fails.
        buffer.assign(SettingReadBufferBytes(value), 0);
        DWORD type = REG_NONE;
        DWORD size = static_cast<DWORD>(buffer.size());
        const LONG rc = RegQueryValueExW(key, value.name, nullptr, &type, buffer.data(), &size);
        if (rc == ERROR_SUCCESS && size <= buffer.size()) {
            LoadSettingValue(settings, value, type, buffer.data(), size);
        } else {
            LoadSettingValue(settings, value, kRegNone, nullptr, 0);
        }
    }
}

void WriteSettingValues(HKEY key, const AppSettings& settings) {
    for (const SettingValue& value : kSettingValues) {
        const RegistryValue data = SaveSettingValue(settings, value);
        const LONG rc = RegSetValueExW(key, value.name, 0, data.type, data.data.data(),
                                       static_cast<DWORD>(data.data.size()));
        if (rc != ERROR_SUCCESS) {
            OutputDebugStringW(
                (std::wstring(L"SaveSettings: writing ") + value.name + L" FAILED.\r\n").c_str());
        }
    }
}

// "<Documents>\Vantix Files", created; empty when there is no documents folder or the path
// would not fit the field.
std::wstring MakeDefaultSaveFolder() {
    wchar_t documents[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents))) {
        OutputDebugStringW(L"LoadSettings: no documents folder.\r\n");
        return {};
    }
    std::wstring folder = std::wstring(documents) + L"\\" + kDefaultSaveFolderName;
    if (folder.size() >= kSaveFolderCapacity) {
        OutputDebugStringW(L"LoadSettings: default save folder path too long.\r\n");
        return {};
    }
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

} // namespace

bool EnsureDirectoryPath(const std::wstring& path) {
    for (const std::wstring& prefix : DirectoryPrefixes(path)) {
        const DWORD attributes = GetFileAttributesW(prefix.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            // A failure here shows as the final check failing; a later prefix may still exist
            // (the server part of a network path cannot be created, its share can).
            CreateDirectoryW(prefix.c_str(), nullptr);
        } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            // A plain file is in the way: nothing can be made below it, and the file is left alone.
            OutputDebugStringW((L"EnsureDirectoryPath: a file is in the way: " + prefix + L"\r\n").c_str());
            return false;
        } else if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            DWORD cleared = attributes & ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY);
            SetFileAttributesW(prefix.c_str(), cleared != 0 ? cleared : FILE_ATTRIBUTE_NORMAL);
        }
    }
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int LoadSettings() {
    g_settings = KeyUnavailableSettings();
    {
        SettingsKey key;
        if (key.get() != nullptr) {
            ReadSettingValues(key.get(), g_settings);
        } else {
            OutputDebugStringW(L"LoadSettings: settings key not opened.\r\n");
        }
    }
    SelectLanguage(g_settings.language);
    ApplySettingsRangeChecks(g_settings);
    g_calibration.slots = ParseCalibrations(g_settings.calibrationsText);
    if (g_settings.saveFolder.empty()) {
        g_settings.saveFolder = MakeDefaultSaveFolder();
    }
    return 1;
}

void SetLatestFiles(const RecentFiles& recent) {
    g_settings.latestFilesText = FormatLatestFiles(recent.paths);
}

int SaveSettings() {
    g_settings.calibrationsText = FormatCalibrations(g_calibration.slots);
    {
        SettingsKey key;
        if (key.get() != nullptr) {
            WriteSettingValues(key.get(), g_settings);
        } else {
            OutputDebugStringW(L"SaveSettings: settings key not opened.\r\n");
        }
    }
    // Photos and videos need the save folder; the Thumbnails folder under it makes sure of it.
    const std::wstring thumbnails = ThumbnailsFolderPath(g_settings.saveFolder);
    if (!thumbnails.empty()) {
        EnsureDirectoryPath(thumbnails);
    }
    return 1;
}
