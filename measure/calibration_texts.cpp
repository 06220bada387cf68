#include "measure/calibration_texts.h"

#include <charconv>
#include <cstdio>
#include <string>

namespace {

std::wstring Widen(const char* text, int length) {
    std::wstring wide;
    for (int i = 0; i < length; ++i)
        wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(text[i])));
    return wide;
}

template <typename... Args> std::wstring Format(const char* format, Args... args) {
    char text[64];
    const int n = std::snprintf(text, sizeof text, format, args...);
    return n > 0 ? Widen(text, n < static_cast<int>(sizeof text) ? n : static_cast<int>(sizeof text) - 1)
                 : std::wstring();
}

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

} // namespace

std::wstring CalibrationValueText(const Calibration& slot) {
    if (!(slot.scale > 0.0f))
        return {};
    // The largest finite float has 39 integer digits; the buffer holds them all.
    return Format("%.02f", static_cast<double>(slot.scale));
}

std::wstring CalibrationUnitCell(const Calibration& slot) {
    return slot.scale > 0.0f ? std::wstring(UnitText(slot.unit)) : std::wstring();
}

std::wstring CalibrationDateText(int date) {
    const int year = date / 10000;
    if (year < 2020)
        return {};
    return Format("%02d/%02d/%04d", (date / 100) % 100, date % 100, year);
}

std::wstring CalibrationResolutionText(uint32_t resolution) {
    const unsigned width = resolution & 0xFFFFu;
    const unsigned height = resolution >> 16;
    if (width < 640 || height < 480)
        return {};
    return Format("%ux%u", width, height);
}

std::array<std::wstring, kCalibrationColumnCount> CalibrationRowTexts(const Calibration& slot) {
    return {slot.name, CalibrationValueText(slot), CalibrationUnitCell(slot), CalibrationDateText(slot.date),
            CalibrationResolutionText(slot.resolution)};
}

std::wstring CalibrationDialogTitle(int slotIndex, std::wstring_view name) {
    return Format("Calibrate - ID:%d Name:", slotIndex + 1) + std::wstring(name);
}

double ParseCalibrationLength(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t'))
        ++i;
    // The number is copied as plain ASCII for from_chars, which reads no sign and no locale.
    std::string number;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    size_t digits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i, ++digits)
        number.push_back(static_cast<char>(text[i]));
    // Either decimal mark: the program is used in languages that write "2,5".
    if (i + 1 < text.size() && (text[i] == L'.' || text[i] == L',') && IsDigit(text[i + 1])) {
        number.push_back('.');
        for (++i; i < text.size() && IsDigit(text[i]); ++i, ++digits)
            number.push_back(static_cast<char>(text[i]));
    } else if (i < text.size() && text[i] == L'.') {
        ++i; // "2." is 2
    }
    if (digits == 0)
        return 0.0;
    if (i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
        size_t j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == L'+' || text[j] == L'-'))
            exponent.push_back(static_cast<char>(text[j++]));
        if (j < text.size() && IsDigit(text[j])) {
            for (; j < text.size() && IsDigit(text[j]); ++j)
                exponent.push_back(static_cast<char>(text[j]));
            number += exponent;
        }
    }
    double value = 0.0;
    const std::from_chars_result result =
        std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec != std::errc()) // beyond a double: no length anybody means
        return 0.0;
    return negative ? -value : value;
}

std::optional<Calibration> CalibrateSlot(const Calibration& slot, int unit, int pixels,
                                         std::wstring_view lengthText, int date, uint32_t resolution) {
    const float length = static_cast<float>(ParseCalibrationLength(lengthText));
    // DeriveScale refuses a length that is not positive and finite, and a scale that overflows.
    const float scale = DeriveScale(pixels, length);
    if (!(scale > 0.0f))
        return std::nullopt;
    Calibration calibrated;
    calibrated.name = slot.name;
    calibrated.unit = unit == UNIT_MILLIMETRE ? UNIT_MILLIMETRE : UNIT_MICROMETRE;
    calibrated.pixels = pixels;
    calibrated.length = length;
    calibrated.date = date;
    calibrated.resolution = resolution;
    calibrated.scale = scale;
    return calibrated;
}

DialogCorner CalibrationDialogCorner(int ownerLeft, int ownerTop, int ownerWidth, int dialogWidth) {
    return DialogCornerOver(ownerLeft, ownerTop, ownerWidth, dialogWidth);
}
