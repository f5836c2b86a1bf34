#pragma once

#include "media/ProbeOutput.h"

#include <QObject>
#include <QProcess>
#include <QString>
#include <QTimer>
#include <chrono>
#include <memory>

namespace vc {

// How the last probe ended.
enum class ProbeEnd {
    Running,    // no probe yet, or one under way
    Ended,      // the tool ran to its end and all its output was read
    NotStarted, // the tool could not be started; every value is empty
    TimedOut,   // the tool outlived the time limit and was ended with its whole group
    Aborted,    // ended with its whole group on the caller's request
    NotRegular, // the path names a FIFO, socket or device; nothing was started
};

// The process side of a probe: runs the tool in a process group of its own and reports its
// end, ending the group when it outlives the time limit.
class TtimeClientWaitThread : public QObject {
    Q_OBJECT
public:
    TtimeClientWaitThread(const QString& toolPath, const QString& workDir,
                          std::chrono::milliseconds limit);
    ~TtimeClientWaitThread() override;

    void start(const QStringList& arguments);
    QProcess& process() { return process_; }
    bool timedOut() const { return timedOut_; }
    // Ends the tool and everything it started now.
    void abort();
    bool aborted() const { return aborted_; }

signals:
    // The process has ended, or never started (started false).
    void ended(bool started);

private:
    void onLimit();

    QProcess process_;
    qint64 pid_ = 0;
    QTimer limit_;
    bool timedOut_ = false;
    bool aborted_ = false;
    bool reported_ = false;
};

// Describes a media file by running the converter tool with only an input argument. One
// probe runs at a time; the values stay readable until the next one starts.
class MediaProbe : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds DefaultTimeLimit{60000};

    // workDir is the program folder, where the tool is run.
    MediaProbe(QString toolPath, QString workDir, QObject* parent = nullptr);
    ~MediaProbe() override;

    void setTimeLimit(std::chrono::milliseconds limit) { timeLimit_ = limit; }
    // Keeps one tool between probes when the tool can serve many, so its media libraries
    // are loaded once rather than per file; a tool that cannot is run per file as before.
    void setPersistent(bool persistent) { persistent_ = persistent; }
    // Ends the tool kept between probes, if any; the next probe starts another.
    void releaseKeptTool();
    const QString& toolPath() const { return toolPath_; }
    const QString& workDir() const { return workDir_; }

    // Clears the values and starts the tool on path; returns at once. Refused (false) while a
    // probe is busy. A tool that cannot be started, or a path that names no regular file, ends
    // the probe before this returns.
    bool start(const QString& path);

    // Ends a running probe at once, with everything it started; its values do not count.
    void abort();

    bool busy() const { return busy_; }
    ProbeEnd end() const { return end_; }
    // Counts the probes started, so a caller can tell that the values are of its own.
    quint64 serial() const { return serial_; }
    const ProbeResult& result() const { return reader_.result(); }
    const std::string& lastLine() const { return reader_.lastLine(); }
    // The tool's exit status when it ended on its own, -1 otherwise.
    int exitStatus() const { return exitStatus_; }
    // The run as one text, for display.
    const QString& commandLine() const { return commandLine_; }

signals:
    // Once per probe, after the busy flag has dropped.
    void finished();

private:
    void readChunks();
    void onEnded(bool started);
    void startPerFile(const QString& path);
    bool askServer(const QString& path);
    void readServer();
    enum class ServerAnswer { Waiting, Answered, Garbled };
    ServerAnswer parseServer();
    void onServerEnded();
    void killServer();
    void endServer();
    void finishServed(ProbeEnd end);

    QString toolPath_;
    QString workDir_;
    std::chrono::milliseconds timeLimit_ = DefaultTimeLimit;
    QString commandLine_;
    TtimeProcessor reader_;
    std::unique_ptr<TtimeClientWaitThread> waiter_;
    bool busy_ = false;
    ProbeEnd end_ = ProbeEnd::Running;
    int exitStatus_ = -1;
    quint64 serial_ = 0;

    bool persistent_ = false;
    bool serverRefused_ = false; // the tool cannot serve; every probe runs it per file
    std::unique_ptr<QProcess> server_;
    qint64 serverPid_ = 0;
    bool serverReady_ = false;
    QByteArray serverBuffer_;
    QString served_; // the path the server is probing, empty when none
    QTimer serverLimit_;
};

// Runs a probe of path while the event loop keeps running, so the window stays responsive.
// True when the tool ran to its end; false when it could not start, outlived the time limit,
// was aborted, or a probe was already busy or started meanwhile (the values then describe no
// complete run of this file).
bool probeAndWait(MediaProbe& probe, const QString& path);

} // namespace vc
