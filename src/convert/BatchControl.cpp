#include "convert/BatchControl.h"

#include "common/FileNames.h"

namespace vc {

QString batchEndText(int finished, int failed) {
    QString text = finished == 1 ? QStringLiteral("1 file converted")
                                 : QStringLiteral("%1 files converted").arg(finished);
    if (failed > 0)
        text += QStringLiteral(", %1 failed").arg(failed);
    return text + u'.';
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

BatchControl::BatchControl(ConvertRunner& runner, intputrec& job, Hooks hooks, QObject* parent)
    : QObject(parent), runner_(runner), job_(job), hooks_(std::move(hooks)) {
    connect(&runner_, &ConvertRunner::ended, this, &BatchControl::onEnded);
    connect(&runner_, &ConvertRunner::lineDelivered, this,
            [this](const QByteArray&, const QByteArray& fresh) {
                words_.take(
                    std::string_view(fresh.constData(), static_cast<std::size_t>(fresh.size())));
            });
    connect(&runner_, &ConvertRunner::statusText, this, [this](const QString& text) {
        if (converting_ && current_ >= 0 && current_ < hooks_.rows())
            hooks_.setStatus(current_, text);
    });
}

QString BatchControl::pauseCaption() const {
    return converting_ && !runner_.running() ? QStringLiteral("Continue") : QStringLiteral("Pause");
}

int BatchControl::nextTicked(int from) const {
    for (int row = from; row < hooks_.rows(); ++row)
        if (hooks_.ticked(row))
            return row;
    return -1;
}

void BatchControl::launch(int row) {
    current_ = row;
    words_.clear();
    if (hooks_.setFailure)
        hooks_.setFailure(row, {});
    if (!hooks_.prepare(row, job_)) {
        converting_ = false;
        hooks_.refreshCommands();
        return;
    }
    runner_.Launch(job_);
    emit pauseCaptionChanged(pauseCaption());
}

void BatchControl::bt_startClick() {
    if (converting_)
        return;
    if (hooks_.previewPlaying()) {
        hooks_.refuse(27);
        return;
    }
    if (hooks_.rows() == 0)
        return;
    const int first = nextTicked(0);
    if (first < 0) {
        // Rows that are merely selected look chosen; say what chooses them.
        runner_.ShowHint(QStringLiteral("Tick the files to convert in the first column."));
        hooks_.inform(QStringLiteral("Please select one file."));
        return;
    }
    if (hooks_.prepareBatch && !hooks_.prepareBatch())
        return;
    converting_ = true;
    startFailureShown_ = false;
    if (hooks_.batchStarted) {
        QList<int> rows;
        for (int row = first; row >= 0; row = nextTicked(row + 1))
            rows << row;
        hooks_.batchStarted(rows);
    }
    hooks_.refreshCommands();
    launch(first);
}

void BatchControl::bt_pauseClick() {
    if (!converting_ || !runner_.active())
        return;
    if (runner_.running())
        runner_.Suspend();
    else
        runner_.Resume();
    emit pauseCaptionChanged(pauseCaption());
}

void BatchControl::Bt_ConvertstopClick() {
    if (!converting_)
        return;
    runner_.Kill();
    if (current_ >= 0 && current_ < hooks_.rows())
        hooks_.setStatus(current_, QStringLiteral("Stop"));
    runner_.ShowBar(0);
    current_ = hooks_.rows();
    converting_ = false;
    hooks_.refreshCommands();
    emit pauseCaptionChanged(pauseCaption());
}

void BatchControl::onEnded(const RunEnd& end) {
    runner_.ShowBar(0);
    if (!converting_) {
        hooks_.refreshCommands();
        return;
    }
    // A front end that keeps each row's reason tells them all at the end instead.
    if (!end.started && !startFailureShown_ && !hooks_.setFailure) {
        startFailureShown_ = true; // once per batch, not once per row
        hooks_.inform(end.error);
    }
    const bool failed = runFailed(end, job_);
    if (!end.output.isEmpty())
        job_.outfile = end.output;
    hooks_.setStatus(current_, failed ? QStringLiteral("Failed") : QStringLiteral("Finish"));
    if (failed) {
        const QString reason = failureReason(end, words_);
        if (hooks_.setFailure)
            hooks_.setFailure(current_, reason);
        runner_.ShowHint(reason);
    }
    const int next = nextTicked(current_ + 1);
    if (next >= 0) {
        launch(next);
        return;
    }
    converting_ = false;
    hooks_.refreshCommands();
    emit pauseCaptionChanged(pauseCaption());
    if (hooks_.batchFinished)
        hooks_.batchFinished();
}

} // namespace vc
