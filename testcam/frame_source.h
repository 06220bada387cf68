// Produces the bytes of each frame in the delivered format: the picture is rendered once per
// size and kept; each frame copies it, redraws the live marker (and the busy picture's noise) and
// converts it.
#pragma once

#include <cstdint>
#include <vector>

#include "testcam/media_types.h"
#include "testcam/test_picture.h"

class FrameSource {
public:
    // Writes frame `frameIndex` into `dst` (capacity bytes). Returns the bytes written, 0 when
    // the frame does not fit or cannot be made.
    long Produce(const VideoType& type, TestCamPicture picture, int frameIndex, int fps, uint8_t* dst,
                 long capacity);

private:
    struct Picture {
        TestCamPicture picture;
        int width, height;
        std::vector<uint8_t> dib;
        int fps;                   // of the busy picture's noise
        std::vector<int8_t> noise; // the busy picture's noise for a second of frames
    };
    struct Jpeg {
        TestCamPicture picture;
        int width, height, phase;
        std::vector<uint8_t> bytes;
    };
    // The frame as a bottom-up DIB in `work_`.
    void RenderFrame(TestCamPicture picture, int width, int height, int frameIndex, int fps);
    const Picture& Base(TestCamPicture picture, int width, int height, int fps);
    // What changes from frame to frame, drawn over a copy of the base picture.
    static void Animate(const Picture& base, uint8_t* dib, int frameIndex, int fps);

    std::vector<Picture> pictures_;
    std::vector<Jpeg> jpegs_;
    std::vector<uint8_t> work_;
};
