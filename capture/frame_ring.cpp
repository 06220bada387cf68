#include "capture/frame_ring.h"

#include <new>

bool AllocateFrameRing(FrameRing& ring, int width, int height) {
    FreeFrameRing(ring);
    if (width <= 0 || height <= 0)
        return false;
    const size_t size = static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
    for (FrameBuffer& buffer : ring.buffers) {
        // Zero-filled so that a paint before the first frame shows black, not stale memory.
        buffer.pixels.reset(new (std::nothrow) uint8_t[size]());
        if (!buffer.pixels) {
            FreeFrameRing(ring);
            return false;
        }
        buffer.width = width;
        buffer.height = height;
        buffer.size = size;
        buffer.sequence = 0;
        buffer.deliverMicros = 0;
    }
    ring.frames = 0;
    std::lock_guard<std::mutex> guard(ring.lock);
    ring.latest = 0;
    ring.holds = {};
    return true;
}

void FreeFrameRing(FrameRing& ring) {
    {
        std::lock_guard<std::mutex> guard(ring.lock);
        ring.latest = -1;
        ring.holds = {};
    }
    for (FrameBuffer& buffer : ring.buffers)
        buffer = FrameBuffer{};
}

int BeginFrameWrite(FrameRing& ring) {
    std::lock_guard<std::mutex> guard(ring.lock);
    if (ring.latest < 0)
        return -1;
    for (int step = 1; step < kFrameRingSize; ++step) {
        const int index = (ring.latest + step) % kFrameRingSize;
        if (ring.holds[index] == 0)
            return index;
    }
    return -1;
}

void PublishFrame(FrameRing& ring, int index) {
    if (index < 0 || index >= kFrameRingSize)
        return;
    std::lock_guard<std::mutex> guard(ring.lock);
    if (ring.latest >= 0)
        ring.latest = index;
}

const FrameBuffer* LatestFrame(FrameRing& ring) {
    std::lock_guard<std::mutex> guard(ring.lock);
    if (ring.latest < 0 || ring.latest >= kFrameRingSize)
        return nullptr;
    return &ring.buffers[ring.latest];
}

const FrameBuffer* AcquireLatestFrame(FrameRing& ring) {
    std::lock_guard<std::mutex> guard(ring.lock);
    if (ring.latest < 0 || ring.latest >= kFrameRingSize)
        return nullptr;
    ++ring.holds[ring.latest];
    return &ring.buffers[ring.latest];
}

void ReleaseLatestFrame(FrameRing& ring, const FrameBuffer* frame) {
    if (frame == nullptr)
        return;
    std::lock_guard<std::mutex> guard(ring.lock);
    for (int index = 0; index < kFrameRingSize; ++index) {
        if (frame == &ring.buffers[index] && ring.holds[index] > 0) {
            --ring.holds[index];
            return;
        }
    }
}
