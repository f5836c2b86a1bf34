#include "Convert.h"

#include "Child.h"
#include "StatusLine.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vc::tool {

namespace {

constexpr int ProgressFd = 3;

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
    writer.finish();
    return child.wait();
}

} // namespace vc::tool
