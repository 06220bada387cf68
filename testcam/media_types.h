// The video media types the camera offers and accepts: one VIDEOINFOHEADER type per
// subtype, size and frame interval, and what a pin needs to build, compare and free them.
#pragma once

#include <dshow.h>

#include <cstdint>

#include "capture/media_type_free.h"
#include "testcam/testcam_config.h"

struct VideoType {
    uint32_t fourcc = kTestCamRgb24; // kTestCamRgb24, kTestCamYuy2, kTestCamMjpg or another FOURCC
    int width = 0;
    int height = 0;
    REFERENCE_TIME interval = 0; // 100 ns units a frame
};

REFERENCE_TIME IntervalForFps(int fps);
VideoType VideoTypeFor(const TestCamFormat& format);
GUID SubtypeFor(uint32_t fourcc);
bool SameKind(const VideoType& a, const VideoType& b); // subtype and size

// Bytes a sample of this type can need at most.
long ImageSize(const VideoType& type);
int64_t BitRate(const VideoType& type);

// Fills `mt` (its old contents are not freed); false when out of memory.
bool MediaType_Fill(const VideoType& type, AM_MEDIA_TYPE* mt);
AM_MEDIA_TYPE* MediaType_Create(const VideoType& type);
bool MediaType_Copy(const AM_MEDIA_TYPE& from, AM_MEDIA_TYPE* to);

// Reads a video type of ours out of a media type: major type video, VIDEOINFOHEADER (or
// VIDEOINFOHEADER2) format block of the declared size, a subtype we can produce and a size
// that is positive (bottom-up for RGB24). False for anything else.
bool MediaType_Parse(const AM_MEDIA_TYPE& mt, VideoType* type);

void FillStreamCaps(const VideoType& type, VIDEO_STREAM_CONFIG_CAPS* caps);
