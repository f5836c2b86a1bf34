#include "convert/ConversionQueue.h"

#include "common/Clock.h"
#include "common/FileNames.h"

#include <sys/stat.h>

namespace vc {

namespace {

// A link may point anywhere and an empty file holds no conversion: neither counts as done.
bool holdsAFile(const QString& path) {
    struct stat st {};
    return ::lstat(nameBytes(path).constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
}

} // namespace

ConversionJob makeConversionJob(const ConversionInputs& inputs) {
    ConversionJob job;
    job.inputs = inputs;
    job.lengthSeconds =
        static_cast<double>(std::max<std::int64_t>(0, clockToSeconds(inputs.source.duration)));
    return job;
}

intputrec toolRecord(const ConversionJob& job, const QString& toolPath, const QString& workdir,
                     const ClaimName& claim) {
    intputrec record;
    record.toolpath = toolPath;
    record.workdir = workdir;
    fillJob(record, job.inputs, claim);
    return record;
}

struct ConversionQueue::Slot {
    ConvertRunner runner;
    int job = -1; // the job its runner's run belongs to
};

ConversionQueue::ConversionQueue(QString toolPath, QString workdir, QObject* parent)
    : QObject(parent), toolPath_(std::move(toolPath)), workdir_(std::move(workdir)) {}

ConversionQueue::~ConversionQueue() {
    // The runners stop their tools as they go; nothing is told any more.
    for (const auto& slot : slots_)
        slot->runner.disconnect(this);
}

bool ConversionQueue::busy() const {
    for (const auto& slot : slots_)
        if (slot->runner.active())
            return true;
    return false;
}

double ConversionQueue::clockSeconds() const {
    return static_cast<double>(clock_.elapsed()) / 1000.0;
}

void ConversionQueue::setState(int index, JobState state) {
    JobStatus& status = status_[static_cast<std::size_t>(index)];
    status.state = state;
    if (state == JobState::Finished || state == JobState::Failed || state == JobState::Stopped ||
        state == JobState::Skipped)
        progress_.setEnded(index, state == JobState::Finished);
    emit jobChanged(index);
}

bool ConversionQueue::start(std::vector<ConversionJob> jobs, int runsAtOnce) {
    if (active_)
        return false;
    jobs_ = std::move(jobs);
    status_.assign(jobs_.size(), JobStatus());
    records_.assign(jobs_.size(), intputrec());
    std::vector<double> lengths;
    for (const ConversionJob& job : jobs_)
        lengths.push_back(job.lengthSeconds);
    progress_ = BatchProgress(lengths);
    clock_.start();
    next_ = 0;
    paused_ = false;
    active_ = true;
    settledTold_ = false;
    emit runningChanged();

    int waiting = 0;
    for (int i = 0; i < size(); ++i) {
        const ConversionInputs& in = jobs_[static_cast<std::size_t>(i)].inputs;
        // The name without _n: what the first run of this job wrote.
        if (skipExisting_ &&
            holdsAFile(outputFileName(jobFolder(in.outputFolder), in.title, in.profile.extension,
                                      [](const QString&) { return NameClaim::Free; })))
            setState(i, JobState::Skipped);
        else
            ++waiting;
    }
    // A run of an earlier batch may still be closing its file; it is no job of this one.
    for (const auto& slot : slots_)
        slot->job = -1;
    runsAtOnce_ = std::max(1, std::min(runsAtOnce, waiting));
    while (static_cast<int>(slots_.size()) < runsAtOnce_) {
        auto slot = std::make_unique<Slot>();
        Slot* const s = slot.get();
        connect(
            &s->runner, &ConvertRunner::progressed, this,
            [this, s](std::int64_t value, const QString& line) { onProgress(*s, value, line); });
        connect(&s->runner, &ConvertRunner::lineDelivered, this,
                [this, s](const QByteArray&, const QByteArray& fresh) {
                    if (s->job >= 0)
                        status_[static_cast<std::size_t>(s->job)].words.take(std::string_view(
                            fresh.constData(), static_cast<std::size_t>(fresh.size())));
                });
        connect(&s->runner, &ConvertRunner::ended, this,
                [this, s](const RunEnd& end) { onEnded(*s, end); });
        slots_.push_back(std::move(slot));
    }
    fillSlots();
    endIfDone();
    return true;
}

void ConversionQueue::fillSlots() {
    for (int i = 0; i < runsAtOnce_ && active_ && !paused_; ++i) {
        Slot& slot = *slots_[static_cast<std::size_t>(i)];
        if (slot.job < 0 || status_[static_cast<std::size_t>(slot.job)].ended())
            launchNext(slot);
    }
}

void ConversionQueue::launchNext(Slot& slot) {
    while (next_ < jobs_.size() && status_[next_].state != JobState::Waiting)
        ++next_;
    if (next_ >= jobs_.size())
        return;
    const int index = static_cast<int>(next_++);
    auto& record = records_[static_cast<std::size_t>(index)];
    JobStatus& status = status_[static_cast<std::size_t>(index)];
    // Picked now, as the run starts: other runs may have taken names since the batch began.
    // The tool still takes the next free one if this goes meanwhile.
    record = toolRecord(jobs_[static_cast<std::size_t>(index)], toolPath_, workdir_, lookOnDisk);
    status = JobStatus();
    status.intended = record.outfile;
    slot.job = index;
    emit jobStarted(index);
    setState(index, JobState::Converting);
    slot.runner.setIdlePriority(priority_ == Priority::Idle ||
                                (priority_ == Priority::IdleWhenSeveral && runsAtOnce_ > 1));
    slot.runner.Launch(record);
}

void ConversionQueue::onProgress(Slot& slot, std::int64_t value, const QString& line) {
    if (slot.job < 0 || status_[static_cast<std::size_t>(slot.job)].ended())
        return;
    JobStatus& status = status_[static_cast<std::size_t>(slot.job)];
    if (value >= 0) {
        status.progress = value;
        progress_.setPercent(slot.job, static_cast<double>(value) / 100.0);
        emit jobChanged(slot.job);
    }
    if (!line.isEmpty())
        emit progressLine(slot.job, line);
}

void ConversionQueue::onEnded(Slot& slot, const RunEnd& end) {
    const int index = slot.job;
    // A stopped run names what it kept, which plays.
    if (index >= 0 && status_[static_cast<std::size_t>(index)].state == JobState::Stopped &&
        !end.output.isEmpty() && pathFileSize(end.output) > 0)
        status_[static_cast<std::size_t>(index)].output = end.output;
    if (index >= 0 && !status_[static_cast<std::size_t>(index)].ended()) {
        JobStatus& status = status_[static_cast<std::size_t>(index)];
        const intputrec& record = records_[static_cast<std::size_t>(index)];
        const bool failed = runFailed(end, record);
        if (!failed)
            status.output = end.output.isEmpty() ? record.outfile : end.output;
        else
            status.reason = failureReason(end, status.words);
        setState(index, failed ? JobState::Failed : JobState::Finished);
        if (active_ && !paused_)
            launchNext(slot);
        endIfDone();
    }
    tellIfSettled();
}

void ConversionQueue::endIfDone() {
    if (!active_)
        return;
    for (const JobStatus& status : status_)
        if (!status.ended())
            return;
    active_ = false;
    emit runningChanged();
    emit finished();
    tellIfSettled();
}

void ConversionQueue::tellIfSettled() {
    if (active_ || settledTold_ || busy())
        return;
    settledTold_ = true;
    emit settled();
}

void ConversionQueue::pause() {
    if (!active_ || paused_)
        return;
    paused_ = true;
    progress_.setPaused(true, clockSeconds());
    for (int i = 0; i < size(); ++i)
        if (status_[static_cast<std::size_t>(i)].state == JobState::Converting)
            setState(i, JobState::Paused);
    for (const auto& slot : slots_)
        if (slot->job >= 0 &&
            status_[static_cast<std::size_t>(slot->job)].state == JobState::Paused)
            slot->runner.Suspend();
    emit runningChanged();
}

void ConversionQueue::resume() {
    if (!active_ || !paused_)
        return;
    paused_ = false;
    progress_.setPaused(false, clockSeconds());
    for (const auto& slot : slots_)
        if (slot->job >= 0 &&
            status_[static_cast<std::size_t>(slot->job)].state == JobState::Paused)
            slot->runner.Resume();
    for (int i = 0; i < size(); ++i)
        if (status_[static_cast<std::size_t>(i)].state == JobState::Paused)
            setState(i, JobState::Converting);
    emit runningChanged();
    // A run that ended while paused left its slot free.
    fillSlots();
    endIfDone();
}

void ConversionQueue::stop() {
    if (!active_)
        return;
    // Every run is asked before anything is told, so no slot can start another job; the jobs
    // are told in list order.
    active_ = false;
    paused_ = false;
    for (const auto& slot : slots_)
        if (slot->job >= 0 && !status_[static_cast<std::size_t>(slot->job)].ended())
            slot->runner.Kill();
    for (int i = 0; i < size(); ++i) {
        const JobState state = status_[static_cast<std::size_t>(i)].state;
        if (state == JobState::Converting || state == JobState::Paused)
            setState(i, JobState::Stopped);
    }
    emit runningChanged();
    tellIfSettled();
}

void ConversionQueue::stopNow() {
    stop();
    for (const auto& slot : slots_)
        slot->runner.KillNow();
}

QString ConversionQueue::progressText() const {
    return progress_.text(clockSeconds());
}

QString ConversionQueue::barText() const {
    return progress_.barText(clockSeconds());
}

std::int64_t ConversionQueue::barValue() const {
    return progress_.barValue();
}

} // namespace vc
