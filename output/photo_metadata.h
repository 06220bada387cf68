// The scale a photo carries in its file: the resolution fields (PNG pHYs in pixels per metre, JPEG
// JFIF density) set from the calibration's pixels per unit, and a text entry (PNG iTXt "Comment",
// JPEG comment segment) naming the calibration and listing the measurements burnt in. Written
// into the bytes the platform's encoder produced. Pure code.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Pixels per metre of a scale in pixels per unit (LengthUnit); 0 when not calibrated or when the
// value does not fit the PNG field (1 to 2^31 - 1).
uint32_t PixelsPerMetre(float pixelsPerUnit, int unit);

// JFIF density: units 1 dots per inch, 2 dots per centimetre, 0 no scale (the field's default).
// Dots per inch where they fit the 16-bit field, as they are the finer step.
struct JfifDensity {
    uint8_t units = 0;
    uint16_t density = 0;
    bool operator==(const JfifDensity&) const = default;
};
JfifDensity JfifDensityOf(float pixelsPerUnit, int unit);

// The text entry: the calibration's name, its unit and pixels per unit, then the measurement
// table (measure/measure_table.h), in UTF-8.
std::string PhotoScaleNote(std::wstring_view calibrationName, std::wstring_view unit, float pixelsPerUnit,
                           std::wstring_view measurementTable);

std::string Utf8Of(std::wstring_view text);

// Rewrites a PNG: its pHYs chunk replaced by one of pixelsPerMetre (none when 0, the encoder's
// own kept) and the note added as an iTXt "Comment" chunk (none when empty), both right after
// the header. False, with the bytes unchanged, when they are not a well-formed PNG.
bool AddPngScale(std::vector<uint8_t>& png, uint32_t pixelsPerMetre, std::string_view note);

// Rewrites a JPEG: the JFIF segment's density set (added after the start marker when the encoder
// wrote none; left as it is when units is 0) and the note added as a comment segment after it,
// cut at a character boundary to the segment's 65533 bytes. False, with the bytes unchanged,
// when they do not start like a JPEG.
bool AddJpegScale(std::vector<uint8_t>& jpeg, JfifDensity density, std::string_view note);
