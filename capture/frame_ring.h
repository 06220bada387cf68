// The ring of four RGB24 frame buffers between the capture graph's streaming thread (the only
// writer) and the readers on the user-interface thread.
//
// The writer fills a buffer that is neither the newest nor held by a reader, then publishes it as
// the newest at once; it never waits for a reader. A reader that holds a buffer
// (AcquireLatestFrame ... ReleaseLatestFrame, or HeldFrame) keeps it out of the rotation, so the
// picture it draws cannot change under it however long the drawing takes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

// One RGB24 frame: bytes Blue, Green, Red per pixel, rows of width * 3 bytes with no gaps, the
// first row in memory the bottom row of the picture.
struct FrameBuffer {
    std::unique_ptr<uint8_t[]> pixels;
    int width = 0;
    int height = 0;
    size_t size = 0; // width * height * 3
    // Written by the writer before it publishes the buffer: the frame's number (1 for the camera's
    // first frame; 0 while the buffer holds no frame) and the time its copy and filters took.
    uint64_t sequence = 0;
    uint32_t deliverMicros = 0;
};

inline constexpr int kFrameRingSize = 4;

struct FrameRing {
    std::array<FrameBuffer, kFrameRingSize> buffers;
    // The frame lock. Guards latest and holds only, never the pixels.
    std::mutex lock;
    int latest = -1;                         // newest complete frame; -1 while no buffers exist
    std::array<int, kFrameRingSize> holds{}; // readers holding each buffer
    uint64_t frames = 0;                     // frames published since the ring was allocated (writer only)
};

// Allocates four zero-filled buffers of width x height for a camera being opened; buffer 0 counts
// as the newest until the first frame arrives. False (and nothing allocated) when the size is not
// positive or memory is short. Call only while no frames flow.
bool AllocateFrameRing(FrameRing& ring, int width, int height);

// Frees the buffers at close, after the streaming thread has stopped. Readers must have released
// what they held: a held buffer is freed all the same.
void FreeFrameRing(FrameRing& ring);

// Writer side. The buffer to fill next: after the newest in ring order, passing over the newest and
// any held buffer. -1 when there is none (no buffers, or every other buffer held).
int BeginFrameWrite(FrameRing& ring);
// Makes the filled buffer the newest.
void PublishFrame(FrameRing& ring, int index);

// Reader side, on a given ring.
// The newest frame without holding it: the writer may fill it again once three newer frames have
// arrived. Null while no buffers exist.
const FrameBuffer* LatestFrame(FrameRing& ring);
// The newest frame, held until released: the writer leaves it alone meanwhile. Null while no
// buffers exist. Every non-null result must be released, on the same ring, before the camera closes.
const FrameBuffer* AcquireLatestFrame(FrameRing& ring);
void ReleaseLatestFrame(FrameRing& ring, const FrameBuffer* frame);

// Holds the newest frame of the open camera's ring for its own lifetime:
//   HeldFrame frame;
//   if (frame) Draw(frame->pixels.get(), frame->width, frame->height);
// Destroy it before the camera closes (a paint handler's local is right).
class HeldFrame {
public:
    HeldFrame(); // the open camera's ring (capture_session.h, Win32 code)
    explicit HeldFrame(FrameRing& ring) : ring_(&ring), frame_(AcquireLatestFrame(ring)) {}
    ~HeldFrame() { ReleaseLatestFrame(*ring_, frame_); }
    HeldFrame(const HeldFrame&) = delete;
    HeldFrame& operator=(const HeldFrame&) = delete;

    explicit operator bool() const { return frame_ != nullptr; }
    const FrameBuffer* get() const { return frame_; }
    const FrameBuffer* operator->() const { return frame_; }

private:
    FrameRing* ring_;
    const FrameBuffer* frame_;
};
