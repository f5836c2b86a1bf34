#include "convert/JobState.h"

#include "common/FileNames.h"

namespace vc {

QString statusText(const JobStatus& status) {
    switch (status.state) {
    case JobState::Waiting:
        return {};
    case JobState::Converting:
    case JobState::Paused:
        return status.progress ? progressStatusText(*status.progress) : QString();
    case JobState::Finished:
        return QStringLiteral("Finish");
    case JobState::Failed:
        return QStringLiteral("Failed");
    case JobState::Stopped:
        return QStringLiteral("Stop");
    case JobState::Skipped:
        return QStringLiteral("Skipped");
    }
    return {};
}

BatchCounts::BatchCounts(const std::vector<JobStatus>& jobs) {
    for (const JobStatus& job : jobs) {
        finished += job.state == JobState::Finished;
        failed += job.state == JobState::Failed;
        stopped += job.state == JobState::Stopped;
        skipped += job.state == JobState::Skipped;
        waiting += !job.ended();
    }
}

QString batchEndText(int finished, int failed) {
    QString text = finished == 1 ? QStringLiteral("1 file converted")
                                 : QStringLiteral("%1 files converted").arg(finished);
    if (failed > 0)
        text += QStringLiteral(", %1 failed").arg(failed);
    return text + u'.';
}

QString batchSummaryText(const BatchCounts& counts, int refused) {
    QString text = QStringLiteral("Finished %1, failed %2, stopped %3")
                       .arg(counts.finished)
                       .arg(counts.failed)
                       .arg(counts.stopped);
    if (counts.skipped > 0)
        text += QStringLiteral(", skipped %1").arg(counts.skipped);
    if (refused > 0)
        text += QStringLiteral(", refused %1").arg(refused);
    if (counts.waiting > 0)
        text += QStringLiteral(", not converted %1").arg(counts.waiting);
    return text;
}

bool runFailed(const RunEnd& end, const intputrec& job) {
    // A run counts only when the tool says so and left a file behind. The tool takes away
    // whatever a failed run wrote; nothing under an output name is the program's to remove.
    return !end.started || end.crashed || end.exitCode != 0 ||
           pathFileSize(end.output.isEmpty() ? job.outfile : end.output) <= 0;
}

QString failureReason(const RunEnd& end, const RunWords& words) {
    if (!words.last().isEmpty())
        return words.last();
    if (!end.started)
        return end.error;
    if (end.crashed)
        return QStringLiteral("The converter tool crashed.");
    if (end.exitCode != 0)
        return QStringLiteral("The converter tool ended with status %1.").arg(end.exitCode);
    return QStringLiteral("The converter tool wrote no output file.");
}

} // namespace vc
