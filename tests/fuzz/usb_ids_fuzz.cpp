// Device paths and names as the device enumeration hands them over.
#include "capture/usb_ids.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = WideText(data, size);
    std::wstring vendor = L"unset", product = L"unset";
    if (ParseUsbIds(text, vendor, product)) {
        FUZZ_CHECK(text.size() < kDevicePathLimit);
        FUZZ_CHECK(vendor.find(L'&') == std::wstring::npos && product.find(L'&') == std::wstring::npos);
        FUZZ_CHECK(text.find(L"vid_" + vendor + L"&") != std::wstring::npos);
    } else {
        FUZZ_CHECK(vendor == L"unset" && product == L"unset");
    }
    IsSkippedCameraName(text);
    return 0;
}
