// SSSE3 and AVX2 versions of the frame filters. The program targets plain x86-64, so these are compiled
// through target attributes and picked at run time from what the processor reports. Elsewhere (other
// compilers, other processors) only the portable path exists.
#include "capture/frame_filters_paths.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))

#include <immintrin.h>

#include <array>
#include <cstdint>

#define VANTIX_SSSE3 __attribute__((target("ssse3"), always_inline)) inline
#define VANTIX_AVX2 __attribute__((target("avx2"), always_inline)) inline
#define VANTIX_SSSE3_ENTRY __attribute__((target("ssse3")))
#define VANTIX_AVX2_ENTRY __attribute__((target("avx2")))

namespace {

using namespace frame_filters_detail;

// Shuffle masks are built here once, from what each output byte takes, instead of being typed in.
using Bytes16 = std::array<uint8_t, 16>;
constexpr uint8_t kZeroByte = 0x80; // a shuffle index with the top bit set writes 0

// Gray and binary read four whole pixels from one 16-byte load, starting at byte `offset` of it.
// Blue and green of pixel i become the 16-bit words 2i and 2i+1 ...
constexpr Bytes16 BlueGreenWords(int offset) {
    Bytes16 m{};
    for (int i = 0; i < 4; ++i) {
        m[4 * i + 0] = static_cast<uint8_t>(offset + 3 * i);
        m[4 * i + 1] = kZeroByte;
        m[4 * i + 2] = static_cast<uint8_t>(offset + 3 * i + 1);
        m[4 * i + 3] = kZeroByte;
    }
    return m;
}

// ... and red of pixel i the low word of 32-bit lane i.
constexpr Bytes16 RedWords(int offset) {
    Bytes16 m{};
    for (int i = 0; i < 4; ++i) {
        m[4 * i + 0] = static_cast<uint8_t>(offset + 3 * i + 2);
        m[4 * i + 1] = m[4 * i + 2] = m[4 * i + 3] = kZeroByte;
    }
    return m;
}

// Byte j of 16-byte chunk k of 16 pixels takes the value of pixel (16k + j) / 3.
constexpr Bytes16 SpreadToPixels(int chunk) {
    Bytes16 m{};
    for (int j = 0; j < 16; ++j) {
        m[j] = static_cast<uint8_t>((16 * chunk + j) / 3);
    }
    return m;
}

// 16 pixels reversed: byte j of output chunk `out` takes, from input chunk `in`, the byte of the
// mirrored pixel when it lies in that chunk.
constexpr Bytes16 ReverseChunk(int out, int in) {
    Bytes16 m{};
    for (int j = 0; j < 16; ++j) {
        const int o = 16 * out + j;
        const int from = (15 - o / 3) * 3 + o % 3;
        m[j] = from / 16 == in ? static_cast<uint8_t>(from % 16) : kZeroByte;
    }
    return m;
}

// The same for 16 pixels reversed: byte j of chunk k takes pixel 15 - (16k + j) / 3.
constexpr Bytes16 SpreadReversed(int chunk) {
    Bytes16 m{};
    for (int j = 0; j < 16; ++j) {
        m[j] = static_cast<uint8_t>(15 - (16 * chunk + j) / 3);
    }
    return m;
}

constexpr Bytes16 kBlueGreen0 = BlueGreenWords(0), kBlueGreen4 = BlueGreenWords(4);
constexpr Bytes16 kRed0 = RedWords(0), kRed4 = RedWords(4);
constexpr std::array<Bytes16, 3> kSpread = {SpreadToPixels(0), SpreadToPixels(1), SpreadToPixels(2)};
constexpr std::array<Bytes16, 3> kSpreadReversed = {SpreadReversed(0), SpreadReversed(1), SpreadReversed(2)};
constexpr std::array<std::array<Bytes16, 3>, 3> kReverse = {{
    {ReverseChunk(0, 0), ReverseChunk(0, 1), ReverseChunk(0, 2)},
    {ReverseChunk(1, 0), ReverseChunk(1, 1), ReverseChunk(1, 2)},
    {ReverseChunk(2, 0), ReverseChunk(2, 1), ReverseChunk(2, 2)},
}};

// ---- SSSE3 (128-bit) ----
struct Consts128 {
    __m128i blueGreen0, blueGreen4, red0, red4, blueGreenWeights, redWeight, rounding, div125;
    __m128i spread[3];
};

VANTIX_SSSE3 __m128i Load128(const uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
VANTIX_SSSE3 void Store128(uint8_t* p, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}
VANTIX_SSSE3 __m128i Mask128(const Bytes16& m) {
    return Load128(m.data());
}

VANTIX_SSSE3 Consts128 MakeConsts128() {
    Consts128 k;
    k.blueGreen0 = Mask128(kBlueGreen0);
    k.blueGreen4 = Mask128(kBlueGreen4);
    k.red0 = Mask128(kRed0);
    k.red4 = Mask128(kRed4);
    k.blueGreenWeights = _mm_set1_epi32(kBlueWeight | kGreenWeight << 16);
    k.redWeight = _mm_set1_epi32(kRedWeight);
    k.rounding = _mm_set1_epi32(kRounding);
    k.div125 = _mm_set1_epi16(static_cast<short>(kDiv125Multiplier));
    for (int i = 0; i < 3; ++i) {
        k.spread[i] = Mask128(kSpread[i]);
    }
    return k;
}

// (sum + 500) >> 3 of four pixels as 32-bit lanes.
VANTIX_SSSE3 __m128i Sums4(__m128i px, __m128i blueGreen, __m128i red, const Consts128& k) {
    __m128i s = _mm_madd_epi16(_mm_shuffle_epi8(px, blueGreen), k.blueGreenWeights);
    s = _mm_add_epi32(s, _mm_madd_epi16(_mm_shuffle_epi8(px, red), k.redWeight));
    return _mm_srli_epi32(_mm_add_epi32(s, k.rounding), 3);
}

// y of the 16 pixels (48 bytes) at p, one byte each.
VANTIX_SSSE3 __m128i Luma16(const uint8_t* p, const Consts128& k) {
    const __m128i t0 = Sums4(Load128(p), k.blueGreen0, k.red0, k);
    const __m128i t1 = Sums4(Load128(p + 12), k.blueGreen0, k.red0, k);
    const __m128i t2 = Sums4(Load128(p + 24), k.blueGreen0, k.red0, k);
    // Pixels 12..15 start at byte 4 of this load, which keeps it inside the 48 bytes.
    const __m128i t3 = Sums4(Load128(p + 32), k.blueGreen4, k.red4, k);
    const __m128i lo = _mm_srli_epi16(_mm_mulhi_epu16(_mm_packs_epi32(t0, t1), k.div125), kDiv125Shift);
    const __m128i hi = _mm_srli_epi16(_mm_mulhi_epu16(_mm_packs_epi32(t2, t3), k.div125), kDiv125Shift);
    return _mm_packus_epi16(lo, hi);
}

VANTIX_SSSE3 void Spread16(uint8_t* p, __m128i y, const Consts128& k) {
    Store128(p, _mm_shuffle_epi8(y, k.spread[0]));
    Store128(p + 16, _mm_shuffle_epi8(y, k.spread[1]));
    Store128(p + 32, _mm_shuffle_epi8(y, k.spread[2]));
}

struct ReverseMasks {
    __m128i m[3][3];
};

VANTIX_SSSE3 ReverseMasks MakeReverseMasks() {
    ReverseMasks r;
    for (int out = 0; out < 3; ++out) {
        for (int in = 0; in < 3; ++in) {
            r.m[out][in] = Mask128(kReverse[out][in]);
        }
    }
    return r;
}

// Reverses the order of the 16 pixels in a, b, c (48 bytes). Output chunk 0 takes only from input chunks
// 1 and 2, chunk 2 only from 0 and 1.
VANTIX_SSSE3 void Reverse16(__m128i& a, __m128i& b, __m128i& c, const ReverseMasks& r) {
    const __m128i out0 = _mm_or_si128(_mm_shuffle_epi8(b, r.m[0][1]), _mm_shuffle_epi8(c, r.m[0][2]));
    const __m128i out1 =
        _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(a, r.m[1][0]), _mm_shuffle_epi8(b, r.m[1][1])),
                     _mm_shuffle_epi8(c, r.m[1][2]));
    const __m128i out2 = _mm_or_si128(_mm_shuffle_epi8(a, r.m[2][0]), _mm_shuffle_epi8(b, r.m[2][1]));
    a = out0;
    b = out1;
    c = out2;
}

