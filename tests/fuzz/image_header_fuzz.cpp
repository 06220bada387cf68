// The image viewer's size probe over any file head.
#include "panels/image_header.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ImageHeaderSize header = ReadImageHeaderSize(data, size);
    if (header.known)
        FUZZ_CHECK(header.width > 0 && header.height > 0);
    return 0;
}
