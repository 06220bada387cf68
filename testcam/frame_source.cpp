#include "testcam/frame_source.h"

#include <algorithm>
#include <cstring>

#include "testcam/frame_convert.h"
#include "testcam/jpeg_writer.h"

namespace {

constexpr size_t kMaxCachedPictures = 4;
// Enough for a second of busy frames at 60 a second.
constexpr size_t kMaxCachedJpegs = 64;
constexpr int kJpegQuality = 90;

} // namespace

const FrameSource::Picture& FrameSource::Base(TestCamPicture picture, int width, int height, int fps) {
    for (const Picture& p : pictures_)
        if (p.picture == picture && p.width == width && p.height == height &&
            (picture != TestCamPicture::Busy || p.fps == fps))
            return p;
    if (pictures_.size() >= kMaxCachedPictures)
        pictures_.erase(pictures_.begin());
    Picture p{picture, width, height, {}, fps, {}};
    const size_t stride = TestPicture_DibStride(width);
    p.dib.assign(stride * size_t(height), 0);
    // The busy picture's base is the specimen with its grain; each frame adds its own noise.
    TestPicture_Render(picture == TestCamPicture::Busy ? TestCamPicture::Specimen : picture, width, height,
                       p.dib.data(), stride, 0, 30);
    if (picture == TestCamPicture::Busy) {
        TestPicture_AddBusyGrain(width, height, p.dib.data(), stride);
        p.noise = TestPicture_BusyNoiseLevels(width, height, fps);
    }
    pictures_.push_back(std::move(p));
    return pictures_.back();
}

void FrameSource::RenderFrame(TestCamPicture picture, int width, int height, int frameIndex, int fps) {
    const Picture& base = Base(picture, width, height, fps);
    work_ = base.dib;
    Animate(base, work_.data(), frameIndex, fps);
}

void FrameSource::Animate(const Picture& base, uint8_t* dib, int frameIndex, int fps) {
    if (base.picture == TestCamPicture::SignalFrame)
        return;
    const size_t stride = TestPicture_DibStride(base.width);
    if (base.picture == TestCamPicture::Busy)
        TestPicture_AddBusyNoise(base.width, base.height, dib, stride, frameIndex, fps, base.noise);
    TestPicture_RenderMarker(base.width, base.height, dib, stride, frameIndex, fps);
}

long FrameSource::Produce(const VideoType& type, TestCamPicture picture, int frameIndex, int fps,
                          uint8_t* dst, long capacity) {
    const int w = type.width, h = type.height;
    const size_t stride = TestPicture_DibStride(w);
    if (type.fourcc == kTestCamRgb24) {
        const long size = long(stride * size_t(h));
        if (size > capacity)
            return 0;
        const Picture& base = Base(picture, w, h, fps);
        std::memcpy(dst, base.dib.data(), size_t(size));
        Animate(base, dst, frameIndex, fps);
        return size;
    }
    if (type.fourcc == kTestCamYuy2) {
        const long size = ImageSize(type);
        if (size > capacity)
            return 0;
        RenderFrame(picture, w, h, frameIndex, fps);
        ConvertDibToYuy2(work_.data(), stride, w, h, dst);
        return size;
    }
    if (type.fourcc == kTestCamMjpg) {
        // The specimen changes only with the marker: one JPEG per marker phase is enough. The busy
        // picture repeats after a second: one JPEG per frame of that second.
        const int phase = picture == TestCamPicture::Specimen ? TestPicture_MarkerPhase(frameIndex, fps)
                          : picture == TestCamPicture::Busy   ? std::max(frameIndex, 0) % std::max(fps, 1)
                                                              : 0;
        const Jpeg* found = nullptr;
        for (const Jpeg& j : jpegs_)
            if (j.picture == picture && j.width == w && j.height == h && j.phase == phase)
                found = &j;
        if (!found) {
            RenderFrame(picture, w, h, frameIndex, fps);
            std::vector<uint8_t> bytes = EncodeJpeg(work_.data(), stride, w, h, kJpegQuality);
            if (bytes.empty())
                return 0;
            if (jpegs_.size() >= kMaxCachedJpegs)
                jpegs_.erase(jpegs_.begin());
            jpegs_.push_back({picture, w, h, phase, std::move(bytes)});
            found = &jpegs_.back();
        }
        if (long(found->bytes.size()) > capacity)
            return 0;
        std::memcpy(dst, found->bytes.data(), found->bytes.size());
        return long(found->bytes.size());
    }
    // A subtype the camera only claims to have: mid-gray bytes of the declared size.
    const long size = ImageSize(type);
    if (size > capacity)
        return 0;
    std::memset(dst, 0x80, size_t(size));
    return size;
}
