#include "measure/calibration.h"

#include <bit>
#include <cmath>
#include <cstdio>

namespace {

// Leading digits after an optional sign, as the C library's conversions take them; anything else
// is 0. Wraps like an unsigned conversion so that every 32-bit pattern round-trips.
uint32_t ParseDecimal(std::wstring_view field) {
    size_t i = 0;
    bool negative = false;
    if (i < field.size() && (field[i] == L'+' || field[i] == L'-')) {
        negative = field[i] == L'-';
        ++i;
    }
    uint64_t value = 0;
    for (; i < field.size() && field[i] >= L'0' && field[i] <= L'9'; ++i) {
        value = value * 10 + static_cast<uint64_t>(field[i] - L'0');
        if (value > 0xFFFFFFFFull) // far out of range: the field is nonsense
            return 0;
    }
    const uint32_t result = static_cast<uint32_t>(value);
    return negative ? 0u - result : result;
}

void AppendNumber(std::wstring& out, long long value) {
    char digits[24];
    const int n = std::snprintf(digits, sizeof digits, "%lld", value);
    for (int i = 0; i < n; ++i)
        out.push_back(static_cast<wchar_t>(digits[i]));
}

} // namespace

const wchar_t* UnitText(int unit) {
    return unit == UNIT_MILLIMETRE ? L"mm" : L"\u03BCm";
}

float DeriveScale(int pixels, float length) {
    if (!(length > 0.0f) || !std::isfinite(length))
        return -1.0f;
    const float scale = static_cast<float>(pixels) / length;
    return std::isfinite(scale) ? scale : -1.0f;
}

std::wstring ClampCalibrationName(std::wstring_view name) {
    std::wstring clamped(name.substr(0, kCalibrationNameMax));
    // The stored text separates fields with commas and records with semicolons: a name holding
    // either would shift every later slot.
    for (wchar_t& c : clamped) {
        if (c == L',' || c == L';')
            c = L' ';
    }
    return clamped;
}

std::wstring FormatCalibrations(const CalibrationTable& table) {
    std::wstring text;
    for (const Calibration& slot : table) {
        text += ClampCalibrationName(slot.name);
        text += L',';
        AppendNumber(text, slot.unit);
        text += L',';
        AppendNumber(text, slot.pixels);
        text += L',';
        AppendNumber(text, std::bit_cast<uint32_t>(slot.length));
        text += L',';
        AppendNumber(text, slot.date);
        text += L',';
        AppendNumber(text, static_cast<int32_t>(slot.resolution));
        text += L';';
    }
    return text;
}

CalibrationTable ParseCalibrations(std::wstring_view text) {
    CalibrationTable table;
    size_t start = 0;
    for (Calibration& slot : table) {
        const size_t end = text.find(L';', start);
        if (end == std::wstring_view::npos)
            break;
        const std::wstring_view record = text.substr(start, end - start);
        size_t commas[5];
        size_t from = 0;
        bool complete = true;
        for (size_t& comma : commas) {
            comma = record.find(L',', from);
            if (comma == std::wstring_view::npos) {
                complete = false;
                break;
            }
            from = comma + 1;
        }
        start = end + 1;
        // A record short of fields costs its own slot only; the later ones load as stored.
        if (!complete)
            continue;
        auto field = [&](int index) {
            const size_t begin = commas[index] + 1;
            const size_t stop = index + 1 < 5 ? commas[index + 1] : record.size();
            return record.substr(begin, stop - begin);
        };
        slot.name = ClampCalibrationName(record.substr(0, commas[0]));
        slot.unit = static_cast<int>(ParseDecimal(field(0)));
        slot.pixels = static_cast<int>(ParseDecimal(field(1)));
        slot.length = std::bit_cast<float>(ParseDecimal(field(2)));
        slot.date = static_cast<int>(ParseDecimal(field(3)));
        slot.resolution = ParseDecimal(field(4));
        slot.scale = DeriveScale(slot.pixels, slot.length);
    }
    return table;
}

RulerStep ComputeRulerStep(float scale) {
    RulerStep result;
    if (!(scale > 0.0f))
        return result;
    float best = 100.0f;
    float s = 0.0001f;
    for (int decade = 0; decade < 6; ++decade) {
        for (float factor : {1.0f, 2.0f, 5.0f}) {
            const float candidate = s * factor;
            const float pixels = candidate * scale;
            if (!(pixels > 0.0f && pixels < 200.0f))
                continue;
            const float difference = std::fabs(100.0f - pixels);
            if (difference < best) {
                best = difference;
                result.pixels = static_cast<int>(pixels + 0.5f);
                result.step = candidate;
            }
        }
        s *= 10.0f;
    }
    return result;
}
