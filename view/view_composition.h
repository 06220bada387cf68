// Composing the camera view's picture: the back buffer and its drawing objects, the frame made into
// it, the digital-zoom label and the overlay over it, the copy onto the window, the screen shown
// without a camera, and the picture a photo keeps.
#pragma once

#include "view/camera_view.h"

#include <windows.h>

struct FrameBuffer;

// The header of an uncompressed RGB bitmap; a negative height is a top-down one.
BITMAPINFOHEADER RgbBitmapHeader(int width, int height, WORD bitCount);

// The back buffer and the overlay's drawing objects, which draw on its context; remade on demand.
void DropBackBuffer(CameraViewState& v);
// The overlay's drawing objects and the label font, for a new style or DPI.
void DropDrawingObjects(CameraViewState& v);
// The overlay's drawing objects on `dc`, made once per back buffer and style, never per paint.
void MakeDrawingObjects(CameraViewState& v, HDC dc);

// The frame into the back buffer, then the visible part onto `dc`. Only what the window shows is
// composed, unless `whole` asks for all of it, as a photo of the view does.
void ComposeAndCopy(CameraViewState& v, HDC dc, const FrameBuffer* frame, bool whole = false);

// WM_PAINT: the margins or the no-camera screen, then the newest frame.
void PaintCameraView(CameraViewState& v);
