#include "view/picture_copy.h"

#include "measure/measure_table.h"
#include "view/camera_view.h"

#include <cstring>

std::wstring ShownMeasurementTable(HWND view) {
    const CameraViewState* v = CameraViewStateOf(view);
    if (!v || !ContentPictureShowsShapes(view))
        return {};
    return MeasurementTable(v->measure.shapes, v->scale, v->unitText);
}

namespace {

// A movable global block filled by `fill`; null when it cannot be had.
template <typename Fill> HGLOBAL GlobalBlock(size_t size, Fill fill) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block)
        return nullptr;
    void* p = GlobalLock(block);
    if (!p) {
        GlobalFree(block);
        return nullptr;
    }
    fill(static_cast<unsigned char*>(p));
    GlobalUnlock(block);
    return block;
}

// The picture as a packed bottom-up DIB, the form every program pastes.
HGLOBAL DibOf(HBITMAP picture) {
    DIBSECTION section = {};
    if (GetObjectW(picture, sizeof(section), &section) != sizeof(section) || !section.dsBm.bmBits)
        return nullptr;
    const int width = section.dsBm.bmWidth;
    const int height = section.dsBm.bmHeight;
    const size_t stride = static_cast<size_t>(section.dsBm.bmWidthBytes);
    const size_t bytes = stride * static_cast<size_t>(height);
    return GlobalBlock(sizeof(BITMAPINFOHEADER) + bytes, [&](unsigned char* p) {
        BITMAPINFOHEADER header = {};
        header.biSize = sizeof(header);
        header.biWidth = width;
        header.biHeight = height;
        header.biPlanes = 1;
        header.biBitCount = 24;
        header.biCompression = BI_RGB;
        header.biSizeImage = static_cast<DWORD>(bytes);
        std::memcpy(p, &header, sizeof(header));
        const auto* top = static_cast<const unsigned char*>(section.dsBm.bmBits); // top-down rows
        for (int y = 0; y < height; ++y)
            std::memcpy(p + sizeof(header) + stride * static_cast<size_t>(height - 1 - y),
                        top + stride * static_cast<size_t>(y), stride);
    });
}

HGLOBAL TextOf(const std::wstring& text) {
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    return GlobalBlock(bytes, [&](unsigned char* p) { std::memcpy(p, text.c_str(), bytes); });
}

// Hands a block to the clipboard, which owns it from then on.
bool Put(UINT format, HGLOBAL block) {
    if (block && SetClipboardData(format, block))
        return true;
    if (block)
        GlobalFree(block);
    return false;
}

} // namespace

bool CopyPictureToClipboard(HWND view) {
    HBITMAP picture = ComposeContentPicture(view);
    if (!picture) {
        MessageBeep(MB_ICONWARNING);
        return false;
    }
    HGLOBAL dib = DibOf(picture);
    DeleteObject(picture);
    const std::wstring table = ShownMeasurementTable(view);
    HGLOBAL text = table.empty() ? nullptr : TextOf(table);
    bool copied = false;
    if (dib && (table.empty() || text) && OpenClipboard(view)) {
        EmptyClipboard();
        copied = Put(CF_DIB, dib);
        dib = nullptr;
        if (text) {
            copied = Put(CF_UNICODETEXT, text) && copied;
            text = nullptr;
        }
        CloseClipboard();
    }
    if (dib)
        GlobalFree(dib);
    if (text)
        GlobalFree(text);
    if (!copied) {
        OutputDebugStringW(L"CopyPictureToClipboard: the clipboard took nothing\r\n");
        MessageBeep(MB_ICONWARNING);
    }
    return copied;
}
