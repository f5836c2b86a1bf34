#include "SourceFacts.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>

namespace vc::tool {

const SourceStream* SourceFacts::video() const {
    for (const SourceStream& s : streams) {
        if (s.kind == SourceStream::Kind::Video && !s.picture)
            return &s;
    }
    return nullptr;
}

std::optional<std::size_t> SourceFacts::picture() const {
    std::size_t index = 0;
    for (const SourceStream& s : streams) {
        if (s.kind != SourceStream::Kind::Video)
            continue;
        if (s.picture)
            return index;
        ++index;
    }
    return std::nullopt;
}

std::size_t SourceFacts::count(SourceStream::Kind kind) const {
    return static_cast<std::size_t>(std::count_if(
        streams.begin(), streams.end(), [kind](const SourceStream& s) { return s.kind == kind; }));
}

const SourceStream* SourceFacts::nth(SourceStream::Kind kind, std::size_t n) const {
    for (const SourceStream& s : streams) {
        if (s.kind == kind && n-- == 0)
            return &s;
    }
    return nullptr;
}

std::size_t SourceFacts::defaultAudio() const {
    std::size_t index = 0;
    for (const SourceStream& s : streams) {
        if (s.kind != SourceStream::Kind::Audio)
            continue;
        if (s.isDefault)
            return index;
        ++index;
    }
    return 0;
}

bool deepPixels(const std::string& pixelFormat) {
    static const char* const marks[] = {
        "9le",  "9be",  "10le", "10be", "12le", "12be", "14le", "14be",    "16le",   "16be", "48le",
        "48be", "64le", "64be", "f16",  "f32",  "p010", "p012", "p016",    "p210",   "p216", "p410",
        "p416", "y210", "y212", "v210", "xv30", "xv36", "nv20", "x2rgb10", "x2bgr10"};
    return std::any_of(std::begin(marks), std::end(marks), [&](const char* mark) {
        return pixelFormat.find(mark) != std::string::npos;
    });
}

namespace {

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// Splits at ", " outside brackets: ffmpeg's items of a stream description.
std::vector<std::string_view> items(std::string_view text) {
    std::vector<std::string_view> result;
    int depth = 0;
    std::size_t from = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '(' || c == '[')
            ++depth;
        else if ((c == ')' || c == ']') && depth > 0)
            --depth;
        else if (depth == 0 && c == ',' && i + 1 < text.size() && text[i + 1] == ' ') {
            result.push_back(text.substr(from, i - from));
            from = i + 2;
        }
    }
    result.push_back(text.substr(from));
    return result;
}

double number(std::string_view text) {
    const std::string copy(text);
    char* end = nullptr;
    double value = std::strtod(copy.c_str(), &end);
    if (end != nullptr && *end == 'k')
        value *= 1000;
    return value;
}

// "yuv420p10le(tv, bt2020nc/bt2020/smpte2084, progressive)"
void readPixels(std::string_view item, SourceStream& s) {
    const std::size_t open = item.find('(');
    s.pixelFormat = std::string(item.substr(0, open));
    if (open == std::string_view::npos || !endsWith(item, ")"))
        return;
    static const std::string_view orders[] = {"progressive", "top first", "bottom first",
                                              "top coded first (swapped)",
                                              "bottom coded first (swapped)"};
    for (const std::string_view detail : items(item.substr(open + 1, item.size() - open - 2))) {
        if (std::find(std::begin(orders), std::end(orders), detail) != std::end(orders))
            s.fieldOrder = std::string(detail);
        else if (const std::size_t slash = detail.find('/'); slash != std::string_view::npos) {
            const std::size_t second = detail.find('/', slash + 1);
            s.matrix = std::string(detail.substr(0, slash));
            s.primaries = std::string(detail.substr(slash + 1, second - slash - 1));
            if (second != std::string_view::npos)
                s.transfer = std::string(detail.substr(second + 1));
        } else if (detail != "tv" && detail != "pc" && !endsWith(detail, " bpc")) {
            // Matrix, primaries and transfer of the same name.
            s.matrix = s.primaries = s.transfer = std::string(detail);
        }
    }
}

