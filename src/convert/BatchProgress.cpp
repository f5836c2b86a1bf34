#include "convert/BatchProgress.h"

#include "common/Clock.h"

#include <algorithm>
#include <cmath>

namespace vc {

BatchProgress::BatchProgress(const std::vector<double>& lengths) {
    double known = 0;
    int knownCount = 0;
    for (const double length : lengths)
        if (length > 0) {
            known += length;
            ++knownCount;
        }
    // A file of unknown length weighs as much as an average one, so it still moves the total.
    const double average = knownCount > 0 ? known / knownCount : 1.0;
    files_.reserve(lengths.size());
    for (const double length : lengths)
        files_.push_back({length > 0 ? length : average, 0, false});
}

void BatchProgress::setPercent(int file, double percent) {
    if (file < 0 || file >= static_cast<int>(files_.size()) || files_[file].ended)
        return;
    // A tool reporting past the length asked for is at the end, not beyond it.
    files_[file].fraction = std::clamp(percent / 100.0, 0.0, 1.0);
}

void BatchProgress::setEnded(int file, bool finished) {
    if (file < 0 || file >= static_cast<int>(files_.size()))
        return;
    files_[file].ended = true;
    if (finished)
        files_[file].fraction = 1.0;
}

void BatchProgress::setPaused(bool paused, double clockSeconds) {
    if (paused && !pausedAt_)
        pausedAt_ = clockSeconds;
    else if (!paused && pausedAt_) {
        pausedSeconds_ += std::max(0.0, clockSeconds - *pausedAt_);
        pausedAt_.reset();
    }
}

double BatchProgress::convertingSeconds(double clockSeconds) const {
    return (pausedAt_ ? std::min(clockSeconds, *pausedAt_) : clockSeconds) - pausedSeconds_;
}

double BatchProgress::percent() const {
    double total = 0, done = 0;
    for (const File& f : files_) {
        total += f.weight;
        // A failed or stopped file is behind us: nothing of it is left to wait for.
        done += f.ended ? f.weight : f.weight * f.fraction;
    }
    return total > 0 ? std::floor(1000.0 * done / total) / 10 : 0.0;
}

std::int64_t BatchProgress::barValue() const {
    return std::llround(percent() * 100);
}

std::optional<std::int64_t> BatchProgress::secondsLeft(double clockSeconds) const {
    const double elapsedSeconds = convertingSeconds(clockSeconds);
    double total = 0, done = 0, converted = 0;
    for (const File& f : files_) {
        total += f.weight;
        done += f.ended ? f.weight : f.weight * f.fraction;
        converted += f.weight * f.fraction;
    }
    // The first second measures mostly start-up, which says little about the rate.
    if (converted <= 0 || elapsedSeconds < 1.0)
        return std::nullopt;
    const double rate = converted / elapsedSeconds; // media seconds per second
    return static_cast<std::int64_t>(std::ceil((total - done) / rate));
}

QString BatchProgress::text(double clockSeconds) const {
    int ended = 0;
    for (const File& f : files_)
        ended += f.ended ? 1 : 0;
    const QString line = QStringLiteral("Done %1 of %2, %3%")
                             .arg(ended)
                             .arg(files_.size())
                             .arg(percent(), 0, 'f', 1);
    const auto left = secondsLeft(clockSeconds);
    if (!left)
        return line + QStringLiteral(", time left not known yet");
    return line + QStringLiteral(", about %1 left").arg(secondsToClock(*left));
}

QString BatchProgress::barText(double clockSeconds) const {
    QString line = QStringLiteral("%1%").arg(percent(), 0, 'f', 1);
    if (const auto left = secondsLeft(clockSeconds))
        line += QStringLiteral(" \u00b7 about %1 left").arg(secondsToClock(*left));
    return line;
}

} // namespace vc
