#pragma once

// Language names for stream choices. Header-only and free of Qt: the converter tool names a
// disc's languages with it, and the program a file's, so both read the same.

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

namespace vc {

struct LanguageCodes {
    const char* two;           // ISO 639-1, as discs carry it
    const char* bibliographic; // ISO 639-2/B, as Matroska and the output tags carry it
    const char* terminology;   // ISO 639-2/T, as MP4 carries it
    const char* name;
};

inline constexpr LanguageCodes Languages[] = {
    {"ar", "ara", "ara", "Arabic"},     {"bg", "bul", "bul", "Bulgarian"},
    {"ca", "cat", "cat", "Catalan"},    {"cs", "cze", "ces", "Czech"},
    {"da", "dan", "dan", "Danish"},     {"de", "ger", "deu", "German"},
    {"el", "gre", "ell", "Greek"},      {"en", "eng", "eng", "English"},
    {"es", "spa", "spa", "Spanish"},    {"et", "est", "est", "Estonian"},
    {"fi", "fin", "fin", "Finnish"},    {"fr", "fre", "fra", "French"},
    {"he", "heb", "heb", "Hebrew"},     {"hi", "hin", "hin", "Hindi"},
    {"hr", "hrv", "hrv", "Croatian"},   {"hu", "hun", "hun", "Hungarian"},
    {"is", "ice", "isl", "Icelandic"},  {"it", "ita", "ita", "Italian"},
    {"ja", "jpn", "jpn", "Japanese"},   {"ko", "kor", "kor", "Korean"},
    {"lt", "lit", "lit", "Lithuanian"}, {"lv", "lav", "lav", "Latvian"},
    {"nl", "dut", "nld", "Dutch"},      {"no", "nor", "nor", "Norwegian"},
    {"pl", "pol", "pol", "Polish"},     {"pt", "por", "por", "Portuguese"},
    {"ro", "rum", "ron", "Romanian"},   {"ru", "rus", "rus", "Russian"},
    {"sk", "slo", "slk", "Slovak"},     {"sl", "slv", "slv", "Slovenian"},
    {"sr", "srp", "srp", "Serbian"},    {"sv", "swe", "swe", "Swedish"},
    {"th", "tha", "tha", "Thai"},       {"tr", "tur", "tur", "Turkish"},
    {"uk", "ukr", "ukr", "Ukrainian"},  {"zh", "chi", "zho", "Chinese"}};

// The entry of a two- or three-letter code in any case; nullptr when it is not listed.
inline const LanguageCodes* findLanguage(std::string_view code) {
    std::string lower(code);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const LanguageCodes& language : Languages)
        if (lower == language.two || lower == language.bibliographic ||
            lower == language.terminology)
            return &language;
    return nullptr;
}

// "Japanese" for "ja", "jpn" or "JPN"; "Unknown" without a code (or "und"); an unlisted
// code as it is.
inline std::string languageName(std::string_view code) {
    if (code.empty() || code == "und")
        return "Unknown";
    const LanguageCodes* language = findLanguage(code);
    return language ? language->name : std::string(code);
}

} // namespace vc
