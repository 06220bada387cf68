#include "output/photo_metadata.h"

#include "measure/calibration.h"
#include "measure/labels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace {

// Units per metre of a calibration unit.
double UnitsPerMetre(int unit) {
    return unit == UNIT_MILLIMETRE ? 1000.0 : 1000000.0;
}

uint32_t ReadBe32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 24));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

uint32_t Crc32(const uint8_t* data, size_t size) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t = {};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i)
        c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void PutChunk(std::vector<uint8_t>& out, const char (&type)[5], const std::vector<uint8_t>& data) {
    PutBe32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBe32(out, Crc32(out.data() + start, out.size() - start));
}

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

} // namespace

uint32_t PixelsPerMetre(float pixelsPerUnit, int unit) {
    if (!(pixelsPerUnit > 0.0f) || !std::isfinite(pixelsPerUnit))
        return 0;
    const double ppm = std::round(static_cast<double>(pixelsPerUnit) * UnitsPerMetre(unit));
    return ppm >= 1.0 && ppm <= 2147483647.0 ? static_cast<uint32_t>(ppm) : 0;
}

JfifDensity JfifDensityOf(float pixelsPerUnit, int unit) {
    if (!(pixelsPerUnit > 0.0f) || !std::isfinite(pixelsPerUnit))
        return {};
    const double perMetre = static_cast<double>(pixelsPerUnit) * UnitsPerMetre(unit);
    const double perInch = std::round(perMetre * 0.0254);
    if (perInch >= 1.0 && perInch <= 65535.0)
        return {1, static_cast<uint16_t>(perInch)};
    const double perCentimetre = std::round(perMetre * 0.01);
    if (perCentimetre >= 1.0 && perCentimetre <= 65535.0)
        return {2, static_cast<uint16_t>(perCentimetre)};
    return {};
}

std::string Utf8Of(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = static_cast<uint32_t>(text[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                text[i + 1] < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint32_t>(text[i + 1]) - 0xDC00);
                ++i;
            }
        }
        if ((c >= 0xD800 && c < 0xE000) || c > 0x10FFFF)
            c = 0xFFFD; // a lone surrogate or no character at all
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string PhotoScaleNote(std::wstring_view calibrationName, std::wstring_view unit, float pixelsPerUnit,
                           std::wstring_view measurementTable) {
    std::wstring note = L"Calibration: " + std::wstring(calibrationName) + L"\nUnit: " + std::wstring(unit) +
                        FormatText(L"\nPixels per unit: %.4f\n", static_cast<double>(pixelsPerUnit));
    // Text entries take plain line feeds.
    for (wchar_t c : measurementTable) {
        if (c != L'\r')
            note += c;
    }
    return Utf8Of(note);
}

bool AddPngScale(std::vector<uint8_t>& png, uint32_t pixelsPerMetre, std::string_view note) {
    if (png.size() < 8 + 12 || std::memcmp(png.data(), kPngSignature, 8) != 0)
        return false;
    struct Span {
        size_t start, end;
        bool keep;
    };
    std::vector<Span> chunks;
    bool ended = false;
    size_t pos = 8;
    while (!ended) {
        if (png.size() - pos < 12)
            return false;
        const uint32_t length = ReadBe32(png.data() + pos);
        if (length > 0x7FFFFFFFu || png.size() - pos - 12 < length)
            return false;
        const uint8_t* type = png.data() + pos + 4;
        if (chunks.empty() && std::memcmp(type, "IHDR", 4) != 0)
            return false;
        ended = std::memcmp(type, "IEND", 4) == 0;
        const bool replaced = pixelsPerMetre != 0 && std::memcmp(type, "pHYs", 4) == 0;
        chunks.push_back({pos, pos + 12 + length, !replaced});
        pos += 12 + size_t{length};
    }

    std::vector<uint8_t> out(png.begin(), png.begin() + 8);
    out.reserve(png.size() + note.size() + 64);
    out.insert(out.end(), png.begin() + chunks[0].start, png.begin() + chunks[0].end);
    if (pixelsPerMetre != 0) {
        std::vector<uint8_t> phys;
        PutBe32(phys, pixelsPerMetre);
        PutBe32(phys, pixelsPerMetre);
        phys.push_back(1); // the unit is the metre
        PutChunk(out, "pHYs", phys);
    }
    if (!note.empty()) {
        // Keyword, uncompressed, no language, no translated keyword: the literal's own terminator
        // is the last of the five zeros.
        static constexpr char kHead[] = "Comment\0\0\0\0";
        std::vector<uint8_t> text(kHead, kHead + sizeof kHead);
        text.insert(text.end(), note.begin(), note.end());
        PutChunk(out, "iTXt", text);
    }
    for (size_t i = 1; i < chunks.size(); ++i) {
        if (chunks[i].keep)
            out.insert(out.end(), png.begin() + chunks[i].start, png.begin() + chunks[i].end);
    }
    out.insert(out.end(), png.begin() + pos, png.end());
    png.swap(out);
    return true;
}

bool AddJpegScale(std::vector<uint8_t>& jpeg, JfifDensity density, std::string_view note) {
    if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8)
        return false;
    size_t insertAt = 2;
    const bool jfif = jpeg.size() >= 2 + 18 && jpeg[2] == 0xFF && jpeg[3] == 0xE0 &&
                      ((size_t{jpeg[4]} << 8) | jpeg[5]) >= 16 && std::memcmp(&jpeg[6], "JFIF", 5) == 0 &&
                      2 + 2 + ((size_t{jpeg[4]} << 8) | jpeg[5]) <= jpeg.size();
    std::vector<uint8_t> insert;
    if (jfif) {
        insertAt = 2 + 2 + ((size_t{jpeg[4]} << 8) | jpeg[5]);
        if (density.units != 0) {
            jpeg[13] = density.units;
            jpeg[14] = jpeg[16] = static_cast<uint8_t>(density.density >> 8);
            jpeg[15] = jpeg[17] = static_cast<uint8_t>(density.density);
        }
    } else if (density.units != 0) {
        const uint8_t hi = static_cast<uint8_t>(density.density >> 8),
                      lo = static_cast<uint8_t>(density.density);
        insert = {0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 2, density.units, hi, lo, hi, lo, 0, 0};
    }
    if (!note.empty()) {
        size_t n = std::min<size_t>(note.size(), 65533);
        while (n > 0 && n < note.size() && (static_cast<uint8_t>(note[n]) & 0xC0) == 0x80)
            --n; // never cut inside a character
        insert.push_back(0xFF);
        insert.push_back(0xFE);
        insert.push_back(static_cast<uint8_t>((n + 2) >> 8));
        insert.push_back(static_cast<uint8_t>(n + 2));
        insert.insert(insert.end(), note.begin(), note.begin() + static_cast<std::ptrdiff_t>(n));
    }
    jpeg.insert(jpeg.begin() + static_cast<std::ptrdiff_t>(insertAt), insert.begin(), insert.end());
    return true;
}
