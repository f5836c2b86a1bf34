#pragma once

#include "Arguments.h"
#include "SourceFacts.h"

#include <functional>
#include <string>
#include <string_view>

namespace vc::tool {

class OutputFile;

// How ffmpeg's log is shown: ffmpeg always logs its informational lines with level markers
// (the tool reads its input dump from them); the lines as severe as the caller's level, a
// warning unless it gave "-loglevel"/"-v", reach standard error as ffmpeg would print them.
struct LogLevel {
    int shown = 24;           // ffmpeg's number for "warning"
    bool markers = false;     // the caller asked for the level markers itself
    std::string ffmpegOption; // the value ffmpeg runs with
};

// Takes every "-loglevel"/"-v" option out of an ffmpeg argument list, puts the tool's own in
// front and says what the caller wanted shown.
LogLevel routeLogLevel(Args& args);

// Splits ffmpeg's standard error into lines: those shown are passed on (level marker taken
// off) and kept for a diagnosis, informational ones are kept for the tool, and the input
// dump is read into the source's facts.
class LogRouter {
public:
    LogRouter(const LogLevel& level, const std::string& inputName);

    void feed(std::string_view data);
    // Ends a last unfinished line and the input dump, if still open.
    void finish();

    // The file ffmpeg writes through a descriptor, named in what is shown by its real name.
    const OutputFile* output = nullptr;
    // Called once, as soon as the input dump has ended.
    std::function<void(const SourceFacts&)> onDump;

    const std::string& shown() const { return shown_; }
    const std::string& info() const { return info_; }

private:
    void line(std::string_view text);

    LogLevel level_;
    InputDumpReader dump_;
    bool dumpReported_ = false;
    std::string pending_;
    int lastLevel_ = 32;
    std::string shown_;
    std::string info_;
};

} // namespace vc::tool
