// What the preview callback does with each frame the capture graph delivers, without the platform:
// recognise the signal frame, measure the frame rate, copy into the ring, filter, publish, and hand
// the frame to the video recorder.
#pragma once

#include "capture/frame_rate.h"
#include "capture/frame_ring.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

// The video recorder's hand-off point: while set, it is called on the streaming thread with every
// published (filtered) frame and must copy what it keeps. Null while no recorder takes frames.
using RecorderFrameHook = void (*)(const uint8_t* frame, size_t length);
extern std::atomic<RecorderFrameHook> g_recorderFrameHook;

enum class FrameOutcome {
    SignalFrame, // swallowed: not shown, not counted; the caller announces a zoom step
    WrongSize,   // counted for the frame rate, then dropped
    NoBuffer,    // no camera open, or every free buffer held by readers: dropped
    Published,   // the newest frame now; the caller asks the view to repaint
};

// One preview frame of length bytes at time now (milliseconds). Runs on the streaming thread.
FrameOutcome DeliverFrame(FrameRing& ring, FrameTimeWindow& window, std::atomic<float>& frameRate,
                          const uint8_t* buffer, size_t length, uint32_t now);