// What the mirror does to 16 bytes of a row before it moves them: nothing, invert or emboss (p's
// bytes against those one row further on). Rest does the same to the bytes left for the plain loop.
struct KeepBytes {
    VANTIX_SSSE3 __m128i operator()(const uint8_t* p) const { return Load128(p); }
    void Rest(uint8_t*, size_t) const {}
};

struct InvertedBytes {
    __m128i ones;
    VANTIX_SSSE3 __m128i operator()(const uint8_t* p) const { return _mm_xor_si128(Load128(p), ones); }
    void Rest(uint8_t* p, size_t bytes) const { InvertBytes(p, bytes); }
};

// x - y + 128 clamped to 0..255 is, with the top bits flipped to make both signed, a saturating
// signed x - y with the top bit flipped back.
VANTIX_SSSE3 __m128i Emboss16(__m128i x, __m128i y, __m128i top) {
    return _mm_xor_si128(_mm_subs_epi8(_mm_xor_si128(x, top), _mm_xor_si128(y, top)), top);
}

struct EmbossedBytes {
    __m128i top;
    ptrdiff_t stride;
    VANTIX_SSSE3 __m128i operator()(const uint8_t* p) const {
        return Emboss16(Load128(p), Load128(p + stride), top);
    }
    void Rest(uint8_t* p, size_t bytes) const { EmbossBytes(p, bytes, static_cast<size_t>(stride)); }
};

