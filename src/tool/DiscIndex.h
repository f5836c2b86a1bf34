#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vc::tool {

struct DvdAudio {
    int streamId = 0; // the MPEG stream id ffmpeg's demuxer gives it
    std::string language;
    std::string languageCode; // ISO 639-1 as the disc has it, "" when unset
    std::string codec;        // "AC-3"
    std::string ffmpegCodec;  // "ac3"
    int channels = 0;
    int sampleRate = 0;
};

struct DvdSubtitle {
    int streamId = 0;
    std::string language;
    std::string languageCode;
};

struct DvdCell {
    std::uint32_t firstSector = 0;
    std::uint32_t lastSector = 0;
    double seconds = 0;
};

struct DvdTitle {
    int number = 0;
    int titleSet = 0;
    double seconds = 0;
    std::uint64_t sectors = 0;
    std::vector<DvdCell> cells;
    std::vector<std::uint32_t> vobuStarts; // the title set's, for seeking inside a cell
    std::vector<DvdAudio> audio;
    std::vector<DvdSubtitle> subtitles;
    std::string videoCodec; // "mpeg2video"
    int width = 0;
    int height = 0;
    double frameRate = 0;
    std::array<std::uint32_t, 16> palette{}; // 0xRRGGBB
};

// An open disc with its titles read from the IFO files.
class DvdDisc {
public:
    // Opens the disc at path; on failure `error` holds the sentence for the user.
    static std::unique_ptr<DvdDisc> open(const std::string& path, std::string& error);
    ~DvdDisc();
    DvdDisc(const DvdDisc&) = delete;
    DvdDisc& operator=(const DvdDisc&) = delete;

    const std::string& volume() const { return volume_; }
    const std::vector<DvdTitle>& titles() const { return titles_; }
    const DvdTitle* title(int number) const;

    // The title feeder (TitleFeeder.cpp) hands a title's blocks to ffmpeg.

    // Where a title's playback reaches `seconds`: the cell and the sector of the last VOBU
    // starting at or before it, and the time that VOBU starts at.
    struct Position {
        std::size_t cell = 0;
        std::uint32_t sector = 0;
        double seconds = 0;
    };
    Position seek(const DvdTitle& title, double seconds);

    // Writes the title's cells in playback order from `from` to fd, until its end, a write
    // fails (the reader went away) or `stop` is set. False when the disc could not be read.
    bool feed(const DvdTitle& title, const Position& from, int fd, const std::atomic<bool>& stop);

private:
    DvdDisc() = default;
    struct Reader;
    std::unique_ptr<Reader> reader_;
    std::string volume_;
    std::vector<DvdTitle> titles_;
};

} // namespace vc::tool
