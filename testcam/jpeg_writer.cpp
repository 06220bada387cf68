#include "testcam/jpeg_writer.h"

#include <windows.h>

#include <gdiplus.h>
#include <wrl/client.h>

#include "base/gdi_holders.h"

#include <cwchar>

namespace {

bool FindJpegEncoder(CLSID* clsid) {
    UINT count = 0, bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || !count || !bytes)
        return false;
    std::vector<unsigned char> block(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(block.data());
    if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && std::wcscmp(codecs[i].MimeType, L"image/jpeg") == 0) {
            *clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

std::vector<uint8_t> Encode(const uint8_t* dib, size_t stride, int width, int height, int quality) {
    std::vector<uint8_t> out;
    CLSID encoder;
    if (!FindJpegEncoder(&encoder))
        return out;
    // GDI+ takes top-down rows: start at the last row of the DIB and walk backwards.
    Gdiplus::Bitmap bitmap(width, height, -INT(stride), PixelFormat24bppRGB,
                           const_cast<BYTE*>(dib + size_t(height - 1) * stride));
    if (bitmap.GetLastStatus() != Gdiplus::Ok)
        return out;
    Microsoft::WRL::ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.GetAddressOf())))
        return out;
    ULONG q = ULONG(quality);
    Gdiplus::EncoderParameters params;
    params.Count = 1;
    params.Parameter[0].Guid = Gdiplus::EncoderQuality;
    params.Parameter[0].Type = Gdiplus::EncoderParameterValueTypeLong;
    params.Parameter[0].NumberOfValues = 1;
    params.Parameter[0].Value = &q;
    if (bitmap.Save(stream.Get(), &encoder, &params) == Gdiplus::Ok) {
        HGLOBAL memory = nullptr;
        STATSTG stat = {};
        if (SUCCEEDED(GetHGlobalFromStream(stream.Get(), &memory)) &&
            SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME))) {
            const auto* bytes = static_cast<const uint8_t*>(GlobalLock(memory));
            if (bytes) {
                out.assign(bytes, bytes + stat.cbSize.QuadPart);
                GlobalUnlock(memory);
            }
        }
    }
    return out;
}

} // namespace

std::vector<uint8_t> EncodeJpeg(const uint8_t* dib, size_t stride, int width, int height, int quality) {
    // GDI+ is started for each encoding: frames are cached by the caller, so this is rare,
    // and the DLL leaves no GDI+ session behind in the host process.
    const GdiplusSession gdiplus;
    if (!gdiplus.Ok())
        return {};
    return Encode(dib, stride, width, height, quality);
}