// One row: 16-pixel blocks taken from both ends towards the middle, each changed by the effect, reversed
// and stored at the other end, then the fewer than 32 pixels left in the middle one by one. Both blocks
// are read before either is written, and an emboss reads only the next row, which is still as it came.
template <typename Effect>
VANTIX_SSSE3 void MirrorRow(uint8_t* row, ptrdiff_t rowBytes, const ReverseMasks& r, const Effect& effect) {
    ptrdiff_t lo = 0;
    ptrdiff_t hi = rowBytes - 48;
    for (; lo + 48 <= hi; lo += 48, hi -= 48) {
        __m128i a0 = effect(row + lo), a1 = effect(row + lo + 16), a2 = effect(row + lo + 32);
        __m128i b0 = effect(row + hi), b1 = effect(row + hi + 16), b2 = effect(row + hi + 32);
        Reverse16(a0, a1, a2, r);
        Reverse16(b0, b1, b2, r);
        Store128(row + lo, b0);
        Store128(row + lo + 16, b1);
        Store128(row + lo + 32, b2);
        Store128(row + hi, a0);
        Store128(row + hi + 16, a1);
        Store128(row + hi + 32, a2);
    }
    const size_t middle = static_cast<size_t>(hi + 48 - lo);
    effect.Rest(row + lo, middle);
    ReversePixels(row + lo, middle / 3);
}

template <typename Effect>
VANTIX_SSSE3 void MirrorRows(uint8_t* pixels, int width, int height, const Effect& effect) {
    const ReverseMasks r = MakeReverseMasks();
    const ptrdiff_t rowBytes = static_cast<ptrdiff_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        MirrorRow(pixels + y * rowBytes, rowBytes, r, effect);
    }
}

VANTIX_SSSE3 void MirrorInvertRows(uint8_t* pixels, int width, int height) {
    MirrorRows(pixels, width, height, InvertedBytes{_mm_set1_epi8(-1)});
}

// The last row has no row after it and is only mirrored.
VANTIX_SSSE3 void MirrorEmbossRows(uint8_t* pixels, int width, int height) {
    const ptrdiff_t rowBytes = static_cast<ptrdiff_t>(width) * 3;
    MirrorRows(pixels, width, height - 1, EmbossedBytes{_mm_set1_epi8(static_cast<char>(0x80)), rowBytes});
    MirrorRows(pixels + (height - 1) * rowBytes, width, 1, KeepBytes{});
}

// y of 16 pixels in reverse order: the byte order of a Luma16 turned round.
VANTIX_SSSE3 __m128i ReverseBytes16(__m128i y) {
    return _mm_shuffle_epi8(y, _mm_setr_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0));
}

// Mirror with gray or binary: y is one byte a pixel, so reversing it is one shuffle, and each
// block's gray pixels are spread straight to the other end of the row.
template <bool kBinary> VANTIX_SSSE3 __m128i LumaOrBinary16(const uint8_t* p, const Consts128& k) {
    const __m128i y = Luma16(p, k);
    return kBinary ? _mm_cmpgt_epi8(_mm_setzero_si128(), y) : y;
}

