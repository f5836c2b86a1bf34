#pragma once

#include "convert/JobRecord.h"
#include "convert/LineAssembler.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QRect>
#include <memory>

namespace vc {

// How a converter run ended. A run that never started carries the system's reason.
struct RunEnd {
    bool started = false;
    bool crashed = false; // ended by a signal
    int exitCode = -1;
    QString error;
    QString output; // the name the tool kept the output under, when it said so
};

// Starts the converter tool on a job, follows its status lines and reports the end. The
// tool runs in a process group of its own at the lowest priority, so pausing, resuming and
// stopping reach everything it started.
class ConvertRunner : public QObject {
    Q_OBJECT
public:
    explicit ConvertRunner(QObject* parent = nullptr);
    ~ConvertRunner() override;

    // Conversions run at the lowest priority (nice 19) so the desktop stays responsive; tests that
    // must finish on a loaded machine turn that off.
    void setIdlePriority(bool idle) { idlePriority_ = idle; }

    void Launch(const intputrec& job);
    void Suspend();
    void Resume();
    // Asks the tool to stop, so that what it wrote plays; kills it after a few seconds.
    void Kill();
    // Kills the tool and everything it started at once.
    void KillNow();

    // False while paused and once the run has ended.
    bool running() const { return running_; }
    // A run is under way (started, not yet reported as ended).
    bool active() const { return process_ != nullptr; }
    std::int64_t progress() const { return progress_; }
    const intputrec& job() const { return job_; }

signals:
    // fresh: what its writer meant (LineAssembler::freshText), for a failed run's reason.
    void lineDelivered(const QByteArray& line, const QByteArray& fresh);
    // A progress report: hundredths of a percent (-1 for a job of unknown length) and the
    // report itself; a run that ended well reports 10000 with no line.
    void progressed(std::int64_t value, const QString& line);
    // Once per launch, after every output line has been delivered.
    void ended(const vc::RunEnd& end);

private:
    void onReadyRead();
    void onFinished(int exitCode, QProcess::ExitStatus status);
    void onError(QProcess::ProcessError error);
    void drain();
    void handleLine(std::string_view line);
    void finishRun(const RunEnd& end);
    void signalGroup(int signal);

    intputrec job_;
    QProcess* process_ = nullptr;
    quint64 launches_ = 0;
    QString written_;
    qint64 pid_ = 0;
    OutputCollector collector_;
    std::unique_ptr<LineAssembler> assembler_;
    bool running_ = false;
    bool idlePriority_ = true;
    std::int64_t progress_ = 0;
};

// Idle: the lowest CPU priority, for conversions. Normal: for runs the user waits on.
enum class ChildPriority { Idle, Normal };

// Starts the program in a new process group, passing the arguments' exact bytes (see
// FileNames.h). Children started this way die with the program, however it ends.
void startChild(QProcess& process, const QString& program, const QStringList& arguments,
                ChildPriority priority);

// Signals the group a child started by either of the above leads; the child alone when it
// has not made its group yet. Does nothing for pid 0.
void signalProcessGroup(qint64 pid, int signal);

} // namespace vc

Q_DECLARE_METATYPE(vc::RunEnd)
