#include "output/output_names.h"

#include <cwchar>

namespace {

// Room for the date and time part and its extension beside the folder.
constexpr size_t kStampRoom = 40;

} // namespace

std::wstring MakePhotoName(const std::wstring& folder, const LocalTime& t, int photoFormat) {
    std::wstring name(folder.size() + kStampRoom, L'\0');
    const int n =
        std::swprintf(name.data(), name.size(), L"%ls\\%d%02d%02d-%02d%02d%02d.%ls", folder.c_str(), t.year,
                      t.month, t.day, t.hour, t.minute, t.second, photoFormat != 0 ? L"png" : L"jpg");
    name.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return name;
}

std::wstring MakeVideoName(const std::wstring& folder, const LocalTime& t) {
    std::wstring name(folder.size() + kStampRoom, L'\0');
    const int n =
        std::swprintf(name.data(), name.size(), L"%ls\\%d%02d%02d-%02d%02d%02d-%03d.mp4", folder.c_str(),
                      t.year, t.month, t.day, t.hour, t.minute, t.second, t.milliseconds);
    name.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return name;
}

bool IsUsableSaveFolder(const std::wstring& folder) {
    constexpr size_t kPathMax = 259;
    const size_t longestName = MakeVideoName(L"", LocalTime{9999, 12, 31, 23, 59, 59, 999}).size();
    if (folder.empty() || folder.size() + longestName > kPathMax || folder.find(L';') != std::wstring::npos)
        return false;
    const auto letter = [](wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); };
    const bool drive = folder.size() >= 3 && letter(folder[0]) && folder[1] == L':' && folder[2] == L'\\';
    const bool network = folder.size() >= 3 && folder[0] == L'\\' && folder[1] == L'\\' && folder[2] != L'\\';
    return drive || network;
}

bool IsJpegPhotoPath(const std::wstring& path) {
    return path.size() >= 3 && path.compare(path.size() - 3, 3, L"jpg") == 0;
}
