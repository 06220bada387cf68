#include "base/string_table.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

namespace {

// The texts end up in UTF-16 buffers on Windows. wchar_t is 32 bits on Linux, where a character
// outside the BMP would need two UTF-16 units.
std::size_t Utf16Length(std::wstring_view text) {
    std::size_t units = 0;
    for (wchar_t c : text) {
        units += static_cast<std::uint32_t>(c) > 0xFFFF ? 2 : 1;
    }
    return units;
}

bool EndsWithColon(std::wstring_view text) {
    return text.ends_with(L":") || text.ends_with(L"\uFF1A");
}

std::wstring_view TextOf(int language, std::string_view key) {
    for (const LanguageText& entry : GetLanguageTexts(language)) {
        if (entry.key == key) {
            return entry.text;
        }
    }
    return {};
}

// The table is process-wide: every test starts from English so that none depends on another's
// selection.
class StringTableTest : public ::testing::Test {
protected:
    void SetUp() override { SelectLanguage(0); }
    void TearDown() override { SelectLanguage(0); }
};

// An unknown key is added with an empty text that languages leave alone; a returned reference
// stays valid and follows the language; a lookup reads only the characters of its view.
TEST_F(StringTableTest, LookupAddsUnknownKeysAndKeepsItsReferences) {
    const std::wstring& text = GetText("no such key");
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(GetStringTable().size(), kStringKeyCount + 1);

    // A second lookup finds the same entry; a language change neither fills nor drops it.
    EXPECT_EQ(&GetText("no such key"), &text);
    SelectLanguage(2);
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(GetStringTable().size(), kStringKeyCount + 1);

    SelectLanguage(0);
    const std::wstring& tip = GetText("tip drag");
    EXPECT_EQ(tip, L"Stop measure");
    SelectLanguage(2);
    EXPECT_EQ(tip, L"Arrêter la mesure");

    // A view into a longer buffer: "tip line" must not read on into "tip line2".
    SelectLanguage(0);
    const std::string buffer = "tip line2 and more";
    EXPECT_EQ(GetText(std::string_view(buffer).substr(0, 8)), L"Line");
    EXPECT_EQ(GetText(std::string_view(buffer).substr(0, 9)), L"Parallel");
}

// Every language fills every key; an index outside the list selects English; English after French
// is English again, text by text.
TEST_F(StringTableTest, EachLanguageFillsEveryKeyAndOutsideTheListIsEnglish) {
    const StringTable english = GetStringTable();
    for (int language = 0; language < kLanguageCount; ++language) {
        SCOPED_TRACE(testing::Message() << "language " << language);
        SelectLanguage(language);
        const LanguageTexts texts = GetLanguageTexts(language);
        for (std::size_t i = 0; i < kStringKeyCount; ++i)
            EXPECT_EQ(GetText(kStringKeys[i]), texts[i].text) << "key \"" << kStringKeys[i] << '"';
    }
    for (int index : {10, -1, 12, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(testing::Message() << "index " << index);
        SelectLanguage(2);
        EXPECT_NE(GetStringTable(), english);
        SelectLanguage(index);
        EXPECT_EQ(GetStringTable(), english);
    }
    EXPECT_EQ(GetLanguageTexts(10).data(), GetLanguageTexts(0).data());
}

// The list shows each language's own name after a blank, English outside the list.
TEST(LanguageTablesTest, NamesAndKeysDistinctTextsFitTheirBuffers) {
    std::set<std::wstring_view> names;
    for (int i = 0; i < kLanguageCount; ++i) {
        ASSERT_NE(LanguageListName(i), nullptr);
        EXPECT_TRUE(names.insert(LanguageListName(i)).second) << i;
        EXPECT_EQ(LanguageListName(i)[0], L' ') << i;
    }
    for (const int outside : {-1, kLanguageCount})
        EXPECT_EQ(std::wstring_view(LanguageListName(outside)), L" English");

    std::set<std::string_view> distinct(kStringKeys.begin(), kStringKeys.end());
    EXPECT_EQ(distinct.size(), kStringKeyCount);

    for (int language = 0; language < kLanguageCount; ++language) {
        for (const LanguageText& entry : GetLanguageTexts(language)) {
            // A tool button keeps its tooltip in 63 characters and a terminator, and the other short
            // texts pass through 64-character buffers; only the help steps are set directly.
            if (!entry.key.starts_with("howto ")) {
                EXPECT_LE(Utf16Length(entry.text), 63u) << "language " << language << ", key " << entry.key;
            }
        }
    }
}

TEST(LanguageTablesTest, EachLanguageAtItsIndexTranslatedWithTheEnglishPunctuation) {
    const LanguageTexts english = GetLanguageTexts(0);
    for (int language = 0; language < kLanguageCount; ++language) {
        const LanguageTexts texts = GetLanguageTexts(language);
        for (std::size_t i = 0; i < kStringKeyCount; ++i) {
            const std::wstring_view text = texts[i].text;
            const std::wstring_view original = english[i].text;
            SCOPED_TRACE(testing::Message() << "language " << language << ", key " << kStringKeys[i]);
            EXPECT_EQ(EndsWithColon(text), EndsWithColon(original));
            EXPECT_EQ(text.ends_with(L"..."), original.ends_with(L"..."));
            // Only the text-note prompt starts with a blank; nothing ends with one or has a line break.
            EXPECT_EQ(text.front() == L' ', kStringKeys[i] == "input tip");
            EXPECT_NE(text.back(), L' ');
            EXPECT_EQ(text.find_first_of(L"\t\r\n"), std::wstring_view::npos);
        }
        EXPECT_NE(TextOf(language, "mm").find(L"(mm)"), std::wstring_view::npos) << "language " << language;
        EXPECT_NE(TextOf(language, "um").find(L"(\u03BCm)"), std::wstring_view::npos)
            << "language " << language;
    }

    // One text a language, so that a table in the wrong place shows; every translation differs from
    // English in most of its texts.
    const wchar_t* const device[kLanguageCount] = {
        L"Device", L"设备", L"Appareil",     L"Equipo",       L"Gerät",
        L"装置",   L"장비", L"Оборудование", L"Attrezzatura", L"Equipamento"};
    for (int language = 0; language < kLanguageCount; ++language) {
        EXPECT_EQ(TextOf(language, "device"), device[language]) << "language " << language;
        const LanguageTexts texts = GetLanguageTexts(language);
        std::size_t same = 0;
        for (std::size_t i = 0; i < kStringKeyCount; ++i)
            same += texts[i].text == english[i].text;
        EXPECT_TRUE(language == 0 || same < kStringKeyCount / 2) << "language " << language;
    }
}

} // namespace
