// The recorder's own JPEG encoder: baseline sequential JFIF, YCbCr with the colour at half
// resolution both ways (4:2:0), the usual Huffman tables and quantisation tables scaled by a
// quality. Written for speed on a camera's frames: a fast float DCT with the quantiser folded in,
// colour conversion and downsampling done per 16x16 block, and no allocation once the output has
// grown to the largest frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class JpegEncoder {
public:
    // The largest width or height a JPEG file can describe.
    static constexpr int kMaxSide = 65535;

    explicit JpegEncoder(int quality = 90);

    // 1..100 (values outside are clamped); 50 keeps the base tables, higher is finer.
    void SetQuality(int quality);
    int Quality() const { return quality_; }

    // Encodes a picture of B, G, R bytes, rows bottom-up without gaps (width * 3 bytes each).
    // The bytes are valid until the next call; null when the size cannot be stored in a JPEG
    // (below 1 or above 65535 either way).
    const uint8_t* Encode(const uint8_t* bgr, int width, int height, size_t* size);

    // The quantisation tables in use, row by row (for the tests and the benchmark).
    const uint8_t* LumaTable() const { return luma_; }
    const uint8_t* ChromaTable() const { return chroma_; }

private:
    void EnsureRoom(size_t bytes);
    void WriteHeaders(int width, int height);

    int quality_ = 0;
    uint8_t luma_[64] = {}; // quantisation steps, row by row
    uint8_t chroma_[64] = {};
    float lumaScale_[64] = {}; // what multiplies the fast DCT's output, in zigzag order
    float chromaScale_[64] = {};
    std::vector<uint8_t> out_; // grows to the largest frame; only out_[0..used_) is the picture
    size_t used_ = 0;
};

// The DCT and quantiser on their own, so that tests can hold them against a plain DCT.
namespace jpeg_internal {

// What JpegEncoder multiplies the fast DCT's output by, in zigzag order, for quantisation steps
// given row by row.
void QuantiserScales(const uint8_t steps[64], float scales[64]);

// The 2-D DCT of an 8x8 block of level-shifted samples (row by row; the block is overwritten),
// each coefficient multiplied by its scale and rounded, in zigzag order.
void ForwardDctQuantise(float block[64], const float scales[64], int16_t zigzag[64]);

// Natural (row by row) index of the k-th coefficient in zigzag order.
int ZigzagToNatural(int k);

} // namespace jpeg_internal
