#pragma once

#include "convert/BatchProgress.h"
#include "convert/ConversionLine.h"
#include "convert/JobState.h"

#include <QElapsedTimer>
#include <QObject>
#include <memory>
#include <vector>

namespace vc {

// One file to convert, as it was chosen when the batch began.
struct ConversionJob {
    ConversionInputs inputs;
    double lengthSeconds = 0; // of the part converted; 0 when unknown
};

ConversionJob makeConversionJob(const ConversionInputs& inputs);

// The tool's record of a job: the option texts, and the output name free at this moment.
intputrec toolRecord(const ConversionJob& job, const QString& toolPath, const QString& workdir,
                     const ClaimName& claim);

// Converts a batch of jobs, several at once, in list order: each free runner takes the next
// waiting job. The window and batch mode only show what it tells them.
class ConversionQueue : public QObject {
    Q_OBJECT
public:
    ConversionQueue(QString toolPath, QString workdir, QObject* parent = nullptr);
    ~ConversionQueue() override;

    void setToolPath(const QString& path) { toolPath_ = path; }
    // Idle keeps the desktop responsive. Several runs at once take every processor, so they
    // yield to everything else; one alone may go at normal priority for a user who waits on
    // it. Normal is for tests that must finish on a loaded machine.
    enum class Priority { Idle, IdleWhenSeveral, Normal };
    void setPriority(Priority priority) { priority_ = priority; }
    // A job whose output name without "_n" already holds a file is skipped, not converted.
    void setSkipExisting(bool skip) { skipExisting_ = skip; }

    // Starts a batch with up to `runsAtOnce` conversions at a time. False while one runs.
    bool start(std::vector<ConversionJob> jobs, int runsAtOnce);
    void pause();
    void resume();
    // Asks every running tool to stop, so that what it wrote plays; the waiting jobs stay
    // unconverted. The tools are followed until they end (see settled()).
    void stop();
    // Kills every running tool at once.
    void stopNow();

    // A batch is under way: neither every job has ended nor was it stopped.
    bool active() const { return active_; }
    bool paused() const { return active_ && paused_; }
    // Some tool still runs, a stopped one closing its file included.
    bool busy() const;

    // How many run at once in this batch.
    int runsAtOnce() const { return runsAtOnce_; }
    int size() const { return static_cast<int>(jobs_.size()); }
    const ConversionJob& job(int index) const { return jobs_[static_cast<std::size_t>(index)]; }
    const JobStatus& status(int index) const { return status_[static_cast<std::size_t>(index)]; }
    // The tool's record of a job that has started.
    const intputrec& record(int index) const { return records_[static_cast<std::size_t>(index)]; }
    const std::vector<JobStatus>& statuses() const { return status_; }

    // The whole batch: files weigh by their length, paused time does not count.
    QString progressText() const; // "Done 3 of 12, 41.2%, about 00:01:05 left"
    QString barText() const;      // "41.2% · about 00:01:05 left"
    std::int64_t barValue() const;

signals:
    // A job's tool record is made and its tool about to start.
    void jobStarted(int index);
    void jobChanged(int index);
    // The tool's latest progress report.
    void progressLine(int index, const QString& line);
    // Started, paused, continued, stopped or ended.
    void runningChanged();
    // Every job has ended without a stop.
    void finished();
    // The batch is over and no tool of it runs any more.
    void settled();

private:
    struct Slot;
    void launchNext(Slot& slot);
    void onProgress(Slot& slot, std::int64_t value, const QString& line);
    void onEnded(Slot& slot, const RunEnd& end);
    void fillSlots();
    void endIfDone();
    void tellIfSettled();
    double clockSeconds() const;
    void setState(int index, JobState state);

    QString toolPath_;
    QString workdir_;
    Priority priority_ = Priority::Idle;
    bool skipExisting_ = false;
    std::vector<ConversionJob> jobs_;
    std::vector<JobStatus> status_;
    std::vector<intputrec> records_;
    std::vector<std::unique_ptr<Slot>> slots_;
    int runsAtOnce_ = 1;
    std::size_t next_ = 0;
    bool active_ = false;
    bool paused_ = false;
    bool settledTold_ = true;
    BatchProgress progress_{std::vector<double>{}};
    QElapsedTimer clock_;
};

} // namespace vc
