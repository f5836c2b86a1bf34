#include "media/MediaProbe.h"

#include "common/Quote.h"
#include "convert/ConvertRunner.h"

#include <QEventLoop>
#include <csignal>
#include <utility>

namespace vc {

TtimeClientWaitThread::TtimeClientWaitThread(const QString& toolPath, const QString& workDir,
                                             std::chrono::milliseconds limit) {
    process_.setProgram(toolPath);
    process_.setWorkingDirectory(workDir);
    process_.setProcessChannelMode(QProcess::MergedChannels);
    limit_.setSingleShot(true);
    limit_.setInterval(limit);
    connect(&limit_, &QTimer::timeout, this, &TtimeClientWaitThread::onLimit);
    connect(&process_, &QProcess::finished, this, [this] {
        limit_.stop();
        // Nothing the tool started may outlive the probe; only the group is signalled, as
        // the tool's own pid may already be reused.
        if (pid_ > 0)
            ::kill(-static_cast<pid_t>(pid_), SIGKILL);
        if (!std::exchange(reported_, true))
            emit ended(true);
    });
    connect(&process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        // Every other error is followed by finished().
        if (error == QProcess::FailedToStart && !std::exchange(reported_, true))
            emit ended(false);
    });
}

TtimeClientWaitThread::~TtimeClientWaitThread() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.disconnect(this);
    signalProcessGroup(process_.processId(), SIGKILL);
    process_.waitForFinished(3000);
}

void TtimeClientWaitThread::start(const QStringList& arguments) {
    // Its own group, so ending it also ends whatever it started. Normal priority: the user
    // waits for every probe, and an idle-priority tool would starve behind any busy process.
    startChild(process_, process_.program(), arguments, ChildPriority::Normal);
    if (process_.state() != QProcess::NotRunning) {
        pid_ = process_.processId();
        limit_.start();
    }
}

void TtimeClientWaitThread::onLimit() {
    timedOut_ = true;
    signalProcessGroup(process_.processId(), SIGKILL);
}

void TtimeClientWaitThread::abort() {
    if (process_.state() == QProcess::NotRunning)
        return;
    aborted_ = true;
    signalProcessGroup(process_.processId(), SIGKILL);
}

MediaProbe::MediaProbe(QString toolPath, QString workDir, QObject* parent)
    : QObject(parent), toolPath_(std::move(toolPath)), workDir_(std::move(workDir)) {
    // Lets a test of the built program see the limit act without waiting a minute per file.
    bool ok = false;
    const int limit = qEnvironmentVariableIntValue("VIDEOCONVERTER_PROBE_LIMIT_MS", &ok);
    if (ok && limit > 0)
        timeLimit_ = std::chrono::milliseconds(limit);
}

MediaProbe::~MediaProbe() = default;

bool MediaProbe::start(const QString& path) {
    if (busy_)
        return false;
    reader_.clear();
    busy_ = true;
    ++serial_;
    end_ = ProbeEnd::Running;
    commandLine_ = Q(toolPath_) + QStringLiteral(" -i ") + Q(path);

    waiter_ = std::make_unique<TtimeClientWaitThread>(toolPath_, workDir_, timeLimit_);
    connect(&waiter_->process(), &QProcess::readyReadStandardOutput, this, &MediaProbe::readChunks);
    connect(waiter_.get(), &TtimeClientWaitThread::ended, this, &MediaProbe::onEnded);
    waiter_->start({QStringLiteral("-i"), path});
    return true;
}

void MediaProbe::readChunks() {
    QProcess& process = waiter_->process();
    char chunk[TtimeProcessor::ChunkSize];
    for (;;) {
        const qint64 size = process.read(chunk, sizeof chunk);
        if (size <= 0)
            break;
        reader_.feed(std::string_view(chunk, static_cast<std::size_t>(size)));
    }
}

void MediaProbe::onEnded(bool started) {
    if (started) {
        // The process has ended; what it wrote last is still buffered and must be parsed
        // before the values count as final.
        readChunks();
        end_ = waiter_->aborted()    ? ProbeEnd::Aborted
               : waiter_->timedOut() ? ProbeEnd::TimedOut
                                     : ProbeEnd::Ended;
    } else {
        end_ = ProbeEnd::NotStarted;
    }
    waiter_->process().disconnect(this);
    waiter_->disconnect(this);
    busy_ = false;
    emit finished();
}

void MediaProbe::abort() {
    if (!busy_ || !waiter_)
        return;
    waiter_->abort();
    // The end is reported from here, so a caller may rely on it without an event loop.
    waiter_->process().waitForFinished(3000);
}

bool probeAndWait(MediaProbe& probe, const QString& path) {
    QEventLoop loop;
    QObject::connect(&probe, &MediaProbe::finished, &loop, &QEventLoop::quit);
    if (!probe.start(path))
        return false;
    const quint64 mine = probe.serial();
    if (probe.busy())
        loop.exec();
    // Still busy: the loop was ended from outside, as the program quits, and a probe left
    // running would outlive it.
    if (probe.busy())
        probe.abort();
    return probe.serial() == mine && !probe.busy() && probe.end() == ProbeEnd::Ended;
}

} // namespace vc
