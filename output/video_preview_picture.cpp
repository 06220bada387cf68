#include "output/video_preview_picture.h"

#include "base/picture_size.h"
#include "output/image_encoders.h"
#include "output/recent_files.h"

#include <gdiplus.h>

#include <cstring>
#include <new>
#include <vector>

bool SaveVideoPreviewPicture(const std::wstring& videoPath, const uint8_t* pixels, int width, int height) {
    const std::wstring picturePath = VideoPreviewPicturePath(videoPath);
    if (picturePath.empty() || !pixels || !ImageSizeCanBeHeld(width, height))
        return false;
    if (GetFileAttributesW(picturePath.c_str()) != INVALID_FILE_ATTRIBUTES)
        return false;
    static const CLSID kNoEncoder = {};
    if (std::memcmp(&g_jpegEncoderClsid, &kNoEncoder, sizeof(CLSID)) == 0)
        return false;

    // The encoder wants rows on 4-byte boundaries; the frame's rows are packed and bottom-up.
    const size_t packed = static_cast<size_t>(width) * 3;
    const size_t stride = static_cast<size_t>(ImageRowBytes(width));
    std::vector<BYTE> rows;
    try {
        rows.assign(stride * static_cast<size_t>(height), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int row = 0; row < height; ++row) {
        std::memcpy(rows.data() + static_cast<size_t>(row) * stride,
                    pixels + static_cast<size_t>(height - 1 - row) * packed, packed);
    }

    Gdiplus::GpBitmap* bitmap = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromScan0(width, height, static_cast<INT>(stride),
                                                       PixelFormat24bppRGB, rows.data(),
                                                       &bitmap) != Gdiplus::Ok ||
        !bitmap)
        return false;
    const bool saved = Gdiplus::DllExports::GdipSaveImageToFile(bitmap, picturePath.c_str(),
                                                                &g_jpegEncoderClsid, nullptr) == Gdiplus::Ok;
    Gdiplus::DllExports::GdipDisposeImage(bitmap);
    if (!saved)
        OutputDebugStringW(L"SaveVideoPreviewPicture FAILED.\r\n");
    return saved;
}
