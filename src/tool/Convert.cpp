#include "Convert.h"

#include "AudioFit.h"
#include "Child.h"
#include "StatusLine.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace vc::tool {

namespace {

constexpr int ProgressFd = 3;
constexpr char EncoderRefused[] = "Error while opening encoder";

// "00:00:50", "50", "50.5" as seconds.
std::optional<double> lengthOption(const std::string& text) {
    double seconds = 0;
    std::size_t from = 0;
    for (int part = 0; part < 3 && from <= text.size(); ++part) {
        const std::size_t colon = text.find(':', from);
        const std::string piece = text.substr(from, colon - from);
        char* end = nullptr;
        const double value = std::strtod(piece.c_str(), &end);
        if (piece.empty() || end != piece.c_str() + piece.size())
            return std::nullopt;
        seconds = seconds * 60 + value;
        if (colon == std::string::npos)
            return seconds;
        from = colon + 1;
    }
    return std::nullopt;
}

// ffmpeg's last time is where its last packet starts, short of the length it was asked for,
// and the caller asks for a whole item as its whole seconds plus one, so that no fraction is
// cut. A run that ended well has converted all it was asked for: it says so, and the progress
// counted against that length reaches 100%.
void reportWholeLength(StatusWriter& writer, const ProgressReader& reader,
                       const ConvertCall& call) {
    const std::optional<std::string> t = optionValue(call, {"-t"});
    if (!reader.last() || !t)
        return;
    const std::optional<double> asked = lengthOption(*t);
    if (!asked || *asked <= reader.last()->seconds)
        return;
    Status status = *reader.last();
    status.seconds = *asked;
    writer.write(status);
}

// One ffmpeg run, its standard error passed on as it comes and its end kept for a diagnosis.
struct Run {
    bool started = false;
    int status = 1;
    bool progressed = false;
    std::string errors;
};

void keepTail(std::string& kept, std::string_view data) {
    constexpr std::size_t Kept = 65536;
    kept.append(data);
    if (kept.size() > Kept)
        kept.erase(0, kept.size() - Kept);
}

Run runFfmpeg(const ConvertCall& call, StatusWriter& writer) {
    Run run;
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
    Child child;
    run.started = startFfmpeg(child, ffmpegConvertArgs(call, ProgressFd),
                              {{ProgressFd, progress[1]}, {STDERR_FILENO, errors[1]}});
    close(progress[1]);
    close(errors[1]);
    if (!run.started) {
        close(progress[0]);
        close(errors[0]);
        run.status = 127;
        return run;
    }
    ProgressReader reader(writer);
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
                writeAll(STDERR_FILENO, data.data(), data.size());
                keepTail(run.errors, data);
            }
        }
    }
    for (const pollfd& fd : fds) {
        if (fd.fd >= 0)
            close(fd.fd);
    }
    run.status = child.wait();
    run.progressed = reader.last().has_value();
    if (run.status == 0)
        reportWholeLength(writer, reader, call);
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

void sayLast(const std::string& sentence) {
    const std::string line = sentence + "\r\n";
    writeAll(STDOUT_FILENO, line.data(), line.size());
}

} // namespace

int runConvert(const ConvertCall& call) {
    // Our own failed attempt must not stand in the way of the second one.
    const bool outputExisted = call.output && access(call.args[*call.output].c_str(), F_OK) == 0;
    StatusWriter writer(STDOUT_FILENO);
    Run run = runFfmpeg(call, writer);
    if (!failedAtStart(run) || !settingsRefused(run)) {
        writer.finish();
        return run.status;
    }

    // An encoder or muxer that refused the sound: try once more with the nearest setting
    // they take. Asked only now, so a run that goes well never pays for the libraries.
    const AudioFit audio = fitAudio(call);
    if (audio.verdict == AudioFit::Verdict::Refitted && !stopRequested()) {
        ConvertCall again = *audio.call;
        if (!outputExisted && !hasOption(again, {"-y"})) {
            Args args = again.args;
            args.insert(args.begin(), "-y");
            again = parseCall(args);
        }
        run = runFfmpeg(again, writer);
    }
    writer.finish();
    if (!failedAtStart(run))
        return run.status;

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
    return run.status;
}

} // namespace vc::tool
