#include "media/MediaProbe.h"

#include "common/FileNames.h"
#include "common/Quote.h"
#include "convert/ConvertRunner.h"
#include "media/DiscTitles.h"

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
    serverLimit_.setSingleShot(true);
    connect(&serverLimit_, &QTimer::timeout, this, [this] {
        endServer();
        finishServed(ProbeEnd::TimedOut);
    });
}

MediaProbe::~MediaProbe() {
    if (server_)
        killServer();
}

bool MediaProbe::start(const QString& path) {
    if (busy_)
        return false;
    reader_.clear();
    busy_ = true;
    ++serial_;
    end_ = ProbeEnd::Running;
    exitStatus_ = -1;
    commandLine_ = Q(toolPath_) + QStringLiteral(" -i ") + Q(path);
    // Opening a FIFO or a device may wait for ever: the tool never sees one.
    if (!isDiscTitleAddress(path) && isSpecialFilePath(path)) {
        end_ = ProbeEnd::NotRegular;
        busy_ = false;
        emit finished();
        return true;
    }
    if (persistent_ && !serverRefused_ && askServer(path))
        return true;
    startPerFile(path);
    return true;
}

void MediaProbe::startPerFile(const QString& path) {
    waiter_ = std::make_unique<TtimeClientWaitThread>(toolPath_, workDir_, timeLimit_);
    connect(&waiter_->process(), &QProcess::readyReadStandardOutput, this, &MediaProbe::readChunks);
    connect(waiter_.get(), &TtimeClientWaitThread::ended, this, &MediaProbe::onEnded);
    waiter_->start({QStringLiteral("-i"), path});
}

bool MediaProbe::askServer(const QString& path) {
    if (!server_) {
        // Parented, so one left for deleteLater still goes with us.
        server_ = std::make_unique<QProcess>(this);
        server_->setWorkingDirectory(workDir_);
        // Only the framed answers count; what the tool says on its own is not a description.
        server_->setStandardErrorFile(QProcess::nullDevice());
        connect(server_.get(), &QProcess::readyReadStandardOutput, this, &MediaProbe::readServer);
        connect(server_.get(), &QProcess::finished, this, &MediaProbe::onServerEnded);
        // A tool that cannot be started reports no end; it serves no probe either.
        connect(server_.get(), &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
            if (e == QProcess::FailedToStart)
                onServerEnded();
        });
        serverReady_ = false;
        serverBuffer_.clear();
        startChild(*server_, toolPath_, {QStringLiteral("--probe-server")}, ChildPriority::Normal);
        serverPid_ = server_->processId();
        if (server_->state() == QProcess::NotRunning) {
            server_.reset();
            serverRefused_ = true;
            return false;
        }
    }
    served_ = path;
    QByteArray request = nameBytes(path);
    request.append('\0');
    server_->write(request);
    serverLimit_.start(timeLimit_);
    return true;
}

void MediaProbe::readServer() {
    if (!server_)
        return;
    serverBuffer_ += server_->readAllStandardOutput();
    switch (parseServer()) {
    case ServerAnswer::Waiting:
        break;
    case ServerAnswer::Answered:
        finishServed(ProbeEnd::Ended);
        break;
    case ServerAnswer::Garbled:
        onServerEnded();
        break;
    }
}

MediaProbe::ServerAnswer MediaProbe::parseServer() {
    static const QByteArray hello = "probe-server 1\n";
    if (!serverReady_) {
        if (serverBuffer_.size() < hello.size())
            return hello.startsWith(serverBuffer_) ? ServerAnswer::Waiting : ServerAnswer::Garbled;
        if (!serverBuffer_.startsWith(hello))
            return ServerAnswer::Garbled;
        serverReady_ = true;
        serverBuffer_.remove(0, hello.size());
    }
    const qsizetype lineEnd = serverBuffer_.indexOf('\n');
    if (lineEnd < 0 || served_.isEmpty())
        return ServerAnswer::Waiting;
    const QList<QByteArray> head = serverBuffer_.left(lineEnd).split(' ');
    bool ok = head.size() == 3 && head[0] == "probe-result";
    const qsizetype length = ok ? head[2].toLongLong(&ok) : 0;
    if (!ok || length < 0)
        return ServerAnswer::Garbled;
    if (serverBuffer_.size() - lineEnd - 1 < length)
        return ServerAnswer::Waiting;
    exitStatus_ = head[1].toInt(&ok);
    if (!ok)
        exitStatus_ = -1;
    reader_.feed(std::string_view(serverBuffer_.constData() + lineEnd + 1,
                                  static_cast<std::size_t>(length)));
    serverBuffer_.remove(0, lineEnd + 1 + length);
    return ServerAnswer::Answered;
}

void MediaProbe::onServerEnded() {
    if (server_ && server_->state() == QProcess::NotRunning) {
        // The last answer may still be unread when the end is reported.
        serverBuffer_ += server_->readAllStandardOutput();
        if (parseServer() == ServerAnswer::Answered) {
            endServer();
            finishServed(ProbeEnd::Ended);
            return;
        }
    }
    const bool refused = !serverReady_;
    endServer();
    if (served_.isEmpty())
        return;
    if (refused) {
        // A tool that knows no server: this probe and every later one run it per file.
        serverRefused_ = true;
        serverLimit_.stop();
        const QString path = std::exchange(served_, QString());
        startPerFile(path);
        return;
    }
    // Gone in the middle of a probe, as a per-file tool that crashed: what it said counts.
    finishServed(ProbeEnd::Ended);
}

void MediaProbe::releaseKeptTool() {
    if (served_.isEmpty())
        endServer();
}

void MediaProbe::killServer() {
    // Queued signals of the old server must not reach a new one.
    server_->disconnect(this);
    // What it started may outlive a tool that ended on its own; only the group is signalled then,
    // as the tool's own pid may already be reused.
    if (serverPid_ > 0)
        ::kill(-static_cast<pid_t>(std::exchange(serverPid_, 0)), SIGKILL);
    if (server_->state() != QProcess::NotRunning) {
        signalProcessGroup(server_->processId(), SIGKILL);
        server_->waitForFinished(3000);
    }
}

void MediaProbe::endServer() {
    if (!server_)
        return;
    killServer();
    // This may run inside one of its own signals.
    server_.release()->deleteLater();
    serverReady_ = false;
    serverBuffer_.clear();
}

void MediaProbe::finishServed(ProbeEnd end) {
    if (served_.isEmpty())
        return;
    served_.clear();
    serverLimit_.stop();
    end_ = end;
    busy_ = false;
    emit finished();
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
        const QProcess& process = waiter_->process();
        if (process.exitStatus() == QProcess::NormalExit)
            exitStatus_ = process.exitCode();
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
    if (!served_.isEmpty()) {
        endServer();
        finishServed(ProbeEnd::Aborted);
        return;
    }
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
