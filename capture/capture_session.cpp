#include "capture/capture_session.h"

CaptureSession g_capture;

HeldFrame::HeldFrame() : HeldFrame(g_capture.ring) {}

const FrameBuffer* GetLatestFrame() {
    return LatestFrame(g_capture.ring);
}

const FrameBuffer* AcquireLatestFrame() {
    return AcquireLatestFrame(g_capture.ring);
}

void ReleaseLatestFrame(const FrameBuffer* frame) {
    ReleaseLatestFrame(g_capture.ring, frame);
}
