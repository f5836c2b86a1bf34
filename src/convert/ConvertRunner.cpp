#include "convert/ConvertRunner.h"

#include "common/FileNames.h"
#include "convert/Progress.h"

#include <QDir>
#include <QTimer>
#include <csignal>
#include <memory>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace vc {

namespace {

// What ffmpeg takes to close its file after a stop, with room for a slow disk.
constexpr int StopGraceMs = 5000;
constexpr char OutputLine[] = "Output file: ";

// Runs between fork and exec: only async-signal-safe calls. A child in a group of its own
// gets no hangup from the terminal and no kill of ours, so it is tied to our life instead;
// a parent already gone before the tie is seen through getppid.
void ownGroupDyingWithUs(pid_t parent) {
    setpgid(0, 0);
    if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != parent)
        _exit(127);
}

// The argument and environment vectors, made before the fork: the child may not allocate.
class ExactCommand {
public:
    ExactCommand(const QString& program, const QStringList& arguments,
                 const QProcessEnvironment& environment) {
        bytes_.push_back(nameBytes(program));
        for (const QString& argument : arguments)
            bytes_.push_back(nameBytes(argument));
        const QStringList variables = environment.toStringList();
        for (const QString& variable : variables)
            bytes_.push_back(nameBytes(variable));
        for (QByteArray& b : bytes_)
            pointers_.push_back(b.data());
        const auto argc = static_cast<std::ptrdiff_t>(arguments.size() + 1);
        argv_.assign(pointers_.begin(), pointers_.begin() + argc);
        argv_.push_back(nullptr);
        if (!variables.isEmpty()) {
            envp_.assign(pointers_.begin() + argc, pointers_.end());
            envp_.push_back(nullptr);
        }
    }

    void exec() const { execve(argv_[0], argv_.data(), envp_.empty() ? environ : envp_.data()); }

private:
    std::vector<QByteArray> bytes_;
    std::vector<char*> pointers_;
    std::vector<char*> argv_;
    std::vector<char*> envp_;
};

} // namespace

void startChild(QProcess& process, const QString& program, const QStringList& arguments,
                ChildPriority priority) {
    // Qt passes arguments as UTF-8 and would change a name's bytes that are not; the child
    // runs the exact bytes itself, and Qt's own exec only reports a failure of ours.
    auto exact = std::make_shared<ExactCommand>(program, arguments, process.processEnvironment());
    process.setChildProcessModifier([parent = getpid(), priority, exact] {
        ownGroupDyingWithUs(parent);
        // Nice 19 only: the idle scheduling class also gives way among the encoder's own
        // threads, which costs a tenth of the speed on an otherwise quiet machine.
        if (priority == ChildPriority::Idle)
            setpriority(PRIO_PROCESS, 0, 19);
        exact->exec();
    });
    process.start(program, arguments);
}

void signalProcessGroup(qint64 pid, int signal) {
    if (pid <= 0)
        return;
    const auto id = static_cast<pid_t>(pid);
    // The child may not have made its group yet; then it is the only member.
    if (::kill(-id, signal) != 0)
        ::kill(id, signal);
}

ConvertRunner::ConvertRunner(QObject* parent) : QObject(parent) {}

ConvertRunner::~ConvertRunner() {
    // Never leave a conversion running behind a closed window; what it wrote stays playable.
    if (process_) {
        process_->disconnect(this);
        ::kill(static_cast<pid_t>(pid_), SIGTERM);
        signalGroup(SIGCONT);
        if (!process_->waitForFinished(StopGraceMs)) {
            signalGroup(SIGKILL);
            process_->waitForFinished(3000);
        }
    }
}

void ConvertRunner::Launch(const intputrec& job) {
    job_ = job;
    running_ = true;

    if (process_) {
        // A new launch replaces the tracked run. One still closing its file after a stop is
        // let finish, so that what it wrote keeps its name, and killed if it does not.
        process_->disconnect(this);
        if (process_->state() == QProcess::NotRunning) {
            process_->deleteLater();
        } else {
            connect(process_, &QProcess::finished, process_, &QObject::deleteLater);
            QTimer::singleShot(StopGraceMs, process_,
                               [pid = pid_] { signalProcessGroup(pid, SIGKILL); });
        }
    }
    process_ = new QProcess(this);
    ++launches_;
    pid_ = 0;
    progress_ = 0;
    written_.clear();
    collector_ = OutputCollector();
    assembler_ =
        std::make_unique<LineAssembler>([this](std::string_view line) { handleLine(line); });

    process_->setProcessChannelMode(QProcess::MergedChannels);
    process_->setWorkingDirectory(job_.workdir);
    connect(process_, &QProcess::readyReadStandardOutput, this, &ConvertRunner::onReadyRead);
    connect(process_, &QProcess::finished, this, &ConvertRunner::onFinished);
    connect(process_, &QProcess::errorOccurred, this, &ConvertRunner::onError);
    startChild(*process_, job_.toolpath, toolArguments(job_),
               idlePriority_ ? ChildPriority::Idle : ChildPriority::Normal);
    if (process_ && process_->state() != QProcess::NotRunning)
        pid_ = process_->processId();
}

