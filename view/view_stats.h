// The figures of the picture path, kept by the camera view so that it can be measured from outside
// (view_query.h).
#pragma once

#include "view/time_samples.h"

#include <cstdint>

struct FrameBuffer;

struct ViewStats {
    unsigned paints = 0;        // compositions copied to the window
    TimeSamples compose;        // composing the back buffer and copying it to the window
    TimeSamples framePath;      // a frame's whole way: copy and filters on delivery, then its composition
    unsigned framesPainted = 0; // camera frames painted at least once
    uint64_t lastPainted = 0;   // the sequence number of the frame painted last
};

// The microseconds of `ticks` of the performance counter.
unsigned CounterMicroseconds(long long ticks);

// A composition done: its time, and the frame's whole way when it is a camera frame.
void RecordComposition(ViewStats& stats, const FrameBuffer& frame, long long ticks);

// The baseline of the frame path's figures: one memcpy of a frame of this size (median of 9).
unsigned FrameCopyMicros(int frameWidth, int frameHeight);
