// Produces the bytes of each frame in the delivered format: the picture is rendered once per
// size and kept; each frame copies it, redraws the live marker and converts it.
#pragma once

#include <cstdint>
#include <vector>

#include "testcam/media_types.h"
#include "testcam/test_picture.h"

class FrameSource {
public:
    // Writes frame `frameIndex` into `dst` (capacity bytes). Returns the bytes written, 0 when
    // the frame does not fit or cannot be made.
    long Produce(const VideoType& type, TestCamPicture picture, int frameIndex, int fps,
                 uint8_t* dst, long capacity);

private:
    struct Picture {
        TestCamPicture picture;
        int width, height;
        std::vector<uint8_t> dib;
    };
    struct Jpeg {
        TestCamPicture picture;
        int width, height, phase;
        std::vector<uint8_t> bytes;
    };
    const Picture& Base(TestCamPicture picture, int width, int height);
    // The frame as a bottom-up DIB in `work_`.
    void RenderFrame(TestCamPicture picture, int width, int height, int frameIndex, int fps);

    std::vector<Picture> pictures_;
    std::vector<Jpeg> jpegs_;
    std::vector<uint8_t> work_;
};