template <bool kBinary>
VANTIX_SSSE3 void MirrorLumaRow(uint8_t* row, ptrdiff_t rowBytes, const Consts128& k) {
    ptrdiff_t lo = 0;
    ptrdiff_t hi = rowBytes - 48;
    for (; lo + 48 <= hi; lo += 48, hi -= 48) {
        const __m128i left = LumaOrBinary16<kBinary>(row + lo, k);
        const __m128i right = LumaOrBinary16<kBinary>(row + hi, k);
        Spread16(row + lo, ReverseBytes16(right), k);
        Spread16(row + hi, ReverseBytes16(left), k);
    }
    const size_t middle = static_cast<size_t>(hi + 48 - lo) / 3;
    (kBinary ? BinaryPixels : GrayPixels)(row + lo, middle);
    ReversePixels(row + lo, middle);
}

VANTIX_SSSE3_ENTRY void MirrorSsse3(uint8_t* pixels, int width, int height) {
    MirrorRows(pixels, width, height, KeepBytes{});
}

template <bool kBinary> VANTIX_SSSE3_ENTRY void MirrorLumaSsse3(uint8_t* pixels, int width, int height) {
    const Consts128 k = MakeConsts128();
    const ptrdiff_t rowBytes = static_cast<ptrdiff_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        MirrorLumaRow<kBinary>(pixels + y * rowBytes, rowBytes, k);
    }
}

VANTIX_SSSE3_ENTRY void MirrorInvertSsse3(uint8_t* pixels, int width, int height) {
    MirrorInvertRows(pixels, width, height);
}

VANTIX_SSSE3_ENTRY void MirrorEmbossSsse3(uint8_t* pixels, int width, int height) {
    MirrorEmbossRows(pixels, width, height);
}

VANTIX_SSSE3_ENTRY void GraySsse3(uint8_t* pixels, int width, int height) {
    const Consts128 k = MakeConsts128();
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        uint8_t* p = pixels + i * 3;
        Spread16(p, Luma16(p, k), k);
    }
    GrayPixels(pixels + i * 3, count - i);
}

VANTIX_SSSE3_ENTRY void BinarySsse3(uint8_t* pixels, int width, int height) {
    const Consts128 k = MakeConsts128();
    const __m128i zero = _mm_setzero_si128();
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        uint8_t* p = pixels + i * 3;
        // y >= 128 is exactly the bytes that are negative as signed.
        Spread16(p, _mm_cmpgt_epi8(zero, Luma16(p, k)), k);
    }
    BinaryPixels(pixels + i * 3, count - i);
}

VANTIX_SSSE3_ENTRY void InvertSsse3(uint8_t* pixels, int width, int height) {
    const __m128i ones = _mm_set1_epi8(-1);
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
    size_t i = 0;
    for (; i + 64 <= count; i += 64) {
        for (int j = 0; j < 64; j += 16) {
            Store128(pixels + i + j, _mm_xor_si128(Load128(pixels + i + j), ones));
        }
    }
    InvertBytes(pixels + i, count - i);
}

VANTIX_SSSE3_ENTRY void EmbossSsse3(uint8_t* pixels, int width, int height) {
    const __m128i top = _mm_set1_epi8(static_cast<char>(0x80));
    const size_t stride = static_cast<size_t>(width) * 3;
    const size_t count = stride * static_cast<size_t>(height - 1);
    size_t i = 0;
    // Each step reads its bytes of both rows before writing, and the next row is only ever read
    // ahead of what has been written, so it still holds its own bytes.
    for (; i + 16 <= count; i += 16) {
        const __m128i x = _mm_xor_si128(Load128(pixels + i), top);
        const __m128i y = _mm_xor_si128(Load128(pixels + i + stride), top);
        Store128(pixels + i, _mm_xor_si128(_mm_subs_epi8(x, y), top));
    }
    EmbossBytes(pixels + i, count - i, stride);
}

const FrameFilterPath kSsse3Path = {"ssse3",
                                    MirrorSsse3,
                                    GraySsse3,
                                    BinarySsse3,
                                    InvertSsse3,
                                    EmbossSsse3,
                                    MirrorLumaSsse3<false>,
                                    MirrorLumaSsse3<true>,
                                    MirrorInvertSsse3,
                                    MirrorEmbossSsse3};

