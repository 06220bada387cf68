// Arithmetic of the image viewer (window class "ImageWndClass"): the displayed size for a zoom,
// where the picture sits in the window, the scroll offsets, panning and the play mark of a video.
#pragma once

#include "base/picture_size.h"

#include <cstdint>

// The picture's size along one axis at `zoom` percent. Only 15, 25, 50, 75, 125, 150, 175 and 200
// scale; any other zoom (100 among them) shows the picture at its own size. Truncated.
int ImageZoomSize(int size, int zoom);

// A scroll offset kept to 0..(display - client); 0 when the picture fits.
int ClampImageScroll(int scroll, int displaySize, int clientSize);

// The offset that shows the middle of a picture larger than the window; 0 when it fits.
int CentredImageScroll(int displaySize, int clientSize);

// Panning by `delta` pointer pixels: the picture follows the pointer. Unchanged when it fits.
int PanImageScroll(int scroll, int delta, int displaySize, int clientSize);

// One axis of the copy of the displayed picture into the window: a picture that fits is centred
// whole, a larger one fills the window from the scroll offset.
struct ImageSpan {
    int destination = 0;
    int source = 0;
    int length = 0;
};
ImageSpan ImageBlitSpan(int scroll, int displaySize, int clientSize);

// The play mark drawn over a video's picture: a triangle 14 wide and 20 high pointing right,
// centred in the displayed picture.
struct ImagePoint {
    int x = 0;
    int y = 0;
};
struct PlayTriangle {
    ImagePoint points[3];
};
PlayTriangle VideoPlayTriangle(int displayWidth, int displayHeight);
