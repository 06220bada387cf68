#include "base/registry_value.h"

namespace {

constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

uint16_t CodeUnitAt(const uint8_t* data, size_t index) {
    return static_cast<uint16_t>(data[2 * index] | (data[2 * index + 1] << 8));
}

void AppendCodeUnit(std::vector<uint8_t>& out, uint32_t unit) {
    out.push_back(static_cast<uint8_t>(unit & 0xFF));
    out.push_back(static_cast<uint8_t>((unit >> 8) & 0xFF));
}

bool IsHighSurrogate(uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(uint32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

std::optional<uint32_t> DecodeDwordValue(uint32_t type, const uint8_t* data, size_t size) {
    if (type != kRegDword || size != 4 || data == nullptr) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
           static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
}

std::optional<std::wstring> DecodeStringValue(uint32_t type, const uint8_t* data, size_t size,
                                              size_t maxChars) {
    if (type != kRegSz || size % 2 != 0 || size == 0 || data == nullptr) {
        return std::nullopt;
    }
    const size_t units = size / 2;
    size_t length = 0;
    while (length < units && CodeUnitAt(data, length) != 0) {
        ++length;
    }
    if (length == units || length > maxChars) {
        return std::nullopt; // no terminator, or more than the field holds
    }

    std::wstring text;
    text.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        uint32_t unit = CodeUnitAt(data, i);
        // Where wchar_t is 32 bits wide, a surrogate pair becomes one character.
        if (!kWideIsUtf16 && IsHighSurrogate(unit) && i + 1 < length &&
            IsLowSurrogate(CodeUnitAt(data, i + 1))) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (CodeUnitAt(data, i + 1) - 0xDC00u);
            ++i;
        }
        text.push_back(static_cast<wchar_t>(unit));
    }
    return text;
}

RegistryValue EncodeDwordValue(uint32_t value) {
    RegistryValue out;
    out.type = kRegDword;
    for (int shift = 0; shift < 32; shift += 8) {
        out.data.push_back(static_cast<uint8_t>((value >> shift) & 0xFF));
    }
    return out;
}

RegistryValue EncodeStringValue(std::wstring_view text) {
    RegistryValue out;
    out.type = kRegSz;
    out.data.reserve(2 * (text.size() + 1));
    for (wchar_t ch : text) {
        auto code = static_cast<uint32_t>(ch);
        if (!kWideIsUtf16 && code > 0xFFFF) {
            if (code > 0x10FFFF) {
                AppendCodeUnit(out.data, 0xFFFD);
                continue;
            }
            code -= 0x10000;
            AppendCodeUnit(out.data, 0xD800 + (code >> 10));
            AppendCodeUnit(out.data, 0xDC00 + (code & 0x3FF));
        } else {
            AppendCodeUnit(out.data, code);
        }
    }
    AppendCodeUnit(out.data, 0);
    return out;
}
