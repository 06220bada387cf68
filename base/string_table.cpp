#include "base/string_table.h"

namespace {

// Built on first use, so a lookup made during another file's static initialisation still finds it.
StringTable& Table() {
    static StringTable table;
    return table;
}

std::wstring& Slot(std::string_view key) {
    StringTable& table = Table();
    auto it = table.lower_bound(key);
    if (it == table.end() || it->first != key) {
        it = table.emplace_hint(it, std::string(key), std::wstring());
    }
    return it->second;
}

struct Language {
    const wchar_t* listName;
    LanguageTexts (*texts)();
};

// In language index order: the index is the stored language setting.
constexpr std::array<Language, kLanguageCount> kLanguages = {{
    {L" English", EnglishTexts},
    {L" 中文", ChineseTexts},
    {L" Francais", FrenchTexts},
    {L" Español", SpanishTexts},
    {L" German", GermanTexts},
    {L" 日本語", JapaneseTexts},
    {L" Korean", KoreanTexts},
    {L" Russian", RussianTexts},
    {L" Italiano", ItalianTexts},
    {L" Portuguese", PortugueseTexts},
}};

const Language& LanguageAt(int index) {
    if (index < 0 || index >= kLanguageCount) {
        index = 0;
    }
    return kLanguages[static_cast<std::size_t>(index)];
}

} // namespace

const std::wstring& GetText(std::string_view key) {
    return Slot(key);
}

void SelectLanguage(int index) {
    for (const LanguageText& entry : LanguageAt(index).texts()) {
        Slot(entry.key).assign(entry.text);
    }
}

const wchar_t* LanguageListName(int index) {
    return LanguageAt(index).listName;
}

LanguageTexts GetLanguageTexts(int index) {
    return LanguageAt(index).texts();
}

const StringTable& GetStringTable() {
    return Table();
}
