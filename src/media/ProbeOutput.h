#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vc {

// An audio or subtitle stream of the file, in stream order.
struct ProbeStream {
    std::string language; // the tag as written ("jpn"), empty without one
    std::string codec;    // "aac", "subrip"
    std::string layout;   // audio only: "stereo", "5.1(side)"
    bool isDefault = false;

    bool operator==(const ProbeStream&) const = default;
};

// What a probe learnt about a file; every value is empty until found. The texts are the
// tool's bytes as printed (UTF-8).
struct ProbeResult {
    std::string duration;   // "00:01:23"
    std::string bitrate;    // total, "1234"
    std::string videobit;   // "1150"
    std::string audiobit;   // "128"
    std::string resolution; // "320x240"
    std::string videoformat;
    std::string frame; // " 25.00 tb(r)"
    std::string audioformat;
    std::string sample;   // " 44100 Hz"
    std::string channels; // " stereo"
    // kbit/s FLAC needs for the sound in one and in two channels, "" when not measured.
    std::string losslessMono = {};
    std::string losslessStereo = {};
    std::vector<ProbeStream> audioStreams;
    std::vector<ProbeStream> subtitleStreams;

    bool operator==(const ProbeResult&) const = default;
};

// The reading side of a probe: keeps the output not yet consumed and runs one parse pass per
// chunk. Only complete lines are searched, so the values do not depend on how the output was
// cut into chunks, as long as a keyword's line arrives whole before the next one is parsed.
class TtimeProcessor {
public:
    static constexpr std::size_t ChunkSize = 2048;

    // Forgets the pending text and every value, for a new probe.
    void clear();

    // One read of the tool's output: cut at its first NUL, appended, then parsed. Data longer
    // than ChunkSize is taken as consecutive reads.
    void feed(std::string_view data);

    const ProbeResult& result() const { return result_; }
    // The last complete line with text: a failed probe's reason.
    const std::string& lastLine() const { return lastLine_; }
    // Output after the last line end, waiting for the rest of its line.
    const std::string& pending() const { return pending_; }

private:
    void feedChunk(std::string_view chunk);
    void parsePass();

    std::string pending_;
    // A CR closed the last pass, so an LF that opens the next chunk belongs to it.
    bool endedOnCr_ = false;
    ProbeResult result_;
    std::string lastLine_;
};

} // namespace vc
