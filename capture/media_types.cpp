#include "capture/media_types.h"

#include <dvdmedia.h>

GUID SubtypeFromFourcc(uint32_t fourcc) {
    return {fourcc, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}

void FreeMediaType(AM_MEDIA_TYPE* type) {
    if (!type)
        return;
    if (type->cbFormat != 0 && type->pbFormat)
        CoTaskMemFree(type->pbFormat);
    if (type->pUnk)
        type->pUnk->Release();
    CoTaskMemFree(type);
}

std::optional<VideoFormat> CaptureFormatOf(const AM_MEDIA_TYPE& type) {
    if (!IsEqualGUID(type.majortype, MEDIATYPE_Video))
        return std::nullopt;
    uint32_t subtype;
    if (IsEqualGUID(type.subtype, SubtypeFromFourcc(kFourccMjpg)))
        subtype = kFourccMjpg;
    else if (IsEqualGUID(type.subtype, SubtypeFromFourcc(kFourccYuy2)))
        subtype = kFourccYuy2;
    else
        return std::nullopt;

    // The format block is the device's: check it is there and large enough before reading it.
    const BITMAPINFOHEADER* header = nullptr;
    if (IsEqualGUID(type.formattype, FORMAT_VideoInfo) && type.pbFormat &&
        type.cbFormat >= sizeof(VIDEOINFOHEADER)) {
        header = &reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat)->bmiHeader;
    } else if (IsEqualGUID(type.formattype, FORMAT_VideoInfo2) && type.pbFormat &&
               type.cbFormat >= sizeof(VIDEOINFOHEADER2)) {
        header = &reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat)->bmiHeader;
    }
    if (!header)
        return std::nullopt;
    return VideoFormat{subtype, static_cast<int>(header->biWidth), static_cast<int>(header->biHeight), 0};
}
