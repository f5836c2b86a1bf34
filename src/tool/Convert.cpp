#include "Convert.h"

#include "AudioFit.h"
#include "Child.h"
#include "DiscArguments.h"
#include "DiscIndex.h"
#include "FfmpegLog.h"
#include "OutputFile.h"
#include "SourceFit.h"
#include "StatusLine.h"
#include "Verdict.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace vc::tool {

void sayLast(const std::string& sentence) {
    const std::string line = sentence + "\r\n";
    writeAll(STDOUT_FILENO, line.data(), line.size());
}

namespace {

constexpr int ProgressFd = 3;
constexpr char EncoderRefused[] = "Error while opening encoder";

// The file this run writes into, when it writes one.
const OutputFile* writing = nullptr;

// One ffmpeg run, its warnings and errors passed on as they come and kept for a diagnosis,
// its informational lines kept for the tool.
struct Run {
    bool started = false;
    int status = 1;
    bool progressed = false;
    std::optional<Status> last; // ffmpeg's last progress report
    bool stopped = false;       // by us, once the source was seen to need other arguments
    std::string errors;
    std::string info;
};

// Writes ffmpeg's input to the descriptor it is given, which it closes.
using Feed = std::function<void(int fd, const std::atomic<bool>& stop)>;
// Sees the source's facts as soon as ffmpeg has described its input; true stops the run.
using Look = std::function<bool(const SourceFacts& facts)>;

std::string inputName(const Args& args) {
    const auto i = std::find(args.begin(), args.end(), "-i");
    return i != args.end() && i + 1 != args.end() ? *(i + 1) : std::string();
}

Run runFfmpeg(const ConvertCall& call, const Args& asked, StatusWriter& writer,
              const Feed& feed = {}, const Look& look = {}) {
    Run run;
    Args ffmpegArgs = writing ? writing->redirect(call, asked) : asked;
    const LogLevel level = routeLogLevel(ffmpegArgs);
    int progress[2];
    int errors[2];
    if (pipe2(progress, O_CLOEXEC) != 0) {
        complain(std::string("cannot make a pipe: ") + std::strerror(errno));
        return run;
    }
    if (pipe2(errors, O_CLOEXEC) != 0) {
        complain(std::string("cannot make a pipe: ") + std::strerror(errno));
        close(progress[0]);
        close(progress[1]);
        return run;
    }
    int input[2] = {-1, -1};
    if (feed && pipe2(input, O_CLOEXEC) != 0) {
        complain(std::string("cannot make a pipe: ") + std::strerror(errno));
        for (const int fd : {progress[0], progress[1], errors[0], errors[1]})
            close(fd);
        return run;
    }
    std::vector<std::pair<int, int>> childFds{{ProgressFd, progress[1]},
                                              {STDERR_FILENO, errors[1]}};
    if (feed)
        childFds.push_back({STDIN_FILENO, input[0]});
    if (writing)
        childFds.push_back({OutputFd, writing->fd()});
    Child child;
    run.started = startFfmpeg(child, ffmpegArgs, childFds);
    close(progress[1]);
    close(errors[1]);
    if (feed)
        close(input[0]);
    if (!run.started) {
        close(progress[0]);
        close(errors[0]);
        if (feed)
            close(input[1]);
        run.status = 127;
        return run;
    }
    std::atomic<bool> stopFeed{false};
    std::thread feeder;
    if (feed) {
        feeder = std::thread([&feed, &stopFeed, fd = input[1]] {
            // A reader that has all it wants closes the pipe: the write fails, nothing dies.
            sigset_t pipeSignal;
            sigemptyset(&pipeSignal);
            sigaddset(&pipeSignal, SIGPIPE);
            pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
            feed(fd, stopFeed);
            close(fd);
        });
    }
    ProgressReader reader(writer);
    LogRouter log(level, inputName(ffmpegArgs));
    log.output = writing;
    log.onDump = [&](const SourceFacts& facts) {
        if (look && look(facts)) {
            child.kill();
            run.stopped = true;
        }
    };
    pollfd fds[2] = {{progress[0], POLLIN, 0}, {errors[0], POLLIN, 0}};
    char buffer[4096];
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (pollfd& fd : fds) {
            if (fd.fd < 0 || fd.revents == 0)
                continue;
            const ssize_t n = read(fd.fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                close(fd.fd);
                fd.fd = -1;
                continue;
            }
            const std::string_view data(buffer, static_cast<std::size_t>(n));
            if (&fd == &fds[0]) {
                reader.feed(data);
            } else {
                log.feed(data);
            }
        }
    }
    for (const pollfd& fd : fds) {
        if (fd.fd >= 0)
            close(fd.fd);
    }
    log.finish();
    run.errors = log.shown();
    run.info = log.info();
    run.status = child.wait();
    if (feeder.joinable()) {
        stopFeed = true;
        feeder.join();
    }
    if (run.stopped)
        return run;
    run.progressed = reader.last().has_value();
    run.last = reader.last();
    return run;
}

bool failedAtStart(const Run& run) {
    return run.started && run.status != 0 && !run.progressed && !stopRequested();
}

// ffmpeg's words when an encoder or the muxer refused its settings; any other failure
// (a missing input, an existing output) is no matter of settings.
bool settingsRefused(const Run& run) {
    return run.errors.find(EncoderRefused) != std::string::npos ||
           run.errors.find("Could not write header") != std::string::npos;
}

