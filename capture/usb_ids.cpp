#include "capture/usb_ids.h"

bool ParseUsbIds(const std::wstring& devicePath, std::wstring& vendorText, std::wstring& productText) {
    if (devicePath.size() >= kDevicePathLimit)
        return false;
    // A path may carry a terminator inside; what follows it is not part of the path.
    const std::wstring path = devicePath.substr(0, devicePath.find(L'\0'));

    const size_t vidMarker = path.find(L"vid_");
    if (vidMarker == std::wstring::npos)
        return false;
    const size_t vendorStart = vidMarker + 4;
    const size_t vendorEnd = path.find(L'&', vendorStart);
    if (vendorEnd == std::wstring::npos)
        return false;
    // The product-id marker ("pid_") behind the ampersand is not examined.
    const size_t productStart = vendorEnd + 5;
    if (productStart > path.size())
        return false;
    const size_t productEnd = path.find(L'&', productStart);
    if (productEnd == std::wstring::npos)
        return false;
    const size_t firstHash = path.find(L'#', productEnd + 1);
    if (firstHash == std::wstring::npos)
        return false;
    if (path.find(L'#', firstHash + 1) == std::wstring::npos)
        return false;

    vendorText = path.substr(vendorStart, vendorEnd - vendorStart);
    productText = path.substr(productStart, productEnd - productStart);
    return true;
}

bool IsSkippedCameraName(const std::wstring& friendlyName) {
    return friendlyName.empty() || friendlyName.find(L"Integrated") != std::wstring::npos ||
           friendlyName.find(L"Microsoft") != std::wstring::npos;
}