// ---- AVX2 (256-bit) ----
// The masks that spread 32 y bytes over 96 bytes of pixels: to the low half of the output, the middle
// (where the halves of y meet) and the high half.
struct SpreadMasks256 {
    __m256i low, middle, high;
};

struct Consts256 {
    __m256i blueGreen0, blueGreen4, red0, red4, blueGreenWeights, redWeight, rounding, div125;
    SpreadMasks256 spread, spreadReversed;
};

VANTIX_AVX2 __m256i Load256(const uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
VANTIX_AVX2 void Store256(uint8_t* p, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}
VANTIX_AVX2 __m256i Halves(__m128i lo, __m128i hi) {
    return _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
}
// A broadcast from memory and a blend keep the shuffle units free for the filters' own shuffles.
VANTIX_AVX2 __m256i LoadHalves(const uint8_t* lo, const uint8_t* hi) {
    return _mm256_blend_epi32(_mm256_castsi128_si256(Load128(lo)), _mm256_broadcastsi128_si256(Load128(hi)),
                              0xF0);
}
VANTIX_AVX2 __m256i Mask256(const Bytes16& lo, const Bytes16& hi) {
    return Halves(Mask128(lo), Mask128(hi));
}

VANTIX_AVX2 Consts256 MakeConsts256() {
    Consts256 k;
    k.blueGreen0 = Mask256(kBlueGreen0, kBlueGreen0);
    k.blueGreen4 = Mask256(kBlueGreen4, kBlueGreen4);
    k.red0 = Mask256(kRed0, kRed0);
    k.red4 = Mask256(kRed4, kRed4);
    k.blueGreenWeights = _mm256_set1_epi32(kBlueWeight | kGreenWeight << 16);
    k.redWeight = _mm256_set1_epi32(kRedWeight);
    k.rounding = _mm256_set1_epi32(kRounding);
    k.div125 = _mm256_set1_epi16(static_cast<short>(kDiv125Multiplier));
    k.spread = {Mask256(kSpread[0], kSpread[1]), Mask256(kSpread[2], kSpread[0]),
                Mask256(kSpread[1], kSpread[2])};
    k.spreadReversed = {Mask256(kSpreadReversed[0], kSpreadReversed[1]),
                        Mask256(kSpreadReversed[2], kSpreadReversed[0]),
                        Mask256(kSpreadReversed[1], kSpreadReversed[2])};
    return k;
}

VANTIX_AVX2 __m256i Sums8(__m256i px, __m256i blueGreen, __m256i red, const Consts256& k) {
    __m256i s = _mm256_madd_epi16(_mm256_shuffle_epi8(px, blueGreen), k.blueGreenWeights);
    s = _mm256_add_epi32(s, _mm256_madd_epi16(_mm256_shuffle_epi8(px, red), k.redWeight));
    return _mm256_srli_epi32(_mm256_add_epi32(s, k.rounding), 3);
}

// y of the 32 pixels (96 bytes) at p: pixels 0..15 in the low half, 16..31 in the high half, as the
// in-lane packs leave them when each half loads from its own 48 bytes. kSwapped loads the halves the
// other way round, leaving pixels 16..31 in the low half, which is what the mirror wants.
template <bool kSwapped = false> VANTIX_AVX2 __m256i Luma32(const uint8_t* p, const Consts256& k) {
    const uint8_t* first = kSwapped ? p + 48 : p;
    const uint8_t* second = kSwapped ? p : p + 48;
    const __m256i t0 = Sums8(LoadHalves(first, second), k.blueGreen0, k.red0, k);
    const __m256i t1 = Sums8(LoadHalves(first + 12, second + 12), k.blueGreen0, k.red0, k);
    const __m256i t2 = Sums8(LoadHalves(first + 24, second + 24), k.blueGreen0, k.red0, k);
    const __m256i t3 = Sums8(LoadHalves(first + 32, second + 32), k.blueGreen4, k.red4, k);
    const __m256i lo =
        _mm256_srli_epi16(_mm256_mulhi_epu16(_mm256_packs_epi32(t0, t1), k.div125), kDiv125Shift);
    const __m256i hi =
        _mm256_srli_epi16(_mm256_mulhi_epu16(_mm256_packs_epi32(t2, t3), k.div125), kDiv125Shift);
    return _mm256_packus_epi16(lo, hi);
}

// Bytes 0..47 come from the low half of y, bytes 48..95 from the high half.
VANTIX_AVX2 void Spread32(uint8_t* p, __m256i y, const SpreadMasks256& m) {
    const __m256i low = _mm256_permute4x64_epi64(y, 0x44);  // low half twice
    const __m256i high = _mm256_permute4x64_epi64(y, 0xEE); // high half twice
    Store256(p, _mm256_shuffle_epi8(low, m.low));
    Store256(p + 32, _mm256_shuffle_epi8(y, m.middle));
    Store256(p + 64, _mm256_shuffle_epi8(high, m.high));
}

// The pixel shuffles cross 16-byte lanes, so the mirror keeps the 128-bit kernel (VEX-encoded here);
// it moves memory at the rate of a copy already.
VANTIX_AVX2_ENTRY void MirrorAvx2(uint8_t* pixels, int width, int height) {
    MirrorRows(pixels, width, height, KeepBytes{});
}

VANTIX_AVX2_ENTRY void MirrorInvertAvx2(uint8_t* pixels, int width, int height) {
    MirrorInvertRows(pixels, width, height);
}

VANTIX_AVX2_ENTRY void MirrorEmbossAvx2(uint8_t* pixels, int width, int height) {
    MirrorEmbossRows(pixels, width, height);
}

// Mirror with gray or binary, one row at a time: y of the whole row goes to a small buffer in one
// sequential pass, as for gray alone, then is spread back over the row in reverse. Loading each
// 32 bytes of y with its halves swapped and spreading through reversed masks turns the block round
// at no cost. Rows too wide for the buffer take both ends towards the middle instead.
constexpr int kRowBufferPixels = 8192;

template <bool kBinary> VANTIX_AVX2 __m256i LumaOrBinary32(const uint8_t* p, const Consts256& k) {
    const __m256i y = Luma32(p, k);
    return kBinary ? _mm256_cmpgt_epi8(_mm256_setzero_si256(), y) : y;
}

template <bool kBinary> VANTIX_AVX2 uint8_t LumaOrBinary(const uint8_t* p) {
    const uint8_t y = Luma(p[0], p[1], p[2]);
    return kBinary ? (y < 128 ? 0 : 255) : y;
}

template <bool kBinary>
VANTIX_AVX2 void MirrorLumaRowBuffered(uint8_t* row, int width, uint8_t* ys, const Consts256& k) {
    int x = 0;
    for (; x + 32 <= width; x += 32) {
        Store256(ys + x, LumaOrBinary32<kBinary>(row + 3 * x, k));
    }
    for (; x < width; ++x) {
        ys[x] = LumaOrBinary<kBinary>(row + 3 * x);
    }
    // Output pixels x..x+31 are pixels width-1-x down to width-32-x of the input. Spread32's halves
    // twice come straight from the buffer as broadcasts, which are loads, not shuffles.
    for (x = 0; x + 32 <= width; x += 32) {
        const uint8_t* from = ys + (width - 32 - x);
        const __m128i second = Load128(from + 16), first = Load128(from);
        uint8_t* p = row + 3 * x;
        Store256(p, _mm256_shuffle_epi8(_mm256_broadcastsi128_si256(second), k.spreadReversed.low));
        Store256(p + 32, _mm256_shuffle_epi8(LoadHalves(from + 16, from), k.spreadReversed.middle));
        Store256(p + 64, _mm256_shuffle_epi8(_mm256_broadcastsi128_si256(first), k.spreadReversed.high));
    }
    for (; x < width; ++x) {
        uint8_t* p = row + 3 * x;
        p[0] = p[1] = p[2] = ys[width - 1 - x];
    }
}

template <bool kBinary>
VANTIX_AVX2 void MirrorLumaRowFromEnds(uint8_t* row, int width, const Consts256& k, const Consts128& k128) {
    ptrdiff_t lo = 0;
    ptrdiff_t hi = static_cast<ptrdiff_t>(width) * 3 - 96;
    for (; lo + 96 <= hi; lo += 96, hi -= 96) {
        const __m256i left = Luma32<true>(row + lo, k);
        const __m256i right = Luma32<true>(row + hi, k);
        const __m256i zero = _mm256_setzero_si256();
        Spread32(row + lo, kBinary ? _mm256_cmpgt_epi8(zero, right) : right, k.spreadReversed);
        Spread32(row + hi, kBinary ? _mm256_cmpgt_epi8(zero, left) : left, k.spreadReversed);
    }
    MirrorLumaRow<kBinary>(row + lo, hi + 96 - lo, k128);
}

template <bool kBinary> VANTIX_AVX2_ENTRY void MirrorLumaAvx2(uint8_t* pixels, int width, int height) {
    const Consts256 k = MakeConsts256();
    const Consts128 k128 = MakeConsts128();
    // Aligned by hand: the Windows compiler does not realign the stack for 32-byte locals.
    uint8_t buffer[kRowBufferPixels + 32];
    uint8_t* ys = buffer + (-reinterpret_cast<uintptr_t>(buffer) & 31);
    const ptrdiff_t rowBytes = static_cast<ptrdiff_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = pixels + y * rowBytes;
        if (width <= kRowBufferPixels) {
            MirrorLumaRowBuffered<kBinary>(row, width, ys, k);
        } else {
            MirrorLumaRowFromEnds<kBinary>(row, width, k, k128);
        }
    }
}

