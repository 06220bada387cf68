// The capture session: everything about the open camera and the attached ones, in one record.
// User-interface thread, except where a member says otherwise.
#pragma once

#include "capture/capture_graph.h"
#include "capture/device_list.h"
#include "capture/frame_rate.h"
#include "capture/frame_ring.h"
#include "capture/video_format.h"

#include <atomic>
#include <vector>

struct CaptureSession {
    // The attached cameras, as last enumerated, and the index of the open one (-1 while none is).
    std::vector<CaptureDeviceInfo> devices;
    int currentDevice = -1;

    // The format the camera is to be opened with; start-up sets it from the settings.
    VideoFormat requestedFormat;
    // The format the camera was set to (for an interpolated request: 640x480 with interpolated 1).
    // Written while no frames flow; all zero while no camera is open.
    VideoFormat currentFormat{0, 0, 0, 0};

    // Frames per second of the open camera; 30 before the first frames and after each close.
    // Written by the streaming thread, read by anyone without a lock.
    std::atomic<float> frameRate{kDefaultFrameRate};
    // The open camera's frames, written by the streaming thread.
    FrameRing ring;

    // Last, so that it goes first: its callbacks write into the ring.
    CaptureGraph graph;
};

// The program's one session.
extern CaptureSession g_capture;

// The newest frame of the open camera's ring, for the camera view and anyone else who draws
// frames. GetLatestFrame is for a quick look only; use AcquireLatestFrame/ReleaseLatestFrame (or
// HeldFrame) around anything that reads the pixels for a while, such as a paint.
const FrameBuffer* GetLatestFrame();
const FrameBuffer* AcquireLatestFrame();
void ReleaseLatestFrame(const FrameBuffer* frame);
