#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vc {

// Whole seconds of a status line's "time=" report, or 0 when the line carries no usable
// report (no "time=", no later "bitrate=", a clock-style time, or a value above 100000).
std::int64_t reportedSeconds(std::string_view line);

// A progress report, the tool's ("frame=   25 fps= 25 q=2.0 size=  16kB time=1.00 bitrate=...")
// or ffmpeg's own ("size=  48kB time=00:00:04.00 bitrate=...", its last one "Lsize="), also one
// that a shorter line overwrote only in part: it tells how far a run got, never why it failed.
bool isStatusLine(std::string_view line);

// What a run said, for the reason of its failure: the last line that is no progress report, and
// the one before it. Lines come as their writer meant them (LineAssembler::freshText).
class RunWords {
public:
    void take(std::string_view line);
    void clear() { *this = RunWords(); }
    const QString& last() const { return last_; }
    const QString& before() const { return before_; }

private:
    QString last_;
    QString before_;
};

// Hundredths of a percent of a job of `seconds` length; may exceed 10000 when the tool
// runs past the expected length. No value for a job of length 0.
std::optional<std::int64_t> progressValue(std::int64_t reported, std::int64_t seconds);

// The value to show after `previous` in the same run: a run that goes past the probed length
// (the header's length was short, or a second attempt starts over) holds just below the end,
// which only the run's end reaches, and never moves back.
std::int64_t heldProgress(std::int64_t previous, std::int64_t value);

// "50.34%": at least two digits before the point and exactly two after.
QString progressStatusText(std::int64_t value);

} // namespace vc
