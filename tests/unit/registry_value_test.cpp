#include "base/registry_value.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>

namespace {

using namespace std::literals;

// UTF-16LE bytes of the code units, exactly as listed (terminators included only where written).
std::vector<uint8_t> Utf16(std::u16string_view units) {
    std::vector<uint8_t> bytes;
    for (char16_t unit : units) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return bytes;
}

} // namespace

TEST(RegistryDword, TakesOnlyFourByteDwordsAndEncodesLittleEndian) {
    const uint8_t bytes[8] = {0x78, 0x56, 0x34, 0x12, 0, 0, 0, 0};
    EXPECT_EQ(DecodeDwordValue(kRegDword, bytes, 4), 0x12345678u);
    const std::tuple<uint32_t, const uint8_t*, size_t> refused[] = {
        {kRegDword, bytes, 3}, {kRegDword, bytes, 5},  {kRegDword, bytes, 0},  {kRegBinary, bytes, 4},
        {kRegSz, bytes, 4},    {kRegNone, nullptr, 0}, {kRegDword, nullptr, 4}};
    for (const auto& [type, data, size] : refused)
        EXPECT_EQ(DecodeDwordValue(type, data, size), std::nullopt)
            << "type " << type << ", " << size << " bytes";

    const RegistryValue value = EncodeDwordValue(0xFFFFFFFEu);
    EXPECT_EQ(value.type, kRegDword);
    EXPECT_EQ(value.data, (std::vector<uint8_t>{0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(DecodeDwordValue(value.type, value.data.data(), value.data.size()), 0xFFFFFFFEu);
}

TEST(RegistryString, TextEndsAtTheFirstTerminatorAndMustFitItsField) {
    const std::u16string full(259, u'x');
    const struct {
        std::vector<uint8_t> bytes;
        size_t maxChars;
        uint32_t type;
        std::optional<std::wstring> text;
    } cases[] = {
        {Utf16(u"C:\\Photos\0"sv), 259, kRegSz, L"C:\\Photos"},
        {Utf16(u"\0"sv), 259, kRegSz, L""},
        // Extra terminators after the text (a writer that counted its buffer, not its text).
        {Utf16(u"abc\0\0\0\0"sv), 259, kRegSz, L"abc"},
        {Utf16(u"ab\0cd\0"sv), 259, kRegSz, L"ab"},
        // Only the text before the terminator counts against the field size.
        {Utf16(u"a\0bcde\0"sv), 2, kRegSz, L"a"},
        // Without a terminator after the early one, the text still ended at it.
        {Utf16(u"a\0b"sv), 259, kRegSz, L"a"},
        {Utf16(full + u'\0'), 259, kRegSz, std::wstring(259, L'x')},
        {Utf16(full + u"y\0"s), 259, kRegSz, std::nullopt},
        {Utf16(u"\0"sv), 0, kRegSz, L""},
        {Utf16(u"a\0"sv), 0, kRegSz, std::nullopt},
        // Other types, an odd length, no terminator at all, nothing.
        {Utf16(u"abc\0"sv), 259, kRegExpandSz, std::nullopt},
        {Utf16(u"abc\0"sv), 259, kRegMultiSz, std::nullopt},
        {Utf16(u"abc\0"sv), 259, kRegDword, std::nullopt},
        {{'a', 0, 'b', 0, 0, 0, 0}, 259, kRegSz, std::nullopt},
        {Utf16(u"abc"sv), 259, kRegSz, std::nullopt},
        {{}, 259, kRegSz, std::nullopt},
        {{0}, 259, kRegSz, std::nullopt},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        EXPECT_EQ(DecodeStringValue(c.type, c.bytes.data(), c.bytes.size(), c.maxChars), c.text)
            << "case " << i;
    }
    EXPECT_EQ(DecodeStringValue(kRegSz, nullptr, 4, 259), std::nullopt);
}

TEST(RegistryString, EncodesUtf16WithOneTerminatorAndRoundTrips) {
    const RegistryValue value = EncodeStringValue(L"A\u00e9\u4e2d");
    EXPECT_EQ(value.type, kRegSz);
    EXPECT_EQ(value.data, Utf16(u"A\u00e9\u4e2d\0"sv));

    const std::wstring mixed = L"C:\\Users\\\u00fcser\\\u5199\u771f;";
    const RegistryValue round = EncodeStringValue(mixed);
    EXPECT_EQ(DecodeStringValue(round.type, round.data.data(), round.data.size(), 259), mixed);

    // U+1F52C: one wchar_t where wide text is UTF-32, a surrogate pair where it is UTF-16; either
    // way it is two code units in the registry and counts as two against the field.
    const std::wstring text =
        sizeof(wchar_t) == 2 ? std::wstring(L"\xD83D\xDD2C") : std::wstring(1, wchar_t(0x1F52C));
    const RegistryValue wide = EncodeStringValue(text);
    EXPECT_EQ(wide.data, Utf16(u"\U0001F52C\0"sv));
    EXPECT_EQ(DecodeStringValue(wide.type, wide.data.data(), wide.data.size(), 2), text);
    EXPECT_EQ(DecodeStringValue(wide.type, wide.data.data(), wide.data.size(), 1), std::nullopt);
}