VANTIX_AVX2_ENTRY void GrayAvx2(uint8_t* pixels, int width, int height) {
    const Consts256 k = MakeConsts256();
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    size_t i = 0;
    for (; i + 32 <= count; i += 32) {
        uint8_t* p = pixels + i * 3;
        Spread32(p, Luma32(p, k), k.spread);
    }
    GrayPixels(pixels + i * 3, count - i);
}

VANTIX_AVX2_ENTRY void BinaryAvx2(uint8_t* pixels, int width, int height) {
    const Consts256 k = MakeConsts256();
    const __m256i zero = _mm256_setzero_si256();
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    size_t i = 0;
    for (; i + 32 <= count; i += 32) {
        uint8_t* p = pixels + i * 3;
        Spread32(p, _mm256_cmpgt_epi8(zero, Luma32(p, k)), k.spread);
    }
    BinaryPixels(pixels + i * 3, count - i);
}

VANTIX_AVX2_ENTRY void InvertAvx2(uint8_t* pixels, int width, int height) {
    const __m256i ones = _mm256_set1_epi8(-1);
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
    size_t i = 0;
    for (; i + 128 <= count; i += 128) {
        for (int j = 0; j < 128; j += 32) {
            Store256(pixels + i + j, _mm256_xor_si256(Load256(pixels + i + j), ones));
        }
    }
    InvertBytes(pixels + i, count - i);
}

