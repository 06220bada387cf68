// The pictures the virtual camera shows, as pure functions so that tests can compute the expected
// colour of any pixel at any frame size. Pure code (no windows.h).
//
// Specimen: a scene 6.4 mm wide (so 100 pixels a millimetre at 640 wide, 200 at 1280), square
// pixels. Stained cells on a light background, and across the lower part a white millimetre ruler
// with ticks every 0.1 mm (longer at 0.5 mm, longest with a number at each millimetre). A small
// marker in the top-right corner turns once a second so that a live picture looks live; every
// other pixel is the same in every frame.
//
// Busy: the specimen as a real sensor delivers it, for recording and encoding figures: a fixed
// fine grain of -6..6 levels (the same in the three colours) and noise of -3..3 levels in each
// colour that changes every frame and repeats after fps frames (one second). The marker's square
// is as in the specimen. Every specimen colour stays within 0..255 with both added.
//
// Signal frame: eight horizontal bands of uniform colour (band 0 at the bottom), the frame the
// program takes as a zoom step when it arrives at 640x480.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "testcam/testcam_config.h"

struct TestRgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const TestRgb&) const = default;
};

struct TestRect {
    int left = 0, top = 0, right = 0, bottom = 0; // right and bottom exclusive
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

inline constexpr int kTestPictureMicronsWide = 6400;
inline constexpr TestRgb kTestPictureBackground = {226, 232, 218};
inline constexpr TestRgb kTestPictureRulerBody = {246, 244, 234};
inline constexpr TestRgb kTestPictureInk = {20, 20, 20};
inline constexpr TestRgb kTestPictureMarkerDark = {40, 40, 40};
inline constexpr TestRgb kTestPictureMarkerLit = {255, 200, 0};

// Pixels per millimetre of the specimen at this frame width.
double TestPicture_PixelsPerMm(int width);

// The ruler's body (full width) and its ticks. Tick `tenth` (0, 1, 2 ... in tenths of a
// millimetre from the ruler's zero) covers the columns TickX .. TickX + TickWidth - 1 from the
// ruler's top row down TickLength rows. Ticks lie wholly inside the frame for tenth 0 ..
// TickCount - 1; tick 10 * n carries the number n below it.
TestRect TestPicture_RulerRect(int width, int height);
int TestPicture_RulerTickX(int width, int tenth);
int TestPicture_RulerTickWidth(int width);
int TestPicture_RulerTickLength(int width, int height, int tenth);
int TestPicture_RulerTickCount(int width);

// The live marker's square; inside it the picture changes from frame to frame, one of four
// phases (a lit quadrant going round once a second).
TestRect TestPicture_MarkerRect(int width, int height);
int TestPicture_MarkerPhase(int frameIndex, int fps);

// Colour of the pixel at column x, row y counted from the top.
TestRgb TestPicture_SpecimenPixel(int width, int height, int x, int y, int frameIndex, int fps);
TestRgb TestPicture_SignalPixel(int width, int height, int x, int y);
TestRgb TestPicture_BusyPixel(int width, int height, int x, int y, int frameIndex, int fps);
TestRgb TestPicture_Pixel(TestCamPicture picture, int width, int height, int x, int y, int frameIndex,
                          int fps);

// Colour of signal band 0..7 and the band of row y (counted from the top).
TestRgb TestPicture_SignalBandColor(int band);
int TestPicture_SignalBand(int height, int y);

// Bytes of one row of a bottom-up 24-bit DIB: width * 3 rounded up to a multiple of 4.
size_t TestPicture_DibStride(int width);

// Renders a whole frame as a bottom-up 24-bit DIB (blue, green, red; rows `stride` bytes apart,
// stride >= width * 3). RenderMarker redraws only the live marker's square, for the next frame.
void TestPicture_Render(TestCamPicture picture, int width, int height, uint8_t* dib, size_t stride,
                        int frameIndex, int fps);
void TestPicture_RenderMarker(int width, int height, uint8_t* dib, size_t stride, int frameIndex, int fps);

// The busy picture's parts. Grain and noise of pixel (x, y); channel 0 blue, 1 green, 2 red.
int TestPicture_BusyGrain(int x, int y);
int TestPicture_BusyNoise(int width, int x, int y, int channel, int frameIndex, int fps);
// So that a camera can keep the specimen with its grain and add only each frame's noise: the
// grain added to every pixel, the noise levels of every frame of a second at one size, and a
// frame's noise added from them to every pixel. The marker is drawn over them afterwards.
void TestPicture_AddBusyGrain(int width, int height, uint8_t* dib, size_t stride);
std::vector<int8_t> TestPicture_BusyNoiseLevels(int width, int height, int fps);
void TestPicture_AddBusyNoise(int width, int height, uint8_t* dib, size_t stride, int frameIndex, int fps,
                              const std::vector<int8_t>& levels);
// Add them to a rendered specimen (leaving the marker's square), so that a camera can keep the
// specimen with its grain and add only each frame's noise.
void TestPicture_AddBusyGrain(int width, int height, uint8_t* dib, size_t stride);
void TestPicture_AddBusyNoise(int width, int height, uint8_t* dib, size_t stride, int frameIndex, int fps);
