// AVX-512 versions of gray, binary and the mirror with either, for processors with byte permutes
// across the whole register (VBMI). Luma is what costs there: one permute picks any byte of 64, so
// the blue-green and red words of 16 pixels come from one load each, and the y bytes go back over
// the pixels in three permutes, mirrored or not at no extra cost. The other filters move memory at
// the rate of a copy already and keep the AVX2 kernels.
#include "capture/frame_filters_paths.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))

#include <immintrin.h>

#include <array>
#include <cstdint>

#define VANTIX_AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi"), always_inline)) inline
#define VANTIX_AVX512_ENTRY __attribute__((target("avx512f,avx512bw,avx512vbmi")))

namespace {

using namespace frame_filters_detail;

using Bytes64 = std::array<uint8_t, 64>;

// Lane j (of 16 32-bit lanes) holds the words blue, green of pixel j; the odd bytes are zeroed by
// the permute's mask.
constexpr Bytes64 BlueGreenIndex() {
    Bytes64 m{};
    for (int j = 0; j < 16; ++j) {
        m[4 * j] = static_cast<uint8_t>(3 * j);
        m[4 * j + 2] = static_cast<uint8_t>(3 * j + 1);
    }
    return m;
}
constexpr uint64_t kWordLowBytes = 0x5555555555555555ull;

// The low word of lane j is red of pixel j; the rest of the lane keeps the rounding term.
constexpr Bytes64 RedIndex() {
    Bytes64 m{};
    for (int j = 0; j < 16; ++j) {
        m[4 * j] = static_cast<uint8_t>(3 * j + 2);
    }
    return m;
}
constexpr uint64_t kLaneFirstBytes = 0x1111111111111111ull;

// The in-lane packs leave y of pixel 16m + 4k + n (m the load, k the 128-bit lane, n the place in it)
// at byte 16k + 4m + n.
constexpr int PackedPlace(int pixel) {
    return 16 * (pixel % 16 / 4) + 4 * (pixel / 16) + pixel % 4;
}

// Byte j of output register c of 64 gray pixels takes y of pixel (64c + j) / 3, read from the packed
// order (gray in place) or, mirrored, from a natural-order block of 64 y.
constexpr Bytes64 SpreadIndex(int c, bool fromPacked, bool reversed) {
    Bytes64 m{};
    for (int j = 0; j < 64; ++j) {
        const int pixel = (64 * c + j) / 3;
        const int from = reversed ? 63 - pixel : pixel;
        m[j] = static_cast<uint8_t>(fromPacked ? PackedPlace(from) : from);
    }
    return m;
}

constexpr Bytes64 NaturalOrderIndex() {
    Bytes64 m{};
    for (int pixel = 0; pixel < 64; ++pixel) {
        m[pixel] = static_cast<uint8_t>(PackedPlace(pixel));
    }
    return m;
}

constexpr Bytes64 kBlueGreen = BlueGreenIndex(), kRed = RedIndex(), kNatural = NaturalOrderIndex();
constexpr std::array<Bytes64, 3> kSpreadPacked = {SpreadIndex(0, true, false), SpreadIndex(1, true, false),
                                                  SpreadIndex(2, true, false)};
constexpr std::array<Bytes64, 3> kSpreadReversed = {SpreadIndex(0, false, true), SpreadIndex(1, false, true),
                                                    SpreadIndex(2, false, true)};


struct Consts512 {
    __m512i blueGreen, red, rounding, blueGreenWeights, redWeights, div125, natural;
    __m512i spreadPacked[3], spreadReversed[3];
};

VANTIX_AVX512 __m512i Index(const Bytes64& m) {
    return _mm512_loadu_si512(m.data());
}

VANTIX_AVX512 Consts512 MakeConsts512() {
    Consts512 k;
    k.blueGreen = Index(kBlueGreen);
    k.red = Index(kRed);
    k.rounding = _mm512_set1_epi32(kRounding << 16);
    k.blueGreenWeights = _mm512_set1_epi32(kBlueWeight | kGreenWeight << 16);
    k.redWeights = _mm512_set1_epi32(kRedWeight | 1 << 16); // red * 114 + 500 * 1
    k.div125 = _mm512_set1_epi16(static_cast<short>(kDiv125Multiplier));
    k.natural = Index(kNatural);
    for (int c = 0; c < 3; ++c) {
        k.spreadPacked[c] = Index(kSpreadPacked[c]);
        k.spreadReversed[c] = Index(kSpreadReversed[c]);
    }
    return k;
}

// The first `bytes` bytes of a 64-byte register (all for 64 or more, none for 0 or less).
VANTIX_AVX512 __mmask64 FirstBytes(ptrdiff_t bytes) {
    return bytes >= 64 ? ~0ull : bytes <= 0 ? 0 : (1ull << bytes) - 1;
}

// (sum + 500) >> 3 of 16 pixels, from the first `bytes` (at most 48) bytes at p; masked loads do
// not touch memory past them.
VANTIX_AVX512 __m512i Sums16(const uint8_t* p, ptrdiff_t bytes, const Consts512& k) {
    const __m512i px = _mm512_maskz_loadu_epi8(FirstBytes(bytes < 48 ? bytes : 48), p);
    const __m512i blueGreen = _mm512_maskz_permutexvar_epi8(kWordLowBytes, k.blueGreen, px);
    const __m512i red = _mm512_mask_permutexvar_epi8(k.rounding, kLaneFirstBytes, k.red, px);
    const __m512i s = _mm512_add_epi32(_mm512_madd_epi16(blueGreen, k.blueGreenWeights),
                                       _mm512_madd_epi16(red, k.redWeights));
    return _mm512_srli_epi32(s, 3);
}

// y of the 64 pixels at p in the packs' order (see PackedPlace), from the first `bytes` bytes.
VANTIX_AVX512 __m512i PackedLuma64(const uint8_t* p, ptrdiff_t bytes, const Consts512& k) {
    const __m512i t0 = Sums16(p, bytes, k);
    const __m512i t1 = Sums16(p + 48, bytes - 48, k);
    const __m512i t2 = Sums16(p + 96, bytes - 96, k);
    const __m512i t3 = Sums16(p + 144, bytes - 144, k);
    const __m512i lo =
        _mm512_srli_epi16(_mm512_mulhi_epu16(_mm512_packs_epi32(t0, t1), k.div125), kDiv125Shift);
    const __m512i hi =
        _mm512_srli_epi16(_mm512_mulhi_epu16(_mm512_packs_epi32(t2, t3), k.div125), kDiv125Shift);
    return _mm512_packus_epi16(lo, hi);
}

// Binary is y's top bit spread over the byte.
template <bool kBinary> VANTIX_AVX512 __m512i LumaOrBinary(__m512i y) {
    return kBinary ? _mm512_movm_epi8(_mm512_movepi8_mask(y)) : y;
}

// Gray or binary in place over the frame as one run of pixels; the last few go the plain way.
template <bool kBinary> VANTIX_AVX512_ENTRY void LumaAvx512(uint8_t* pixels, int width, int height) {
    const Consts512 k = MakeConsts512();
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    size_t i = 0;
    for (; i + 64 <= count; i += 64) {
        uint8_t* p = pixels + i * 3;
        const __m512i y = LumaOrBinary<kBinary>(PackedLuma64(p, 192, k));
        for (int c = 0; c < 3; ++c) {
            _mm512_storeu_si512(p + 64 * c, _mm512_permutexvar_epi8(k.spreadPacked[c], y));
        }
    }
    if (kBinary) {
        BinaryPixels(pixels + i * 3, count - i);
    } else {
        GrayPixels(pixels + i * 3, count - i);
    }
}

// Mirror with gray or binary, a row at a time as on the AVX2 path: y of the row goes to a buffer in
// natural order, then back over the row from its far end. The buffer keeps 64 bytes in front of the
// row's y, so the last, partial block reads its (unused) leading bytes from there.
constexpr int kRowBufferPixels = 8192;
constexpr int kBufferLead = 64;

// Byte-masked stores are slow on some processors, so only the row's last, partial block takes them.
template <bool kBinary>
VANTIX_AVX512 void MirrorLumaRowBuffered(uint8_t* row, int width, uint8_t* ys, const Consts512& k) {
    int x = 0;
    for (; x + 64 <= width; x += 64) {
        const __m512i y = _mm512_permutexvar_epi8(k.natural, PackedLuma64(row + 3 * x, 192, k));
        _mm512_storeu_si512(ys + x, LumaOrBinary<kBinary>(y));
    }
    if (x < width) {
        const ptrdiff_t left = width - x;
        const __m512i y = _mm512_permutexvar_epi8(k.natural, PackedLuma64(row + 3 * x, 3 * left, k));
        _mm512_mask_storeu_epi8(ys + x, FirstBytes(left), LumaOrBinary<kBinary>(y));
    }
    // Output pixels x..x+63 are input pixels width-1-x down to width-64-x.
    for (x = 0; x + 64 <= width; x += 64) {
        const __m512i y = _mm512_loadu_si512(ys + (width - 64 - x));
        uint8_t* p = row + 3 * x;
        for (int c = 0; c < 3; ++c) {
            _mm512_storeu_si512(p + 64 * c, _mm512_permutexvar_epi8(k.spreadReversed[c], y));
        }
    }
    if (x < width) {
        const __m512i y = _mm512_loadu_si512(ys + (width - 64 - x));
        const ptrdiff_t bytes = 3 * static_cast<ptrdiff_t>(width - x);
        uint8_t* p = row + 3 * x;
        for (int c = 0; c < 3; ++c) {
            _mm512_mask_storeu_epi8(p + 64 * c, FirstBytes(bytes - 64 * c),
                                    _mm512_permutexvar_epi8(k.spreadReversed[c], y));
        }
    }
}

// Rows wider than the buffer: 64 pixels from each end swap places, mirrored, until the blocks would
// meet; the middle is a short row of its own, mirrored through the buffer.
template <bool kBinary>
VANTIX_AVX512 void MirrorLumaRowFromEnds(uint8_t* row, int width, uint8_t* ys, const Consts512& k) {
    int lo = 0;
    int hi = width - 64;
    for (; lo + 64 <= hi; lo += 64, hi -= 64) {
        const __m512i left =
            LumaOrBinary<kBinary>(_mm512_permutexvar_epi8(k.natural, PackedLuma64(row + 3 * lo, 192, k)));
        const __m512i right =
            LumaOrBinary<kBinary>(_mm512_permutexvar_epi8(k.natural, PackedLuma64(row + 3 * hi, 192, k)));
        for (int c = 0; c < 3; ++c) {
            _mm512_storeu_si512(row + 3 * lo + 64 * c, _mm512_permutexvar_epi8(k.spreadReversed[c], right));
            _mm512_storeu_si512(row + 3 * hi + 64 * c, _mm512_permutexvar_epi8(k.spreadReversed[c], left));
        }
    }
    MirrorLumaRowBuffered<kBinary>(row + 3 * lo, hi + 64 - lo, ys, k);
}

template <bool kBinary> VANTIX_AVX512_ENTRY void MirrorLumaAvx512(uint8_t* pixels, int width, int height) {
    const Consts512 k = MakeConsts512();
    uint8_t buffer[kBufferLead + kRowBufferPixels];
    uint8_t* ys = buffer + kBufferLead;
    const ptrdiff_t rowBytes = static_cast<ptrdiff_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = pixels + y * rowBytes;
        if (width <= kRowBufferPixels) {
            MirrorLumaRowBuffered<kBinary>(row, width, ys, k);
        } else {
            MirrorLumaRowFromEnds<kBinary>(row, width, ys, k);
        }
    }
}

} // namespace

const FrameFilterPath* frame_filters_detail::Avx512Path(const FrameFilterPath& avx2) {
    __builtin_cpu_init();
    if (!__builtin_cpu_supports("avx512bw") || !__builtin_cpu_supports("avx512vbmi")) {
        return nullptr;
    }
    static const FrameFilterPath path = {
        "avx512",          avx2.mirror,      LumaAvx512<false>,       LumaAvx512<true>,
        avx2.invert,       avx2.emboss,      MirrorLumaAvx512<false>, MirrorLumaAvx512<true>,
        avx2.mirrorInvert, avx2.mirrorEmboss};
    return &path;
}

#else

const FrameFilterPath* frame_filters_detail::Avx512Path(const FrameFilterPath&) {
    return nullptr;
}

#endif