VANTIX_AVX2_ENTRY void EmbossAvx2(uint8_t* pixels, int width, int height) {
    const __m256i top = _mm256_set1_epi8(static_cast<char>(0x80));
    const size_t stride = static_cast<size_t>(width) * 3;
    const size_t count = stride * static_cast<size_t>(height - 1);
    size_t i = 0;
    for (; i + 32 <= count; i += 32) {
        const __m256i x = _mm256_xor_si256(Load256(pixels + i), top);
        const __m256i y = _mm256_xor_si256(Load256(pixels + i + stride), top);
        Store256(pixels + i, _mm256_xor_si256(_mm256_subs_epi8(x, y), top));
    }
    EmbossBytes(pixels + i, count - i, stride);
}

const FrameFilterPath kAvx2Path = {"avx2",
                                   MirrorAvx2,
                                   GrayAvx2,
                                   BinaryAvx2,
                                   InvertAvx2,
                                   EmbossAvx2,
                                   MirrorLumaAvx2<false>,
                                   MirrorLumaAvx2<true>,
                                   MirrorInvertAvx2,
                                   MirrorEmbossAvx2};

} // namespace

void frame_filters_detail::AppendX86Paths(std::vector<const FrameFilterPath*>& paths) {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("ssse3")) {
        paths.push_back(&kSsse3Path);
    }
    // The library checks that the system saves the 256-bit registers too.
    if (__builtin_cpu_supports("avx2")) {
        paths.push_back(&kAvx2Path);
        if (const FrameFilterPath* avx512 = Avx512Path(kAvx2Path)) {
            paths.push_back(avx512);
        }
    }
}

#else

void frame_filters_detail::AppendX86Paths(std::vector<const FrameFilterPath*>&) {}

#endif