// What follows "  Stream #0:N": "[0x1](und): Video: h264 (High), yuv420p, ..."
std::optional<SourceStream> readStream(std::string_view text) {
    if (startsWith(text, "[0x")) {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        text.remove_prefix(close + 1);
    }
    if (startsWith(text, "(")) {
        // A language tag; anything unlike one could be made to look like a description.
        std::size_t close = 1;
        while (close < text.size() && close <= 16 &&
               (std::isalnum(static_cast<unsigned char>(text[close])) || text[close] == '-' ||
                text[close] == '_'))
            ++close;
        if (close >= text.size() || text[close] != ')')
            return std::nullopt;
        text.remove_prefix(close + 1);
    }
    SourceStream s;
    static const std::pair<std::string_view, SourceStream::Kind> kinds[] = {
        {": Video: ", SourceStream::Kind::Video},
        {": Audio: ", SourceStream::Kind::Audio},
        {": Subtitle: ", SourceStream::Kind::Subtitle}};
    std::string_view rest;
    for (const auto& [label, kind] : kinds) {
        if (startsWith(text, label)) {
            s.kind = kind;
            rest = text.substr(label.size());
        }
    }
    if (s.kind == SourceStream::Kind::Other)
        return startsWith(text, ": ") ? std::optional<SourceStream>(s) : std::nullopt;

    const std::vector<std::string_view> parts = items(rest);
    s.codec = std::string(parts.front().substr(0, parts.front().find(' ')));
    const std::string_view last = parts.back();
    s.picture = last.find(" (attached pic)") != std::string_view::npos;
    s.isDefault = last.find(" (default)") != std::string_view::npos;
    if (s.kind != SourceStream::Kind::Video)
        return s;
    if (parts.size() > 1)
        readPixels(parts[1], s);
    for (std::size_t i = 2; i < parts.size(); ++i) {
        const std::string_view item = parts[i].substr(0, parts[i].find(" ("));
        // Only the average counts: a variable rate's "tbr" is a time base, often "1k".
        if (endsWith(item, " fps"))
            s.fps = number(item);
        else if (!item.empty() && std::isdigit(static_cast<unsigned char>(item[0])) &&
                 item.find('x') != std::string_view::npos && s.width == 0) {
            s.width = std::atoi(std::string(item).c_str());
            s.height = std::atoi(std::string(item.substr(item.find('x') + 1)).c_str());
        }
    }
    return s;
}

} // namespace

InputDumpReader::InputDumpReader(const std::string& inputName)
    : nameBreaks_(static_cast<std::size_t>(std::count(inputName.begin(), inputName.end(), '\n'))) {}

void InputDumpReader::line(std::string_view text, bool marked, bool info) {
    if (state_ == State::Ended)
        return;
    if (skip_ > 0) {
        --skip_;
        return;
    }
    if (state_ == State::Before) {
        if (marked && info && startsWith(text, "Input #0, ")) {
            state_ = State::Reading;
            skip_ = nameBreaks_;
        }
        return;
    }
    if (!marked)
        return; // the rest of a multi-line value
    if (!info || !startsWith(text, "  ")) {
        end();
        return;
    }
    if (startsWith(text, "  Stream #0:"))
        stream(text.substr(12));
    else if (startsWith(text, "  Duration: ")) {
        const std::size_t at = text.find(", start: ");
        if (at != std::string_view::npos)
            facts_.start = number(text.substr(at + 9));
    }
}

void InputDumpReader::finish() {
    if (state_ == State::Reading)
        end();
}

void InputDumpReader::stream(std::string_view text) {
    std::size_t digits = 0;
    while (digits < text.size() && digits < 6 &&
           std::isdigit(static_cast<unsigned char>(text[digits])))
        ++digits;
    const std::optional<SourceStream> s =
        digits > 0 ? readStream(text.substr(digits)) : std::nullopt;
    const std::size_t index = digits > 0 ? std::stoul(std::string(text.substr(0, digits))) : 0;
    if (!s || index > 4096) {
        trusted_ = false;
        return;
    }
    if (facts_.streams.size() <= index) {
        facts_.streams.resize(index + 1);
        seen_.resize(index + 1);
    }
    // Streams come by program, not always in order, but each once: a second is a forgery.
    if (seen_[index])
        trusted_ = false;
    seen_[index] = true;
    facts_.streams[index] = *s;
}

void InputDumpReader::end() {
    state_ = State::Ended;
    // A stream number never described means a line was made up.
    const bool complete = std::find(seen_.begin(), seen_.end(), false) == seen_.end();
    facts_.known = trusted_ && complete;
    if (!facts_.known)
        facts_ = SourceFacts{};
}

} // namespace vc::tool
