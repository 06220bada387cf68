// Calibrations: how many picture pixels make one millimetre or micrometre, kept in ten named
// slots that persist as one text in the settings.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

enum LengthUnit : int {
    UNIT_MILLIMETRE = 0,
    UNIT_MICROMETRE = 1,
};

// "mm" for millimetres, "μm" for any other unit value.
const wchar_t* UnitText(int unit);

inline constexpr size_t kCalibrationSlots = 10;
inline constexpr size_t kCalibrationNameMax = 19; // characters, without terminator

struct Calibration {
    std::wstring name; // at most kCalibrationNameMax characters
    int unit = 0;
    int pixels = 0;
    float length = 0.0f;
    int date = 0;            // yyyymmdd, 0 = none
    uint32_t resolution = 0; // frame height << 16 | frame width
    float scale = -1.0f;     // pixels per unit, derived; -1 = not calibrated
};

using CalibrationTable = std::array<Calibration, kCalibrationSlots>;

// The program's slots and which of them are in use: one record, kept with the settings store
// (output/settings_store.h), which loads and saves the slots.
struct CalibrationState {
    CalibrationTable slots;
    int active = -1;      // applied slot, -1 = none
    int calibrating = -1; // slot the calibration dialog writes, -1 = none
};

// pixels / length when length is a positive finite number, otherwise -1 (not calibrated).
float DeriveScale(int pixels, float length);

// Resolution word of a frame size.
inline uint32_t PackResolution(int width, int height) {
    return (static_cast<uint32_t>(height & 0xFFFF) << 16) | static_cast<uint32_t>(width & 0xFFFF);
}

// Cuts a name to the slot's room; the text's separators (comma, semicolon) become blanks.
std::wstring ClampCalibrationName(std::wstring_view name);

// The stored text: one "name,unit,pixels,lengthBits,date,resolution;" record per slot.
std::wstring FormatCalibrations(const CalibrationTable& table);

// Fills a table from the stored text. Slots from the first malformed or missing record on stay
// empty; numbers that do not read are 0, which leaves that slot not calibrated.
CalibrationTable ParseCalibrations(std::wstring_view text);

// The crosshair ruler: the step of 1, 2 or 5 times a power of ten whose pixel length is nearest
// to 100 pixels; no ruler (0, 0) when uncalibrated or when no step lies between 0 and 200 pixels.
struct RulerStep {
    int pixels = 0;
    float step = 0.0f;
};
RulerStep ComputeRulerStep(float scale);
