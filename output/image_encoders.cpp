#include "output/image_encoders.h"

#include <gdiplus.h>

#include <cwchar>
#include <vector>

CLSID g_jpegEncoderClsid = {};
CLSID g_bmpEncoderClsid = {};
CLSID g_pngEncoderClsid = {};

int LookupImageEncoders() {
    UINT count = 0;
    UINT bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0 || count == 0)
        return 0;

    // The codec records and the strings they point to share one block of `bytes` bytes.
    std::vector<unsigned char> block;
    try {
        block.resize(bytes);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(block.data());
    if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok)
        return 0;

    struct Wanted {
        const wchar_t* mimeType;
        CLSID* clsid;
    };
    const Wanted wanted[] = {
        {L"image/jpeg", &g_jpegEncoderClsid},
        {L"image/bmp", &g_bmpEncoderClsid},
        {L"image/png", &g_pngEncoderClsid},
    };
    for (UINT i = 0; i < count; ++i) {
        if (!codecs[i].MimeType)
            continue;
        for (const Wanted& w : wanted) {
            if (wcscmp(codecs[i].MimeType, w.mimeType) == 0)
                *w.clsid = codecs[i].Clsid;
        }
    }
    return 1;
}
