#include "output/jpeg_encoder.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <utility>

namespace {

// Base quantisation tables (quality 50), row by row.
constexpr uint8_t kLumaBase[64] = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55, //
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62, //
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92, //
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99,
};
constexpr uint8_t kChromaBase[64] = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, //
    24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99, //
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, //
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
};

// The usual Huffman tables: how many codes of each length 1..16, and the symbols of the short
// codes in code order. The longest codes take every remaining symbol in ascending order, so
// only the head of each list is written out.
struct HuffmanLayout {
    uint8_t counts[16];
    uint8_t head[48];
    int headLength;
};

constexpr HuffmanLayout kLumaDc = {
    {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 12};
constexpr HuffmanLayout kChromaDc = {
    {0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 12};
constexpr HuffmanLayout kLumaAc = {{0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 125},
                                   {0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31,
                                    0x41, 0x06, 0x13, 0x51, 0x61, 0x07, 0x22, 0x71, 0x14, 0x32,
                                    0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52,
                                    0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72, 0x82},
                                   37};
constexpr HuffmanLayout kChromaAc = {{0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 119},
                                     {0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12,
                                      0x41, 0x51, 0x07, 0x61, 0x71, 0x13, 0x22, 0x32, 0x81, 0x08, 0x14,
                                      0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33, 0x52, 0xf0, 0x15,
                                      0x62, 0x72, 0xd1, 0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1},
                                     43};

// A table's symbols in code order, as they go into the file.
struct HuffmanSymbols {
    uint8_t values[256];
    int count = 0;
};

HuffmanSymbols SymbolsOf(const HuffmanLayout& layout, bool ac) {
    HuffmanSymbols s;
    bool listed[256] = {};
    for (int i = 0; i < layout.headLength; ++i) {
        s.values[s.count++] = layout.head[i];
        listed[layout.head[i]] = true;
    }
    if (ac) {
        // End of block, sixteen zeros, and every run of 0..15 zeros with a size of 1..10 bits.
        for (int symbol = 0; symbol < 256; ++symbol) {
            const int size = symbol & 15;
            const bool used = symbol == 0x00 || symbol == 0xf0 || (size >= 1 && size <= 10);
            if (used && !listed[symbol])
                s.values[s.count++] = static_cast<uint8_t>(symbol);
        }
    }
    return s;
}

// Codes by symbol: the code's bits in the low bits, and its length.
struct HuffmanCodes {
    uint16_t code[256] = {};
    uint8_t length[256] = {};
};

struct Tables {
    HuffmanSymbols symbols[4]; // luma DC, luma AC, chroma DC, chroma AC
    HuffmanCodes codes[4];
    int zigzag[64]; // natural index of each zigzag position
};

const Tables& SharedTables() {
    static const Tables tables = [] {
        Tables t;
        const HuffmanLayout* layouts[4] = {&kLumaDc, &kLumaAc, &kChromaDc, &kChromaAc};
        for (int i = 0; i < 4; ++i) {
            t.symbols[i] = SymbolsOf(*layouts[i], i % 2 == 1);
            uint32_t code = 0;
            int k = 0;
            for (int length = 1; length <= 16; ++length) {
                for (int n = 0; n < layouts[i]->counts[length - 1] && k < t.symbols[i].count; ++n, ++k) {
                    const uint8_t symbol = t.symbols[i].values[k];
                    t.codes[i].code[symbol] = static_cast<uint16_t>(code++);
                    t.codes[i].length[symbol] = static_cast<uint8_t>(length);
                }
                code <<= 1;
            }
        }
        // Zigzag: along the anti-diagonals, alternating direction, starting to the right.
        int k = 0;
        for (int d = 0; d < 15; ++d) {
            const int lo = std::max(0, d - 7), hi = std::min(d, 7);
            for (int i = lo; i <= hi; ++i) {
                const int row = d % 2 == 0 ? d - i : i;
                t.zigzag[k++] = row * 8 + (d - row);
            }
        }
        return t;
    }();
    return tables;
}

// The fast DCT's outputs carry these factors per frequency (times 8 for the 2-D transform).
double DctFactor(int k) {
    return k == 0 ? 1.0 : std::sqrt(2.0) * std::cos(k * 3.14159265358979323846 / 16);
}

// One 1-D pass of the fast DCT down the eight columns of the block; the loop over columns is
// what the compiler turns into vector code.
void DctColumns(float* d) {
    for (int c = 0; c < 8; ++c) {
        const float t0 = d[c] + d[56 + c], t7 = d[c] - d[56 + c];
        const float t1 = d[8 + c] + d[48 + c], t6 = d[8 + c] - d[48 + c];
        const float t2 = d[16 + c] + d[40 + c], t5 = d[16 + c] - d[40 + c];
        const float t3 = d[24 + c] + d[32 + c], t4 = d[24 + c] - d[32 + c];

        const float e10 = t0 + t3, e13 = t0 - t3;
        const float e11 = t1 + t2, e12 = t1 - t2;
        d[c] = e10 + e11;
        d[32 + c] = e10 - e11;
        const float z1 = (e12 + e13) * 0.707106781f;
        d[16 + c] = e13 + z1;
        d[48 + c] = e13 - z1;

        const float o10 = t4 + t5, o11 = t5 + t6, o12 = t6 + t7;
        const float z5 = (o10 - o12) * 0.382683433f;
        const float z2 = 0.541196100f * o10 + z5;
        const float z4 = 1.306562965f * o12 + z5;
        const float z3 = o11 * 0.707106781f;
        const float z11 = t7 + z3, z13 = t7 - z3;
        d[40 + c] = z13 + z2;
        d[24 + c] = z13 - z2;
        d[8 + c] = z11 + z4;
        d[56 + c] = z11 - z4;
    }
}

void Transpose(float* d) {
    for (int r = 0; r < 8; ++r)
        for (int c = r + 1; c < 8; ++c)
            std::swap(d[r * 8 + c], d[c * 8 + r]);
}

// Where the k-th zigzag coefficient sits after the two passes (the block ends up transposed).
struct DctOrder {
    int index[64];
};

const DctOrder& TransposedZigzag() {
    static const DctOrder order = [] {
        DctOrder o;
        for (int k = 0; k < 64; ++k) {
            const int n = SharedTables().zigzag[k];
            o.index[k] = (n % 8) * 8 + n / 8;
        }
        return o;
    }();
    return order;
}

// Rounds to the nearest integer (halves up) and keeps within what baseline codes can carry.
inline int16_t Quantised(float v, int limit) {
    const int q = static_cast<int>(v + 16384.5f) - 16384;
    return static_cast<int16_t>(std::clamp(q, -limit, limit));
}

// Bits into bytes, most significant first, with a 0 after every 0xFF byte.
struct BitWriter {
    uint64_t acc = 0;
    int bits = 0; // bits in acc not yet written
    uint8_t* p = nullptr;

    // value < 2^count, count <= 32
    inline void Put(uint32_t value, int count) {
        acc = (acc << count) | value;
        bits += count;
        if (bits >= 32) {
            bits -= 32;
            const uint32_t word = static_cast<uint32_t>(acc >> bits);
            const uint32_t inverted = ~word;
            if (((inverted - 0x01010101u) & ~inverted & 0x80808080u) == 0) {
                p[0] = static_cast<uint8_t>(word >> 24);
                p[1] = static_cast<uint8_t>(word >> 16);
                p[2] = static_cast<uint8_t>(word >> 8);
                p[3] = static_cast<uint8_t>(word);
                p += 4;
            } else {
                for (int shift = 24; shift >= 0; shift -= 8)
                    Byte(static_cast<uint8_t>(word >> shift));
            }
        }
    }

    inline void Byte(uint8_t b) {
        *p++ = b;
        if (b == 0xff)
            *p++ = 0;
    }

    // Pads the last byte with 1 bits and writes what is left.
    void Finish() {
        const int pad = (8 - bits % 8) % 8;
        acc = (acc << pad) | ((1u << pad) - 1);
        bits += pad;
        while (bits > 0) {
            bits -= 8;
            Byte(static_cast<uint8_t>(acc >> bits));
        }
    }
};

inline int BitSize(int v) {
    return std::bit_width(static_cast<unsigned>(v < 0 ? -v : v));
}

inline uint32_t ExtraBits(int v, int size) {
    return static_cast<uint32_t>(v < 0 ? v - 1 : v) & ((1u << size) - 1);
}

void EncodeBlock(BitWriter& w, const int16_t* zz, int& previousDc, const HuffmanCodes& dc,
                 const HuffmanCodes& ac) {
    const int diff = zz[0] - previousDc;
    previousDc = zz[0];
    int size = BitSize(diff);
    w.Put((static_cast<uint32_t>(dc.code[size]) << size) | ExtraBits(diff, size), dc.length[size] + size);
    // The nonzero coefficients as bits, so that runs of zeros are counted, not walked.
    uint64_t nonzero = 0;
    for (int k = 1; k < 64; ++k)
        nonzero |= static_cast<uint64_t>(zz[k] != 0) << k;
    int last = 0;
    while (nonzero) {
        const int k = std::countr_zero(nonzero);
        nonzero &= nonzero - 1;
        int run = k - last - 1;
        last = k;
        while (run >= 16) {
            w.Put(ac.code[0xf0], ac.length[0xf0]);
            run -= 16;
        }
        const int v = zz[k];
        size = BitSize(v);
        const int symbol = (run << 4) | size;
        w.Put((static_cast<uint32_t>(ac.code[symbol]) << size) | ExtraBits(v, size),
              ac.length[symbol] + size);
    }
    if (last != 63)
        w.Put(ac.code[0x00], ac.length[0x00]);
}

// One 16x16 block of pixels as four 8x8 luma blocks and one block each of Cb and Cr (each the
// mean of 2x2 pixels), level-shifted. rows[i] points at the block's first pixel in its i-th row
// from the top; every row has 16 pixels.
void ConvertMcu(const uint8_t* const rows[16], float luma[4][64], float cb[64], float cr[64]) {
    constexpr int kR = 19595, kG = 38470, kB = 7471; // 0.299, 0.587, 0.114 in 1/65536
    constexpr float kLumaUnit = 1.0f / 65536;
    for (int r = 0; r < 16; ++r) {
        const uint8_t* s = rows[r];
        float* left = luma[(r / 8) * 2] + (r % 8) * 8;
        float* right = luma[(r / 8) * 2 + 1] + (r % 8) * 8;
        for (int c = 0; c < 8; ++c)
            left[c] =
                static_cast<float>(kR * s[c * 3 + 2] + kG * s[c * 3 + 1] + kB * s[c * 3] - 128 * 65536) *
                kLumaUnit;
        s += 24;
        for (int c = 0; c < 8; ++c)
            right[c] =
                static_cast<float>(kR * s[c * 3 + 2] + kG * s[c * 3 + 1] + kB * s[c * 3] - 128 * 65536) *
                kLumaUnit;
    }
    // Cb = -0.168736 R - 0.331264 G + 0.5 B, Cr = 0.5 R - 0.418688 G - 0.081312 B, in 1/65536, of
    // sums of four pixels.
    constexpr int kCbR = -11059, kCbG = -21709, kCbB = 32768, kCrR = 32768, kCrG = -27439, kCrB = -5329;
    constexpr float kChromaUnit = 1.0f / (65536 * 4);
    for (int r = 0; r < 8; ++r) {
        const uint8_t* a = rows[r * 2];
        const uint8_t* b = rows[r * 2 + 1];
        for (int c = 0; c < 8; ++c) {
            const int i = c * 6;
            const int blue = a[i] + a[i + 3] + b[i] + b[i + 3];
            const int green = a[i + 1] + a[i + 4] + b[i + 1] + b[i + 4];
            const int red = a[i + 2] + a[i + 5] + b[i + 2] + b[i + 5];
            cb[r * 8 + c] = static_cast<float>(kCbR * red + kCbG * green + kCbB * blue) * kChromaUnit;
            cr[r * 8 + c] = static_cast<float>(kCrR * red + kCrG * green + kCrB * blue) * kChromaUnit;
        }
    }
}

void PutMarker(uint8_t*& p, uint8_t marker, int length) {
    p[0] = 0xff;
    p[1] = marker;
    p[2] = static_cast<uint8_t>(length >> 8);
    p[3] = static_cast<uint8_t>(length);
    p += 4;
}

} // namespace

namespace jpeg_internal {

void QuantiserScales(const uint8_t steps[64], float scales[64]) {
    const Tables& t = SharedTables();
    for (int k = 0; k < 64; ++k) {
        const int n = t.zigzag[k];
        scales[k] = static_cast<float>(1.0 / (steps[n] * DctFactor(n / 8) * DctFactor(n % 8) * 8.0));
    }
}

void ForwardDctQuantise(float block[64], const float scales[64], int16_t zigzag[64]) {
    DctColumns(block);
    Transpose(block);
    DctColumns(block);
    const DctOrder& order = TransposedZigzag();
    zigzag[0] = Quantised(block[0] * scales[0], 2047);
    for (int k = 1; k < 64; ++k)
        zigzag[k] = Quantised(block[order.index[k]] * scales[k], 1023);
}

int ZigzagToNatural(int k) {
    return SharedTables().zigzag[k];
}

} // namespace jpeg_internal

JpegEncoder::JpegEncoder(int quality) {
    SetQuality(quality);
}

void JpegEncoder::SetQuality(int quality) {
    quality_ = std::clamp(quality, 1, 100);
    const int scale = quality_ < 50 ? 5000 / quality_ : 200 - quality_ * 2;
    for (int i = 0; i < 64; ++i) {
        luma_[i] = static_cast<uint8_t>(std::clamp((kLumaBase[i] * scale + 50) / 100, 1, 255));
        chroma_[i] = static_cast<uint8_t>(std::clamp((kChromaBase[i] * scale + 50) / 100, 1, 255));
    }
    jpeg_internal::QuantiserScales(luma_, lumaScale_);
    jpeg_internal::QuantiserScales(chroma_, chromaScale_);
}

void JpegEncoder::EnsureRoom(size_t bytes) {
    if (out_.size() - used_ < bytes)
        out_.resize(std::max(out_.size() * 2, used_ + bytes));
}

void JpegEncoder::WriteHeaders(int width, int height) {
    const Tables& t = SharedTables();
    EnsureRoom(1024);
    uint8_t* p = out_.data() + used_;
    *p++ = 0xff;
    *p++ = 0xd8;
    // JFIF 1.01, no units, square pixels, no thumbnail.
    PutMarker(p, 0xe0, 16);
    const uint8_t jfif[] = {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
    std::memcpy(p, jfif, sizeof jfif);
    p += sizeof jfif;

    PutMarker(p, 0xdb, 2 + 2 * 65);
    const uint8_t* steps[2] = {luma_, chroma_};
    for (int i = 0; i < 2; ++i) {
        *p++ = static_cast<uint8_t>(i);
        for (int k = 0; k < 64; ++k)
            *p++ = steps[i][t.zigzag[k]];
    }

    // 8-bit samples; Y at full resolution, Cb and Cr at half both ways.
    PutMarker(p, 0xc0, 17);
    const uint8_t frame[] = {8,
                             static_cast<uint8_t>(height >> 8),
                             static_cast<uint8_t>(height),
                             static_cast<uint8_t>(width >> 8),
                             static_cast<uint8_t>(width),
                             3,
                             1,
                             0x22,
                             0,
                             2,
                             0x11,
                             1,
                             3,
                             0x11,
                             1};
    std::memcpy(p, frame, sizeof frame);
    p += sizeof frame;

    int dhtLength = 2;
    for (const HuffmanSymbols& s : t.symbols)
        dhtLength += 17 + s.count;
    PutMarker(p, 0xc4, dhtLength);
    const HuffmanLayout* layouts[4] = {&kLumaDc, &kLumaAc, &kChromaDc, &kChromaAc};
    const uint8_t classAndId[4] = {0x00, 0x10, 0x01, 0x11};
    for (int i = 0; i < 4; ++i) {
        *p++ = classAndId[i];
        std::memcpy(p, layouts[i]->counts, 16);
        p += 16;
        std::memcpy(p, t.symbols[i].values, static_cast<size_t>(t.symbols[i].count));
        p += t.symbols[i].count;
    }

    PutMarker(p, 0xda, 12);
    const uint8_t scan[] = {3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0};
    std::memcpy(p, scan, sizeof scan);
    p += sizeof scan;
    used_ = static_cast<size_t>(p - out_.data());
}

const uint8_t* JpegEncoder::Encode(const uint8_t* bgr, int width, int height, size_t* size) {
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide)
        return nullptr;
    const Tables& t = SharedTables();
    const size_t stride = static_cast<size_t>(width) * 3;
    if (out_.empty())
        out_.resize(stride * static_cast<size_t>(height) / 4 + 4096);
    used_ = 0;
    WriteHeaders(width, height);

    // Six blocks of at most 64 codes of 27 bits each, doubled for stuffing, fit in this.
    constexpr size_t kMcuRoom = 6 * 64 * 27 / 8 * 2 + 16;
    BitWriter w;
    int dcY = 0, dcCb = 0, dcCr = 0;
    const uint8_t* rows[16];
    uint8_t edge[16][48]; // a block past the right edge, the last column repeated
    float luma[4][64], cb[64], cr[64];
    int16_t zz[64];
    for (int y0 = 0; y0 < height; y0 += 16) {
        const uint8_t* lineStart[16];
        for (int r = 0; r < 16; ++r) {
            const int y = std::min(y0 + r, height - 1); // the last row repeated past the bottom
            lineStart[r] = bgr + stride * static_cast<size_t>(height - 1 - y);
        }
        for (int x0 = 0; x0 < width; x0 += 16) {
            if (x0 + 16 <= width) {
                for (int r = 0; r < 16; ++r)
                    rows[r] = lineStart[r] + static_cast<size_t>(x0) * 3;
            } else {
                for (int r = 0; r < 16; ++r) {
                    for (int c = 0; c < 16; ++c) {
                        const uint8_t* s =
                            lineStart[r] + static_cast<size_t>(std::min(x0 + c, width - 1)) * 3;
                        edge[r][c * 3] = s[0];
                        edge[r][c * 3 + 1] = s[1];
                        edge[r][c * 3 + 2] = s[2];
                    }
                    rows[r] = edge[r];
                }
            }
            ConvertMcu(rows, luma, cb, cr);

            EnsureRoom(kMcuRoom);
            w.p = out_.data() + used_;
            for (auto& block : luma) {
                jpeg_internal::ForwardDctQuantise(block, lumaScale_, zz);
                EncodeBlock(w, zz, dcY, t.codes[0], t.codes[1]);
            }
            jpeg_internal::ForwardDctQuantise(cb, chromaScale_, zz);
            EncodeBlock(w, zz, dcCb, t.codes[2], t.codes[3]);
            jpeg_internal::ForwardDctQuantise(cr, chromaScale_, zz);
            EncodeBlock(w, zz, dcCr, t.codes[2], t.codes[3]);
            used_ = static_cast<size_t>(w.p - out_.data());
        }
    }
    EnsureRoom(32);
    w.p = out_.data() + used_;
    w.Finish();
    w.p[0] = 0xff;
    w.p[1] = 0xd9;
    used_ = static_cast<size_t>(w.p + 2 - out_.data());
    *size = used_;
    return out_.data();
}
