#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vc::tool {

// One stream of the source as ffmpeg's input dump describes it.
struct SourceStream {
    enum class Kind { Video, Audio, Subtitle, Other };
    Kind kind = Kind::Other;
    std::string codec;
    bool picture = false; // an attached picture (cover art), not a moving video
    bool isDefault = false;
    // Video only.
    std::string pixelFormat;
    std::string matrix;     // "bt2020nc", "bt709", ... ("" when untagged)
    std::string primaries;  // "bt2020", "bt709", ...
    std::string transfer;   // "smpte2084", "arib-std-b67", "bt709", ...
    std::string fieldOrder; // "progressive", "top first", ... ("" when unknown)
    double fps = 0;
    int width = 0;
    int height = 0;
};

// What the source holds, as far as the way to convert it depends on it.
struct SourceFacts {
    bool known = false; // false: nothing was read, so the source counts as an ordinary one
    double start = 0;   // seconds ffmpeg takes off every timestamp
    std::vector<SourceStream> streams;

    // The first moving video, if any.
    const SourceStream* video() const;
    // Index among the video streams ("0:v:N") of the first attached picture.
    std::optional<std::size_t> picture() const;
    std::size_t count(SourceStream::Kind kind) const;
    // The Nth (from 0) stream of a kind.
    const SourceStream* nth(SourceStream::Kind kind, std::size_t n) const;
    // Index among the audio streams of the one ffmpeg would take by itself.
    std::size_t defaultAudio() const;
};

// True for pixel formats with more than 8 bits a component.
bool deepPixels(const std::string& pixelFormat);

// Reads ffmpeg's description of its first input ("Input #0, ...") from its log, one line at a
// time, the level marker taken off. Only marked lines that start exactly with "  Stream #0:"
// or "  Duration:" are believed, in the order ffmpeg numbers its streams, so that no file
// name, metadata key or value can add a fact.
class InputDumpReader {
public:
    // `inputName` as ffmpeg was given it: the lines of a name that holds line breaks are
    // skipped.
    explicit InputDumpReader(const std::string& inputName);

    // One line; `marked` when it began with a level marker, `info` when that was "[info]".
    void line(std::string_view text, bool marked, bool info);
    // No more lines will come.
    void finish();

    // True once the dump has ended (and only then are the facts complete).
    bool ended() const { return state_ == State::Ended; }
    const SourceFacts& facts() const { return facts_; }

private:
    enum class State { Before, Reading, Ended };
    void stream(std::string_view text);
    void end();

    std::size_t nameBreaks_ = 0;
    std::size_t skip_ = 0;
    State state_ = State::Before;
    bool trusted_ = true;
    std::vector<bool> seen_;
    SourceFacts facts_;
};

} // namespace vc::tool
