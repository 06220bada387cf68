#include "capture/media_types.h"

#include "capture/format_map.h"

#include <dvdmedia.h>

#include <cstddef>

static_assert(sizeof(VIDEOINFOHEADER) == kVideoInfoBytes &&
              offsetof(VIDEOINFOHEADER, bmiHeader) + offsetof(BITMAPINFOHEADER, biWidth) ==
                  kVideoInfoSizeOffset &&
              offsetof(BITMAPINFOHEADER, biHeight) == offsetof(BITMAPINFOHEADER, biWidth) + 4);
static_assert(sizeof(VIDEOINFOHEADER2) == kVideoInfo2Bytes &&
              offsetof(VIDEOINFOHEADER2, bmiHeader) + offsetof(BITMAPINFOHEADER, biWidth) ==
                  kVideoInfo2SizeOffset);

GUID SubtypeFromFourcc(uint32_t fourcc) {
    return {fourcc, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
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

    // The format block is the device's: FormatOfBlock checks it is there and large enough.
    if (IsEqualGUID(type.formattype, FORMAT_VideoInfo))
        return FormatOfBlock(subtype, FormatBlockKind::VideoInfo, type.pbFormat, type.cbFormat);
    if (IsEqualGUID(type.formattype, FORMAT_VideoInfo2))
        return FormatOfBlock(subtype, FormatBlockKind::VideoInfo2, type.pbFormat, type.cbFormat);
    return std::nullopt;
}
