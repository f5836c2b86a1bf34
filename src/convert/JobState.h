#pragma once

#include "convert/ConvertRunner.h"
#include "convert/Progress.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace vc {

enum class JobState { Waiting, Converting, Paused, Finished, Failed, Stopped, Skipped };

// Where one job of a batch stands.
struct JobStatus {
    JobState state = JobState::Waiting;
    // Hundredths of a percent; none while the run has reported nothing or its length is unknown.
    std::optional<std::int64_t> progress;
    QString reason;   // why it failed
    RunWords words;   // what its run said, progress reports aside
    QString intended; // the output name picked as it started
    QString output;   // the file written, when it was kept

    bool ended() const {
        return state == JobState::Finished || state == JobState::Failed ||
               state == JobState::Stopped || state == JobState::Skipped;
    }
};

// The status column's text: "42.50%", "Finish", "Failed", "Stop", "Skipped"; empty while the
// job has nothing to say (waiting, or started without a report yet).
QString statusText(const JobStatus& status);

// How a batch's jobs ended, counted once for both end texts.
struct BatchCounts {
    int finished = 0, failed = 0, stopped = 0, skipped = 0, waiting = 0;
    explicit BatchCounts(const std::vector<JobStatus>& jobs);
};

// What a batch that ended unwatched reports: "3 files converted, 1 failed."
QString batchEndText(int finished, int failed);
// Batch mode's last line: "Finished 3, failed 1, stopped 0, refused 2, not converted 1".
QString batchSummaryText(const BatchCounts& counts, int refused);

// Whether a run failed.
bool runFailed(const RunEnd& end, const intputrec& job);
// Why a failed run failed: the tool's last words, or how it ended when it said nothing.
QString failureReason(const RunEnd& end, const RunWords& words);

} // namespace vc
