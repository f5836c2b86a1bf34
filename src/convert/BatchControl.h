#pragma once

#include "convert/ConvertRunner.h"
#include "convert/Progress.h"

#include <QList>
#include <QObject>
#include <functional>

namespace vc {

// What a batch that ended unwatched reports: "3 files converted, 1 failed."
QString batchEndText(int finished, int failed);

// Whether a run failed.
bool runFailed(const RunEnd& end, const intputrec& job);
// Why a failed run failed: the tool's last words, or how it ended when it said nothing.
QString failureReason(const RunEnd& end, const RunWords& words);

// Walks the ticked rows through the converter one after another, with pause, continue and
// stop, and writes each row's status.
class BatchControl : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<bool()> previewPlaying;
        std::function<int()> rows;
        std::function<bool(int row)> ticked;
        // Fills the job for a row; false when it cannot be converted now.
        std::function<bool(int row, intputrec& job)> prepare;
        std::function<void(int row, const QString& status)> setStatus;
        // Why the row's run failed; empty when it starts again. Optional.
        std::function<void(int row, const QString& reason)> setFailure;
        // Readies what every row needs before the first starts; false (having said why) keeps
        // the batch from starting. Optional.
        std::function<bool()> prepareBatch;
        std::function<void()> refreshCommands;
        std::function<void(int textId)> refuse;
        std::function<void(const QString& text)> inform;
        // A batch begins with these rows, in the order they will convert.
        std::function<void(const QList<int>& rows)> batchStarted;
        // The last ticked row has finished.
        std::function<void()> batchFinished;
    };

    BatchControl(ConvertRunner& runner, intputrec& job, Hooks hooks, QObject* parent = nullptr);

    void bt_startClick();
    void bt_pauseClick();
    void Bt_ConvertstopClick();

    bool converting() const { return converting_; }
    int currentItem() const { return current_; }
    // The preview and the snapshot point it elsewhere while no batch runs.
    void setCurrentItem(int row) { current_ = row; }
    QString pauseCaption() const;
    bool paused() const { return converting_ && runner_.active() && !runner_.running(); }
    // What the current or last run said, progress reports aside.
    const RunWords& words() const { return words_; }

signals:
    void pauseCaptionChanged(const QString& caption);

private:
    void launch(int row);
    void onEnded(const RunEnd& end);
    int nextTicked(int from) const;

    ConvertRunner& runner_;
    intputrec& job_;
    Hooks hooks_;
    bool converting_ = false;
    int current_ = -1;
    bool startFailureShown_ = false;
    RunWords words_; // the reason shown when the run failed
};

} // namespace vc
