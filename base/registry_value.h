// Decoding and encoding of registry value data, kept apart from the registry calls so that
// what a read returned can be checked without Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The registry's value types, as numbers (the same as the SDK's REG_* constants).
inline constexpr uint32_t kRegNone = 0;
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;
inline constexpr uint32_t kRegMultiSz = 7;

// One value's type and data, as a read returns it or a write takes it.
struct RegistryValue {
    uint32_t type = kRegNone;
    std::vector<uint8_t> data;
};

// A REG_DWORD of exactly four bytes, little-endian; anything else is no number.
std::optional<uint32_t> DecodeDwordValue(uint32_t type, const uint8_t* data, size_t size);

// A REG_SZ in UTF-16LE whose text ends with a terminator inside the data and holds at most
// maxChars UTF-16 code units. The text stops at the first terminator; whatever follows it is
// ignored. Another type, an odd byte count, no terminator or a longer text give no string.
std::optional<std::wstring> DecodeStringValue(uint32_t type, const uint8_t* data, size_t size,
                                              size_t maxChars);

RegistryValue EncodeDwordValue(uint32_t value);

// REG_SZ data: the text in UTF-16LE followed by one terminator.
RegistryValue EncodeStringValue(std::wstring_view text);