// The end of a run: ffmpeg ending well is not enough, the output must hold what was asked.
// A good run's progress ends at the length converted, a cut's at the length it asked for;
// a failed one ends on its reason, never on a status line.
int concluded(const ConvertCall& call, const Run& run, StatusWriter& writer) {
    if (stopRequested()) {
        writer.finish();
        return run.status;
    }
    std::optional<std::string> reason;
    if (run.status == 0) {
        reason = outputUnfinished(run.errors) ? failureReason(call, run.errors)
                                              : missingFromOutput(call, run.last);
        if (!reason && run.last) {
            Status status = *run.last;
            status.seconds = askedLength(call).value_or(writtenSeconds(call, status));
            if (status.seconds > run.last->seconds)
                writer.write(status);
        }
    } else if (run.started) {
        reason = failureReason(call, run.errors);
    }
    writer.finish();
    if (reason)
        sayLast(*reason);
    return reason && run.status == 0 ? 1 : run.status;
}

int runDvdConvert(const ConvertCall& call, const DvdAddress& address) {
    std::string error;
    const std::unique_ptr<DvdDisc> disc = DvdDisc::open(address.path, error);
    const DvdTitle* title = disc ? disc->title(address.title) : nullptr;
    if (!title) {
        sayLast(disc ? "The disc has no title " + std::to_string(address.title) + "." : error);
        return 1;
    }
    // Only the part from the VOBU before the start is read; ffmpeg skips the rest of the way.
    const DvdDisc::Position from = disc->seek(*title, callStart(call));
    StatusWriter writer(STDOUT_FILENO);
    const Run run = runFfmpeg(call, dvdFfmpegArgs(call, *title, from.seconds, ProgressFd), writer,
                              [&](int fd, const std::atomic<bool>& stop) {
                                  if (!disc->feed(*title, from, fd, stop))
                                      complain("the disc could not be read");
                              });
    return concluded(call, run, writer);
}

// The run starts as for an ordinary source; ffmpeg's description of the input shows within
// a moment whether this one needs other arguments, and the run starts again with them.
Run runFitted(const ConvertCall& call, SourceFacts& facts, StatusWriter& writer) {
    const Args ordinary = fittedConvertArgs(call, facts, ProgressFd);
    Run run = runFfmpeg(call, ordinary, writer, {}, [&](const SourceFacts& seen) {
        facts = seen;
        return !stopRequested() &&
               (unmetChoice(call, seen) || fittedConvertArgs(call, seen, ProgressFd) != ordinary);
    });
    if (!run.stopped || stopRequested())
        return run;
    if (const std::optional<std::string> unmet = unmetChoice(call, facts)) {
        writer.finish();
        sayLast(*unmet);
        return run;
    }
    return runFfmpeg(call, fittedConvertArgs(call, facts, ProgressFd), writer);
}

} // namespace

int runConvert(const ConvertCall& call) {
    if (call.input) {
        if (const std::optional<DvdAddress> address = dvdAddress(call.args[*call.input]))
            return runDvdConvert(call, *address);
    }
    StatusWriter writer(STDOUT_FILENO);
    SourceFacts facts;
    Run run = runFitted(call, facts, writer);
    if (run.stopped)
        return 1;
    if (!failedAtStart(run) || !settingsRefused(run))
        return concluded(call, run, writer);

    // An encoder or muxer that refused the sound: try once more with the nearest setting
    // they take. Asked only now, so a run that goes well never pays for the libraries.
    const AudioFit audio = fitAudio(call);
    if (audio.verdict == AudioFit::Verdict::Refitted && !stopRequested()) {
        const ConvertCall& again = *audio.call;
        run = runFfmpeg(again, fittedConvertArgs(again, facts, ProgressFd), writer);
        if (!failedAtStart(run))
            return concluded(again, run, writer);
    }
    writer.finish();

    std::optional<std::string> advice = audioAdvice(audio.verdict);
    const bool soundIsFine = audio.verdict == AudioFit::Verdict::NoSound ||
                             audio.verdict == AudioFit::Verdict::Fits ||
                             audio.verdict == AudioFit::Verdict::Refitted;
    if (soundIsFine && !hasOption(call, {"-vn"}) &&
        run.errors.find(EncoderRefused) != std::string::npos)
        advice = "The frame size or video quality does not suit this format: choose another "
                 "Frame Size or Video Quality.";
    if (advice)
        sayLast(*advice);
    else
        sayLast(failureReason(call, run.errors));
    return run.status;
}

int runWritten(const ConvertCall& call) {
    if (!call.output)
        return runConvert(call);
    const std::string& path = call.args[*call.output];
    OutputFile output;
    if (!output.open(path)) {
        sayLast(unwrittenReason(path, errno));
        return 1;
    }
    writing = &output;
    const int status =
        extensionOf(path) == "amr" ? runAmr(withSoundChoice(call), output.fd()) : runConvert(call);
    writing = nullptr;
    // A stopped run keeps what it wrote, ffmpeg having closed the file properly.
    if (status != 0 && !(stopRequested() && output.size() > 0))
        return status;
    if (const std::optional<std::string> name = output.keep()) {
        // A name may hold any byte but the slash; the line must stay one line.
        std::string line = OutputLine;
        for (const char c : *name) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x20 || byte == 0x7f || c == '\\') {
                char escaped[5];
                std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
                line += escaped;
            } else {
                line += c;
            }
        }
        line += "\r\n";
        writeAll(STDOUT_FILENO, line.data(), line.size());
        return status;
    }
    sayLast(unwrittenReason(path, errno));
    return status == 0 ? 1 : status;
}

} // namespace vc::tool
