// The format blocks of the media types a camera offers, as many as the input holds: each is a
// subtype-and-kind byte, a size byte and that many bytes. The lists they make and the default
// chosen from them hold only sizes the program can open.
#include "capture/format_map.h"
#include "tests/fuzz/fuzz_input.h"

#include <algorithm>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader in{data, size};
    FormatMap mjpg, yuy2;
    while (in.size > 0) {
        const uint8_t kind = in.Take<uint8_t>();
        const size_t blockSize = std::min<size_t>(in.Take<uint8_t>(), in.size);
        // Each block in an allocation of its own size, so a read past its end is caught.
        const std::vector<uint8_t> block(in.data, in.data + blockSize);
        in.data += blockSize;
        in.size -= blockSize;
        const uint32_t subtype = kind & 1 ? kFourccYuy2 : kFourccMjpg;
        const auto format =
            FormatOfBlock(subtype, kind & 2 ? FormatBlockKind::VideoInfo2 : FormatBlockKind::VideoInfo,
                          block.empty() ? nullptr : block.data(), block.size());
        FUZZ_CHECK(format || block.size() < kVideoInfoBytes || (kind & 2 && block.size() < kVideoInfo2Bytes));
        if (format && InsertFormat(subtype == kFourccMjpg ? mjpg : yuy2, *format))
            FUZZ_CHECK(IsOfferedCaptureSize(format->width, format->height));
    }
    AddInterpolatedFormats(mjpg, kFourccMjpg);
    AddInterpolatedFormats(yuy2, kFourccYuy2);
    if (const auto chosen = ChooseDefaultFormat(mjpg, yuy2)) {
        FUZZ_CHECK(IsOfferedCaptureSize(chosen->width, chosen->height));
        FUZZ_CHECK(FindFormatBySize(mjpg.empty() ? yuy2 : mjpg, chosen->width, chosen->height) ||
                   chosen->interpolated);
    } else {
        FUZZ_CHECK(mjpg.empty() && yuy2.empty());
    }
    return 0;
}
