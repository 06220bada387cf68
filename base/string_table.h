// The process-wide table of interface texts: short ASCII keys ("tip line", "exposure") mapped to the
// text of the selected language. Windows fetch their texts by key when they are created and again on
// the refresh command after a language change. User-interface thread only.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>

// Ordered by the keys' bytes taken unsigned (std::string's own ordering); std::less<> lets a
// std::string_view look a key up without building a std::string.
using StringTable = std::map<std::string, std::wstring, std::less<>>;

// The program's title, the same in every language: the main window's caption and the About box.
inline constexpr wchar_t kMainWindowTitle[] = L"Vantix Quorel Digital Imaging Software HD-V1.0";

constexpr int kLanguageCount = 10;
constexpr std::size_t kStringKeyCount = 121;

// One row of a language table.
struct LanguageText {
    std::string_view key;
    std::wstring_view text;
};

// A language table: one text for each of the kStringKeyCount keys, in the order of kStringKeys.
using LanguageTexts = std::span<const LanguageText, kStringKeyCount>;

// The keys every language defines, in the order every language table lists them.
inline constexpr std::array<std::string_view, kStringKeyCount> kStringKeys = {
    // Control panel and its sections.
    "device", "name", "resolution", "format", "photo", "video", "files", "setting", "click open", "preview",
    "flip horz", "flip vert", "gray", "binary", "invert", "emboss", "color", "exposure", "white balance",
    "gain", "brightness", "contrast", "hue", "saturation", "sharpness", "gamma", "frequence", "default",
    "auto",
    // Options dialog.
    "measure", "ruler color", "line color", "line width", "text color", "text size", "photo video",
    "save path", "jpg png", "language", "about", "ok", "cancel",
    // Open-microscope dialog.
    "open dev", "select dev", "mjpg yuy2",
    // Record dialog.
    "rec video", "time lim", "file split", "start rec", "stop rec", "pause rec", "resume rec", "limit -1",
    "limit 10s", "limit 30s", "limit 1m", "limit 5m", "limit 10m", "limit 30m", "limit 1h", "limit 2h",
    "limit 4h", "limit 8h", "split -1", "split 5m", "split 10m", "split 30m",
    // Calibration dialogs.
    "calib title", "calib tip1", "calib tip2", "unit tip", "howto 1", "howto 2", "howto 3", "calib man",
    "rename", "delete", "calibrate", "apply", "howto", "del data", "name col", "value col", "unit col",
    "date col", "resolution col", "mm", "um",
    // Text note and camera view.
    "input text", "input tip", "no device",
    // Toolbar tips.
    "tip calibration", "tip crosshair", "tip line", "tip line2", "tip rectangle", "tip circle", "tip circle2",
    "tip angle", "tip pencil", "tip text", "tip arrow", "tip drag", "tip del last", "tip del all",
    // Measurement table copied from the view.
    "col number", "col kind", "col value",
    // Failures the user must act on.
    "rec incomplete", "rec no frame", "photo not saved", "folder refused",
    // Record dialog status lines, the Open-microscope list without a camera, the zoom read-out.
    "rec no camera", "rec busy", "rec no file", "rec no encoder", "rec not started", "rec write fail",
    "rec cam closed", "no microscope", "ratio"};

// True when a language table lists exactly the keys of kStringKeys, in their order. Every language
// file checks its table with this at compile time.
template <std::size_t N> constexpr bool ListsAllStringKeys(const LanguageText (&texts)[N]) {
    if (N != kStringKeys.size()) {
        return false;
    }
    for (std::size_t i = 0; i < N; ++i) {
        if (texts[i].key != kStringKeys[i] || texts[i].text.empty()) {
            return false;
        }
    }
    return true;
}

// The text of `key` in the selected language. An unknown key is added with an empty text, which is
// returned. The reference stays valid for the life of the process (map nodes never move and
// entries are never removed); a later SelectLanguage changes the text it refers to.
const std::wstring& GetText(std::string_view key);

// Fills the table with language `index`: 1..9 that language, 0 and any other value English.
// Keys added by GetText that no language defines keep their (empty) text. The stored language
// setting is not touched.
void SelectLanguage(int index);

// The name the Options dialog lists for language `index`, with its leading blank (" English",
// " 中文", ...). An index outside 0..kLanguageCount-1 gives the English name, as SelectLanguage
// falls back to English.
const wchar_t* LanguageListName(int index);

// The texts of language `index`, with the same fallback to English as SelectLanguage.
LanguageTexts GetLanguageTexts(int index);

// The whole table, for inspection.
const StringTable& GetStringTable();

// The language tables, one per lang_*.cpp file.
LanguageTexts EnglishTexts();
LanguageTexts ChineseTexts();
LanguageTexts FrenchTexts();
LanguageTexts SpanishTexts();
LanguageTexts GermanTexts();
LanguageTexts JapaneseTexts();
LanguageTexts KoreanTexts();
LanguageTexts RussianTexts();
LanguageTexts ItalianTexts();
LanguageTexts PortugueseTexts();
