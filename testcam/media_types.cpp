#include "testcam/media_types.h"

#include <dvdmedia.h>

#include <algorithm>
#include <cstring>

#include "testcam/test_picture.h"

namespace {

// {XXXXXXXX-0000-0010-8000-00AA00389B71}: the subtype GUID of a FOURCC.
GUID FourccGuid(uint32_t fourcc) {
    return {fourcc, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
}

WORD BitCount(uint32_t fourcc) {
    if (fourcc == kTestCamRgb24 || fourcc == kTestCamMjpg)
        return 24;
    if (fourcc == TestCamFourcc('N', 'V', '1', '2') || fourcc == TestCamFourcc('I', '4', '2', '0'))
        return 12;
    return 16;
}

} // namespace

int64_t BitRate(const VideoType& t) {
    return int64_t(ImageSize(t)) * 8 * 10000000 / (t.interval > 0 ? t.interval : 333333);
}

REFERENCE_TIME IntervalForFps(int fps) {
    return fps > 0 ? 10000000 / fps : 333333;
}

VideoType VideoTypeFor(const TestCamFormat& f) {
    return {f.fourcc, f.width, f.height, IntervalForFps(f.fps)};
}

GUID SubtypeFor(uint32_t fourcc) {
    return fourcc == kTestCamRgb24 ? MEDIASUBTYPE_RGB24 : FourccGuid(fourcc);
}

bool SameKind(const VideoType& a, const VideoType& b) {
    return a.fourcc == b.fourcc && a.width == b.width && a.height == b.height;
}

long ImageSize(const VideoType& t) {
    const int64_t pixels = int64_t(t.width) * t.height;
    if (t.fourcc == kTestCamRgb24)
        return long(TestPicture_DibStride(t.width) * t.height);
    if (t.fourcc == kTestCamMjpg)
        return long(pixels * 3); // a JPEG of these pictures stays far below this
    if (t.fourcc == kTestCamYuy2)
        return long((t.width + 1) / 2) * 4 * t.height;
    return long((pixels * BitCount(t.fourcc) + 7) / 8);
}

bool MediaType_Fill(const VideoType& t, AM_MEDIA_TYPE* mt) {
    std::memset(mt, 0, sizeof *mt);
    auto* vih = static_cast<VIDEOINFOHEADER*>(CoTaskMemAlloc(sizeof(VIDEOINFOHEADER)));
    if (!vih)
        return false;
    std::memset(vih, 0, sizeof *vih);
    const long size = ImageSize(t);
    vih->AvgTimePerFrame = t.interval;
    vih->dwBitRate = DWORD(std::min<int64_t>(BitRate(t), 0xffffffff));
    vih->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    vih->bmiHeader.biWidth = t.width;
    vih->bmiHeader.biHeight = t.height;
    vih->bmiHeader.biPlanes = 1;
    vih->bmiHeader.biBitCount = BitCount(t.fourcc);
    vih->bmiHeader.biCompression = t.fourcc == kTestCamRgb24 ? BI_RGB : t.fourcc;
    vih->bmiHeader.biSizeImage = DWORD(size);

    mt->majortype = MEDIATYPE_Video;
    mt->subtype = SubtypeFor(t.fourcc);
    mt->bFixedSizeSamples = t.fourcc != kTestCamMjpg;
    mt->bTemporalCompression = FALSE;
    mt->lSampleSize = t.fourcc == kTestCamMjpg ? 0 : ULONG(size);
    mt->formattype = FORMAT_VideoInfo;
    mt->cbFormat = sizeof(VIDEOINFOHEADER);
    mt->pbFormat = reinterpret_cast<BYTE*>(vih);
    return true;
}

AM_MEDIA_TYPE* MediaType_Create(const VideoType& t) {
    auto* mt = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (mt && !MediaType_Fill(t, mt)) {
        CoTaskMemFree(mt);
        return nullptr;
    }
    return mt;
}

bool MediaType_Copy(const AM_MEDIA_TYPE& from, AM_MEDIA_TYPE* to) {
    *to = from;
    to->pUnk = nullptr;
    to->pbFormat = nullptr;
    to->cbFormat = 0;
    if (from.cbFormat && from.pbFormat) {
        to->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(from.cbFormat));
        if (!to->pbFormat)
            return false;
        std::memcpy(to->pbFormat, from.pbFormat, from.cbFormat);
        to->cbFormat = from.cbFormat;
    }
    if (from.pUnk) {
        to->pUnk = from.pUnk;
        to->pUnk->AddRef();
    }
    return true;
}

bool MediaType_Parse(const AM_MEDIA_TYPE& mt, VideoType* type) {
    if (mt.majortype != MEDIATYPE_Video || !mt.pbFormat)
        return false;
    const BITMAPINFOHEADER* bmi = nullptr;
    REFERENCE_TIME interval = 0;
    if (mt.formattype == FORMAT_VideoInfo && mt.cbFormat >= sizeof(VIDEOINFOHEADER)) {
        const auto* vih = reinterpret_cast<const VIDEOINFOHEADER*>(mt.pbFormat);
        bmi = &vih->bmiHeader;
        interval = vih->AvgTimePerFrame;
    } else if (mt.formattype == FORMAT_VideoInfo2 && mt.cbFormat >= sizeof(VIDEOINFOHEADER2)) {
        const auto* vih = reinterpret_cast<const VIDEOINFOHEADER2*>(mt.pbFormat);
        bmi = &vih->bmiHeader;
        interval = vih->AvgTimePerFrame;
    } else {
        return false;
    }
    VideoType t;
    if (mt.subtype == MEDIASUBTYPE_RGB24) {
        if (bmi->biCompression != BI_RGB || bmi->biBitCount != 24)
            return false;
        t.fourcc = kTestCamRgb24;
    } else {
        const GUID probe = FourccGuid(mt.subtype.Data1);
        if (mt.subtype != probe || bmi->biCompression != mt.subtype.Data1)
            return false;
        t.fourcc = mt.subtype.Data1;
    }
    if (bmi->biWidth <= 0 || bmi->biHeight <= 0 || bmi->biWidth > 8192 || bmi->biHeight > 8192)
        return false;
    t.width = bmi->biWidth;
    t.height = bmi->biHeight;
    t.interval = interval;
    *type = t;
    return true;
}

void FillStreamCaps(const VideoType& t, VIDEO_STREAM_CONFIG_CAPS* caps) {
    std::memset(caps, 0, sizeof *caps);
    const SIZE size = {t.width, t.height};
    caps->guid = FORMAT_VideoInfo;
    caps->VideoStandard = 0;
    caps->InputSize = size;
    caps->MinCroppingSize = size;
    caps->MaxCroppingSize = size;
    caps->CropGranularityX = 1;
    caps->CropGranularityY = 1;
    caps->CropAlignX = 1;
    caps->CropAlignY = 1;
    caps->MinOutputSize = size;
    caps->MaxOutputSize = size;
    caps->OutputGranularityX = 1;
    caps->OutputGranularityY = 1;
    caps->MinFrameInterval = t.interval;
    caps->MaxFrameInterval = t.interval;
    const LONG bits = LONG(std::min<int64_t>(BitRate(t), 0x7fffffff));
    caps->MinBitsPerSecond = bits;
    caps->MaxBitsPerSecond = bits;
}
