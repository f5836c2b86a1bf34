#include "Convert.h"

#include "Child.h"
#include "StatusLine.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vc::tool {

namespace {

constexpr int ProgressFd = 3;

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

} // namespace

int runConvert(const ConvertCall& call) {
    int progress[2];
    if (pipe2(progress, O_CLOEXEC) != 0) {
        complain(std::string("cannot make a pipe: ") + std::strerror(errno));
        return 1;
    }
    Child child;
    const bool started =
        startFfmpeg(child, ffmpegConvertArgs(call, ProgressFd), {{ProgressFd, progress[1]}});
    close(progress[1]);
    if (!started) {
        close(progress[0]);
        return 127;
    }
    StatusWriter writer(STDOUT_FILENO);
    ProgressReader reader(writer);
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(progress[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        reader.feed(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
    close(progress[0]);
    const int status = child.wait();
    if (status == 0)
        reportWholeLength(writer, reader, call);
    writer.finish();
    return status;
}

} // namespace vc::tool
