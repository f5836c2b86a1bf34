#include "media/ProbeOutput.h"

#include <optional>
#include <vector>

namespace vc {

namespace {

using Lines = std::vector<std::string_view>;

constexpr std::size_t WalkLimit = 10;

std::optional<std::string_view> firstLineWith(const Lines& lines, std::string_view keyword) {
    for (std::string_view line : lines)
        if (line.find(keyword) != std::string_view::npos)
            return line;
    return std::nullopt;
}

// Where a value that ends at `end` begins: after the nearest blank among the WalkLimit
// characters before it, or WalkLimit characters back when there is none.
std::size_t walkBackToBlank(std::string_view text, std::size_t end) {
    const std::size_t limit = end >= WalkLimit ? end - WalkLimit : 0;
    for (std::size_t i = end; i > limit; --i)
        if (text[i - 1] == ' ')
            return i;
    return limit;
}

void findDuration(std::string_view text, ProbeResult& result) {
    const std::size_t at = text.find("Duration:");
    if (at == std::string_view::npos)
        return;
    // "Duration:" and one blank; the clock text is taken as far as it has arrived.
    const std::size_t from = at + 10;
    result.duration = from < text.size() ? std::string(text.substr(from, 8)) : std::string();
}

void findRate(const Lines& lines, std::string_view keyword, std::string& value) {
    const auto line = firstLineWith(lines, keyword);
    if (!line)
        return;
    const std::size_t unit = line->find(" kb/s");
    if (unit == std::string_view::npos)
        return;
    const std::size_t from = walkBackToBlank(*line, unit);
    value = line->substr(from, unit - from);
}

void findResolution(const Lines& lines, ProbeResult& result) {
    const auto line = firstLineWith(lines, "Video:");
    if (!line)
        return;
    const std::string_view text = line->substr(line->find("Video:"));
    const std::size_t x = text.find('x');
    if (x == std::string_view::npos)
        return;
    const std::size_t from = walkBackToBlank(text, x);
    std::size_t to = x + 1;
    while (to < text.size() && to - (x + 1) < WalkLimit && text[to] >= '0' && text[to] <= '9')
        ++to;
    result.resolution = text.substr(from, to - from);
}

// The codec name between keyword and the line's first comma, and what follows that comma.
std::string_view splitFormat(std::string_view line, std::string_view keyword, std::string& format) {
    const std::size_t from = line.find(keyword) + keyword.size() + 1;
    const std::size_t comma = line.find(',');
    format = comma != std::string_view::npos && comma >= from
                 ? std::string(line.substr(from, comma - from))
                 : std::string();
    return comma == std::string_view::npos ? std::string_view() : line.substr(comma + 1);
}

// Drops rest up to and including its next comma; false when it holds none.
bool dropPiece(std::string_view& rest) {
    const std::size_t comma = rest.find(',');
    if (comma == std::string_view::npos)
        return false;
    rest.remove_prefix(comma + 1);
    return true;
}

std::string pieceBeforeComma(std::string_view rest) {
    const std::size_t comma = rest.find(',');
    return comma == std::string_view::npos ? std::string() : std::string(rest.substr(0, comma));
}

void findVideoLine(const Lines& lines, ProbeResult& result) {
    const auto line = firstLineWith(lines, "Video:");
    if (!line)
        return;
    std::string_view rest = splitFormat(*line, "Video:", result.videoformat);
    // Pixel format, frame size and bit rate stand before the frame rate; when one of them is
    // missing, the walk stops at the last piece.
    for (int i = 0; i < 3; ++i)
        dropPiece(rest);
    result.frame = rest;
}

void findAudioLine(const Lines& lines, ProbeResult& result) {
    const auto line = firstLineWith(lines, "Audio:");
    if (!line)
        return;
    std::string_view rest = splitFormat(*line, "Audio:", result.audioformat);
    result.sample = pieceBeforeComma(rest);
    dropPiece(rest);
    result.channels = pieceBeforeComma(rest);
}

// "  Lossless sound: 838 kb/s mono, 1381 kb/s stereo": what FLAC made of the sound.
void findLossless(const Lines& lines, ProbeResult& result) {
    constexpr std::string_view Start = "  Lossless sound: ";
    for (std::string_view line : lines) {
        if (!line.starts_with(Start))
            continue;
        line.remove_prefix(Start.size());
        const std::size_t mono = line.find(" kb/s mono, ");
        const std::size_t stereo = line.find(" kb/s stereo");
        if (mono == std::string_view::npos || stereo == std::string_view::npos || stereo < mono)
            return;
        result.losslessMono = line.substr(0, mono);
        const std::size_t from = mono + std::string_view(" kb/s mono, ").size();
        result.losslessStereo = line.substr(from, stereo - from);
        return;
    }
}

constexpr std::string_view DefaultMark = " (default)";

// "Stream #0.1(jpn): Audio: aac, 48000 Hz, stereo, 128 kb/s (default)", and ffmpeg's own
// "Stream #0:1[0x2](jpn): Audio: aac (LC) (mp4a / 0x6134706D), 44100 Hz, mono, ...".
void findStream(std::string_view line, ProbeResult& result) {
    const std::size_t stream = line.find("Stream #");
    if (stream == std::string_view::npos)
        return;
    ProbeStream found;
    if (line.ends_with(DefaultMark)) {
        found.isDefault = true;
        line.remove_suffix(DefaultMark.size());
    }
    constexpr std::string_view Audio = ": Audio: ", Subtitle = ": Subtitle: ";
    const std::size_t audio = line.find(Audio);
    const std::size_t kind = audio == std::string_view::npos ? line.find(Subtitle) : audio;
    if (kind == std::string_view::npos || kind < stream)
        return;
    if (line[kind - 1] == ')') {
        const std::size_t open = line.rfind('(', kind - 1);
        if (open != std::string_view::npos && open > stream)
            found.language = line.substr(open + 1, kind - 2 - open);
    }
    std::string_view rest = line.substr(kind + (audio == kind ? Audio : Subtitle).size());
    found.codec = rest.substr(0, rest.find_first_of(" ,"));
    if (audio == kind) {
        // Codec, sample rate, layout.
        if (dropPiece(rest) && dropPiece(rest)) {
            std::string_view layout = rest.substr(0, rest.find(','));
            while (layout.starts_with(' '))
                layout.remove_prefix(1);
            found.layout = layout;
        }
        result.audioStreams.push_back(std::move(found));
    } else {
        result.subtitleStreams.push_back(std::move(found));
    }
}

} // namespace

void TtimeProcessor::clear() {
    pending_.clear();
    endedOnCr_ = false;
    result_ = ProbeResult();
    lastLine_.clear();
}

void TtimeProcessor::feed(std::string_view data) {
    do {
        const std::size_t size = std::min(data.size(), ChunkSize);
        feedChunk(data.substr(0, size));
        data.remove_prefix(size);
    } while (!data.empty());
}

void TtimeProcessor::feedChunk(std::string_view chunk) {
    chunk = chunk.substr(0, chunk.find('\0'));
    if (chunk.empty())
        return;
    if (endedOnCr_ && chunk.front() == '\n')
        chunk.remove_prefix(1);
    endedOnCr_ = false;
    pending_.append(chunk);
    parsePass();
}

void TtimeProcessor::parsePass() {
    // A line ends at a CR, an LF, or a CR LF pair; the tool ends its lines with CR LF, but a
    // tool that prints bare LF must be read the same way.
    Lines lines;
    const std::string_view text = pending_;
    std::size_t start = 0;
    std::size_t consumed = 0;
    bool lastWasCr = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.push_back(text.substr(start, i - start));
        lastWasCr = c == '\r';
        if (lastWasCr && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
            lastWasCr = false;
        }
        start = consumed = i + 1;
    }
    if (lines.empty())
        return;
    // The default mark ends a stream's line after every field the rest reads.
    for (std::string_view& line : lines) {
        if (line.find_first_not_of(' ') != std::string_view::npos)
            lastLine_ = line;
        findStream(line, result_);
        if (line.ends_with(DefaultMark))
            line.remove_suffix(DefaultMark.size());
    }

    findDuration(text, result_);
    findRate(lines, "bitrate:", result_.bitrate);
    findRate(lines, "Video:", result_.videobit);
    findRate(lines, "Audio:", result_.audiobit);
    findResolution(lines, result_);
    findVideoLine(lines, result_);
    findAudioLine(lines, result_);
    findLossless(lines, result_);

    endedOnCr_ = lastWasCr && consumed == text.size();
    pending_.erase(0, consumed);
}

} // namespace vc
