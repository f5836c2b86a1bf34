#include "Child.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vc::tool {

namespace {

volatile sig_atomic_t runningChild = 0;
volatile sig_atomic_t stopAsked = 0;

// A polite stop asked of us is passed on, so ffmpeg can close its output properly; we
// then end with ffmpeg's status like on any other run.
void forwardSignal(int signal) {
    stopAsked = 1;
    if (runningChild > 0)
        ::kill(static_cast<pid_t>(runningChild), signal);
}

void installForwarding() {
    struct sigaction action {};
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
}

[[noreturn]] void execChild(const std::string& program, const Args& args,
                            const std::vector<std::pair<int, int>>& fds, pid_t parent,
                            int errorFd) {
    if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != parent)
        _exit(127);
    // Two steps, so that a source descriptor is never overwritten by an earlier target.
    std::vector<std::pair<int, int>> moved;
    for (const auto& [target, source] : fds)
        moved.emplace_back(target, fcntl(source, F_DUPFD_CLOEXEC, 10));
    for (const auto& [target, source] : moved) {
        if (source < 0 || dup2(source, target) < 0) {
            const int code = errno;
            (void)!write(errorFd, &code, sizeof code);
            _exit(127);
        }
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execvp(program.c_str(), argv.data());
    const int code = errno;
    (void)!write(errorFd, &code, sizeof code);
    _exit(127);
}

} // namespace

std::string ffmpegProgram() {
    const char* custom = std::getenv("VIDEOCONVERTER_FFMPEG");
    return custom && *custom ? custom : "ffmpeg";
}

std::string besideUs(const std::string& name) {
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return name;
    const std::string exe(self, static_cast<std::size_t>(n));
    return exe.substr(0, exe.rfind('/') + 1) + name;
}

bool stopRequested() {
    return stopAsked != 0;
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void complain(const std::string& text) {
    const std::string line = "register.dat: " + text + "\n";
    writeAll(STDERR_FILENO, line.data(), line.size());
}

bool startFfmpeg(Child& child, const Args& args, const std::vector<std::pair<int, int>>& fds) {
    std::string error;
    const std::string program = ffmpegProgram();
    if (child.start(program, args, fds, error))
        return true;
    complain("cannot start ffmpeg '" + program + "': " + error);
    return false;
}

bool Child::start(const std::string& program, const Args& args,
                  const std::vector<std::pair<int, int>>& fds, std::string& error) {
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return false;
    }
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) {
        error = std::strerror(errno);
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (pid == 0)
        execChild(program, args, fds, parent, report[1]);
    close(report[1]);
    pid_ = pid;
    runningChild = pid;
    installForwarding();

    // The report pipe closes on a successful exec and carries errno otherwise.
    int code = 0;
    ssize_t n;
    do {
        n = read(report[0], &code, sizeof code);
    } while (n < 0 && errno == EINTR);
    close(report[0]);
    if (n == static_cast<ssize_t>(sizeof code)) {
        wait();
        error = std::strerror(code);
        return false;
    }
    return true;
}

int Child::wait() {
    int status = 0;
    pid_t done;
    do {
        done = waitpid(pid_, &status, 0);
    } while (done < 0 && errno == EINTR);
    runningChild = 0;
    if (done < 0)
        return 1;
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return 1;
}

void Child::terminate() {
    if (pid_ > 0)
        ::kill(pid_, SIGTERM);
}

void Child::kill() {
    if (pid_ > 0)
        ::kill(pid_, SIGKILL);
}

} // namespace vc::tool
