#include "capture/frame_delivery.h"

#include "capture/frame_copy.h"
#include "capture/signal_frame.h"
#include "capture/frame_filters.h"

#include <chrono>

std::atomic<RecorderFrameHook> g_recorderFrameHook{nullptr};

FrameOutcome DeliverFrame(FrameRing& ring, FrameTimeWindow& window, std::atomic<float>& frameRate,
                          const uint8_t* buffer, size_t length, uint32_t now) {
    if (buffer == nullptr)
        return FrameOutcome::WrongSize;
    if (IsSignalFrame(buffer, length))
        return FrameOutcome::SignalFrame;

    frameRate.store(UpdateFrameRate(window, now, frameRate.load()));

    const int index = BeginFrameWrite(ring);
    if (index < 0)
        return FrameOutcome::NoBuffer;
    FrameBuffer& frame = ring.buffers[index];
    if (length != frame.size)
        return FrameOutcome::WrongSize;

    const auto start = std::chrono::steady_clock::now();
    CopyFrame(frame.pixels.get(), buffer, length);
    ApplyFrameFilters(frame.pixels.get(), frame.width, frame.height);
    const auto spent = std::chrono::steady_clock::now() - start;
    frame.deliverMicros =
        static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::microseconds>(spent).count());
    frame.sequence = ++ring.frames;
    PublishFrame(ring, index);

    if (RecorderFrameHook hook = g_recorderFrameHook.load())
        hook(frame.pixels.get(), length);
    return FrameOutcome::Published;
}
