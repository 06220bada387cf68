#include "output/frame_sinks.h"

#include "output/encode_pool.h"
#include "output/jpeg_encoder.h"

#include <objbase.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <thread>
#include <vector>

// The program's own encoder: the platform's (WIC) took 37 ms for a busy 1920x1080 frame under
// Wine, too slow to keep up with the camera on two cores.
struct JpegFrameEncoder::Impl {
    JpegEncoder jpeg{static_cast<int>(std::lround(kVideoJpegQuality * 100))};
};

JpegFrameEncoder::JpegFrameEncoder() : impl_(std::make_unique<Impl>()) {}

JpegFrameEncoder::~JpegFrameEncoder() = default;

const uint8_t* JpegFrameEncoder::Encode(const uint8_t* pixels, int width, int height, size_t* size) {
    try {
        return impl_->jpeg.Encode(pixels, width, height, size);
    } catch (const std::bad_alloc&) {
        return nullptr; // the output could not grow: this frame is lost, the recording goes on
    }
}

namespace {

// Frames encoded side by side: on two cores a second encoder nearly doubles what can be recorded.
int EncoderThreads() {
    return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
}

class MjpegFrameSink final : public FrameSink {
public:
    MjpegFrameSink(int width, int height) : width_(width), height_(height) {}
    ~MjpegFrameSink() override {
        pool_.reset();
        file_.Close();
    }

    bool Begin(const VideoFileSetup& setup, MjpegSinkError* error) {
        DWORD code = 0;
        if (!file_.Open(setup.path, &code)) {
            *error = MjpegSinkError::CannotCreateFile;
            return false;
        }
        // One frame through the encoder before anything is promised: without a working JPEG
        // encoder nothing could be recorded, and no JPEG describes a frame wider or taller
        // than kMaxSide.
        JpegFrameEncoder probe;
        std::vector<uint8_t> grey(static_cast<size_t>(16) * 16 * 3, 128);
        size_t size = 0;
        if (!probe.Encode(grey.data(), 16, 16, &size) || width_ > JpegEncoder::kMaxSide ||
            height_ > JpegEncoder::kMaxSide) {
            *error = MjpegSinkError::NoEncoder;
            return false;
        }
        if (!writer_.Begin(file_, width_, height_, setup.frameRate)) {
            *error = MjpegSinkError::CannotCreateFile;
            return false;
        }
        const int width = width_;
        const int height = height_;
        EncodePool::Hooks hooks;
        hooks.threadStarting = [] { CoInitializeEx(nullptr, COINIT_MULTITHREADED); };
        hooks.threadEnding = [] { CoUninitialize(); };
        pool_ = std::make_unique<EncodePool>(
            EncoderThreads(), static_cast<size_t>(width) * height * 3,
            [width, height]() -> EncodePool::Encoder {
                auto encoder = std::make_shared<JpegFrameEncoder>();
                return [encoder, width, height](const uint8_t* pixels, std::vector<uint8_t>& out) {
                    size_t size = 0;
                    const uint8_t* jpeg = encoder->Encode(pixels, width, height, &size);
                    if (!jpeg)
                        return false;
                    out.assign(jpeg, jpeg + size);
                    return true;
                };
            },
            hooks);
        return true;
    }

    // The frame goes to the encoders; what they have finished, in order, goes to the file. So
    // the answer is about the frames written now, which are a few frames older than this one.
    Result WriteFrame(const uint8_t* pixels, int64_t time100ns) override {
        if (writer_.Failed())
            return Result::Failed;
        if (!pool_->Submit(pixels, time100ns)) {
            ++tally_.lost;
            return Result::Dropped;
        }
        return TakeEncoded(false);
    }

    bool KeepsTally(Tally* tally) const override {
        *tally = tally_;
        return true;
    }

    bool Finish() override {
        TakeEncoded(true);
        pool_.reset();
        const bool finished = writer_.Finish();
        file_.Close();
        return finished;
    }

private:
    Result TakeEncoded(bool all) {
        bool lost = false;
        pool_->Collect(all, [&](int64_t time, bool ok, const std::vector<uint8_t>& jpeg) {
            if (!ok || writer_.Failed() || !writer_.AddFrame(jpeg.data(), jpeg.size(), time)) {
                lost = true;
                ++tally_.lost;
            } else {
                ++tally_.written;
            }
        });
        if (writer_.Failed())
            return Result::Failed;
        return lost ? Result::Dropped : Result::Written;
    }

    int width_;
    int height_;
    FileByteSink file_;
    Mp4MjpegWriter writer_;
    std::unique_ptr<EncodePool> pool_;
    Tally tally_;
};

} // namespace

std::unique_ptr<FrameSink> CreateMjpegSink(const VideoFileSetup& setup, MjpegSinkError* error) {
    MjpegSinkError ignored = MjpegSinkError::None;
    if (!error)
        error = &ignored;
    *error = MjpegSinkError::None;
    auto sink = std::make_unique<MjpegFrameSink>(setup.width, setup.height);
    if (!sink->Begin(setup, error))
        return nullptr;
    return sink;
}