void ConvertRunner::signalGroup(int signal) {
    signalProcessGroup(pid_, signal);
}

void ConvertRunner::Suspend() {
    if (!process_)
        return;
    signalGroup(SIGSTOP);
    running_ = false;
}

void ConvertRunner::Resume() {
    if (!process_)
        return;
    signalGroup(SIGCONT);
    running_ = true;
}

void ConvertRunner::Kill() {
    if (!process_ || pid_ <= 0)
        return;
    // The tool alone: it passes the stop on to ffmpeg, which closes its file properly, and
    // then gives the file its name. A paused run must be woken to act on it.
    ::kill(static_cast<pid_t>(pid_), SIGTERM);
    signalGroup(SIGCONT);
    QTimer::singleShot(StopGraceMs, this, [this, launch = launches_] {
        if (launch == launches_)
            KillNow();
    });
}

void ConvertRunner::KillNow() {
    if (!process_)
        return;
    signalGroup(SIGKILL);
    // A stopped group must be woken to act on the kill promptly on every kernel.
    signalGroup(SIGCONT);
}

void ConvertRunner::onReadyRead() {
    if (!process_)
        return;
    const QByteArray data = process_->readAllStandardOutput();
    collector_.appendAll(std::string_view(data.constData(), static_cast<std::size_t>(data.size())));
    drain();
}

void ConvertRunner::drain() {
    const std::string pending = collector_.take();
    assembler_->feed(pending);
}

void ConvertRunner::handleLine(std::string_view line) {
    if (line.starts_with(OutputLine)) {
        QByteArray name;
        for (std::size_t i = sizeof OutputLine - 1; i < line.size(); ++i) {
            bool hex = false;
            const int byte = i + 3 < line.size() && line[i] == '\\' && line[i + 1] == 'x'
                                 ? QByteArray(line.data() + i + 2, 2).toInt(&hex, 16)
                                 : 0;
            name += hex ? static_cast<char>(byte) : line[i];
            if (hex)
                i += 3;
        }
        written_ = nameFromBytes(name);
        return;
    }
    const std::string_view fresh = assembler_->freshText();
    emit lineDelivered(QByteArray(line.data(), static_cast<qsizetype>(line.size())),
                       QByteArray(fresh.data(), static_cast<qsizetype>(fresh.size())));
    const std::int64_t reported = reportedSeconds(line);
    if (reported == 0)
        return;
    const std::optional<std::int64_t> value = progressValue(reported, job_.seconds);
    if (value)
        progress_ = heldProgress(progress_, *value);
    // A job of unknown length has no percentage to show.
    emit progressed(value ? progress_ : -1,
                    QString::fromLocal8Bit(line.data(), static_cast<qsizetype>(line.size())));
}

void ConvertRunner::onFinished(int exitCode, QProcess::ExitStatus status) {
    if (!process_)
        return;
    // A tool that died early may leave its ffmpeg behind in the group, still writing the
    // output; the run is over, so is everything it started. Only the group is signalled: the
    // tool's own pid may already belong to another process.
    if (pid_ > 0)
        ::kill(-static_cast<pid_t>(pid_), SIGKILL);
    onReadyRead();
    assembler_->finish();
    // Progress held short of the end while the run went on; a run that ended well is done.
    if (status == QProcess::NormalExit && exitCode == 0 && job_.seconds > 0) {
        progress_ = 10000;
        emit progressed(progress_, {});
    }
    RunEnd end;
    end.started = true;
    end.crashed = status == QProcess::CrashExit;
    end.exitCode = end.crashed ? -1 : exitCode;
    if (end.crashed)
        end.error = process_->errorString();
    end.output = written_;
    finishRun(end);
}

void ConvertRunner::onError(QProcess::ProcessError error) {
    // Only a failed start ends a run here; every other error is followed by finished().
    if (error != QProcess::FailedToStart || !process_)
        return;
    RunEnd end;
    // The system's reason alone ("No such file or directory") would not say what is missing.
    end.error =
        QDir::toNativeSeparators(job_.toolpath) + QStringLiteral(": ") + process_->errorString();
    finishRun(end);
}

void ConvertRunner::finishRun(const RunEnd& end) {
    QProcess* done = process_;
    process_ = nullptr;
    pid_ = 0;
    running_ = false;
    done->disconnect(this);
    done->deleteLater();
    emit ended(end);
}

} // namespace vc
