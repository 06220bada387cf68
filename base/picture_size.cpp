#include "base/picture_size.h"

bool ImageSizeCanBeHeld(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kMaxViewerSide && height <= kMaxViewerSide &&
           width * height <= kMaxViewerPixels;
}
