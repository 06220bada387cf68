#include "base/registry_value.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

// UTF-16LE bytes of the given code units, exactly as listed (no terminator added).
std::vector<uint8_t> Utf16(std::initializer_list<uint16_t> units) {
    std::vector<uint8_t> bytes;
    for (uint16_t unit : units) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return bytes;
}

// UTF-16LE bytes of a text of the basic plane, followed by the given number of terminators.
std::vector<uint8_t> Utf16Text(const std::wstring& text, size_t terminators) {
    std::vector<uint8_t> bytes;
    for (wchar_t ch : text) {
        bytes.push_back(static_cast<uint8_t>(ch & 0xFF));
        bytes.push_back(static_cast<uint8_t>((ch >> 8) & 0xFF));
    }
    bytes.insert(bytes.end(), 2 * terminators, 0);
    return bytes;
}

std::optional<std::wstring> Decode(const std::vector<uint8_t>& bytes, size_t maxChars,
                                   uint32_t type = kRegSz) {
    return DecodeStringValue(type, bytes.data(), bytes.size(), maxChars);
}

} // namespace

TEST(RegistryDword, TakesOnlyFourByteDwords) {
    const uint8_t bytes[8] = {0x78, 0x56, 0x34, 0x12, 0, 0, 0, 0};
    EXPECT_EQ(DecodeDwordValue(kRegDword, bytes, 4), 0x12345678u);
    EXPECT_EQ(DecodeDwordValue(kRegDword, bytes, 3), std::nullopt);
    EXPECT_EQ(DecodeDwordValue(kRegDword, bytes, 5), std::nullopt);
    EXPECT_EQ(DecodeDwordValue(kRegDword, bytes, 0), std::nullopt);
    EXPECT_EQ(DecodeDwordValue(kRegBinary, bytes, 4), std::nullopt);
    EXPECT_EQ(DecodeDwordValue(kRegSz, bytes, 4), std::nullopt);
    EXPECT_EQ(DecodeDwordValue(kRegNone, nullptr, 0), std::nullopt);
    EXPECT_EQ(DecodeDwordValue(kRegDword, nullptr, 4), std::nullopt);
}

TEST(RegistryDword, EncodesLittleEndianAndRoundTrips) {
    const RegistryValue value = EncodeDwordValue(0xFFFFFFFEu);
    EXPECT_EQ(value.type, kRegDword);
    EXPECT_EQ(value.data, (std::vector<uint8_t>{0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(DecodeDwordValue(value.type, value.data.data(), value.data.size()), 0xFFFFFFFEu);
}

TEST(RegistryString, DecodesTerminatedText) {
    EXPECT_EQ(Decode(Utf16Text(L"C:\\Photos", 1), 259), L"C:\\Photos");
    EXPECT_EQ(Decode(Utf16Text(L"", 1), 259), L"");
    // Extra terminators after the text (a writer that counted its buffer, not its text).
    EXPECT_EQ(Decode(Utf16Text(L"abc", 4), 259), L"abc");
}

TEST(RegistryString, TextEndsAtTheFirstTerminator) {
    EXPECT_EQ(Decode(Utf16({'a', 'b', 0, 'c', 'd', 0}), 259), L"ab");
    // Only the text before the terminator counts against the field size.
    EXPECT_EQ(Decode(Utf16({'a', 0, 'b', 'c', 'd', 'e', 0}), 2), L"a");
    // Without a terminator after the early one, the text still ended at it.
    EXPECT_EQ(Decode(Utf16({'a', 0, 'b'}), 259), L"a");
}

TEST(RegistryString, RejectsMalformedData) {
    const std::vector<uint8_t> good = Utf16Text(L"abc", 1);
    EXPECT_EQ(Decode(good, 259, kRegExpandSz), std::nullopt);
    EXPECT_EQ(Decode(good, 259, kRegMultiSz), std::nullopt);
    EXPECT_EQ(Decode(good, 259, kRegBinary), std::nullopt);
    EXPECT_EQ(Decode(good, 259, kRegDword), std::nullopt);

    std::vector<uint8_t> odd = good;
    odd.push_back(0);
    EXPECT_EQ(Decode(odd, 259), std::nullopt);
    EXPECT_EQ(Decode(Utf16Text(L"abc", 0), 259), std::nullopt);
    EXPECT_EQ(Decode({}, 259), std::nullopt);
    EXPECT_EQ(Decode({0}, 259), std::nullopt);
    EXPECT_EQ(DecodeStringValue(kRegSz, nullptr, 4, 259), std::nullopt);
}

TEST(RegistryString, FieldSizeIsTheLimit) {
    const std::wstring full(259, L'x');
    EXPECT_EQ(Decode(Utf16Text(full, 1), 259), full);
    EXPECT_EQ(Decode(Utf16Text(full + L"y", 1), 259), std::nullopt);
    EXPECT_EQ(Decode(Utf16Text(L"", 1), 0), L"");
    EXPECT_EQ(Decode(Utf16Text(L"a", 1), 0), std::nullopt);
}

TEST(RegistryString, EncodesUtf16WithOneTerminatorAndRoundTrips) {
    const RegistryValue value = EncodeStringValue(L"A\u00e9\u4e2d");
    EXPECT_EQ(value.type, kRegSz);
    EXPECT_EQ(value.data, Utf16({'A', 0x00E9, 0x4E2D, 0}));

    const std::wstring mixed = L"C:\\Users\\\u00fcser\\\u5199\u771f;";
    const RegistryValue round = EncodeStringValue(mixed);
    EXPECT_EQ(DecodeStringValue(round.type, round.data.data(), round.data.size(), 259), mixed);
}

TEST(RegistryString, CharactersBeyondTheBasicPlaneAreTwoCodeUnits) {
    // U+1F52C: one wchar_t where wide text is UTF-32, a surrogate pair where it is UTF-16;
    // either way it is two code units in the registry and counts as two against the field.
    const std::wstring text =
        sizeof(wchar_t) == 2 ? std::wstring(L"\xD83D\xDD2C") : std::wstring(1, wchar_t(0x1F52C));
    const RegistryValue value = EncodeStringValue(text);
    EXPECT_EQ(value.data, Utf16({0xD83D, 0xDD2C, 0}));
    EXPECT_EQ(DecodeStringValue(value.type, value.data.data(), value.data.size(), 2), text);
    EXPECT_EQ(DecodeStringValue(value.type, value.data.data(), value.data.size(), 1), std::nullopt);
}
