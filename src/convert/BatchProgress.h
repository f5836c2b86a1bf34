#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace vc {

// The state of a batch as one line: files done, the share of the media converted, and the
// time left at the rate measured so far. Files weigh by their length, so a long film is not
// one step among many short clips.
class BatchProgress {
public:
    // Lengths in seconds; 0 when unknown.
    explicit BatchProgress(const std::vector<double>& lengths);

    // A file's own percentage, as its status shows it.
    void setPercent(int file, double percent);
    // Ended, however; only a finished file counts as converted in full for the rate.
    void setEnded(int file, bool finished);

    // Time stands still while paused: the estimate neither rises then nor counts the pause
    // afterwards. Clock seconds are those the other calls take.
    void setPaused(bool paused, double clockSeconds);
    bool paused() const { return pausedAt_.has_value(); }

    // "Done 3 of 12, 41.2%, about 00:01:05 left".
    QString text(double clockSeconds) const;
    // "41.2% · about 00:01:05 left", above the bar that shows the same share.
    QString barText(double clockSeconds) const;
    // The share of the media behind us, 0..100, to a tenth.
    double percent() const;
    // The same share as a bar's value, in hundredths of a percent.
    std::int64_t barValue() const;
    // At the rate measured so far; none while there is nothing to measure it by.
    std::optional<std::int64_t> secondsLeft(double clockSeconds) const;

private:
    struct File {
        double weight = 0;
        double fraction = 0; // of the file converted
        bool ended = false;
    };
    double convertingSeconds(double clockSeconds) const;

    std::vector<File> files_;
    double pausedSeconds_ = 0;
    std::optional<double> pausedAt_;
};

} // namespace vc
