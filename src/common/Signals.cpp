#include "common/Signals.h"

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace vc {

namespace {

constexpr int StopSignalNumbers[] = {SIGINT, SIGTERM, SIGHUP};
int stopPipe[2] = {-1, -1};
std::map<int, bool> caughtSignals;
std::atomic<bool> endAtOnceNow{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void onStopSignal(int signal) {
    if (endAtOnceNow.load(std::memory_order_relaxed))
        ::_exit(128 + signal);
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(stopPipe[1], &byte, 1);
}

} // namespace

void ensureStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
            continue;
        // The lowest free number is this one, since those below it are open.
        [[maybe_unused]] const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    }
}

bool catchUnlessIgnored(int signal, void (*handler)(int)) {
    struct sigaction current {};
    if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN)
        return false;
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(signal, &action, nullptr) == 0;
}

bool catchStopSignals(bool endAtOnce) {
    if (stopPipe[0] < 0 && ::pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false; // the default handling stays: the program just ends
    if (!caughtSignals.empty())
        return true;
    endAtOnceNow = endAtOnce;
    for (const int signal : StopSignalNumbers)
        caughtSignals[signal] = catchUnlessIgnored(signal, onStopSignal);
    return true;
}

void deliverStopSignals() {
    endAtOnceNow = false;
}

StopSignals::StopSignals(QObject* parent) : QObject(parent) {
    if (!catchStopSignals(false))
        return;
    notifier_ = new QSocketNotifier(stopPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        while (::read(stopPipe[0], &byte, 1) == 1)
            emit caught(byte);
    });
}

StopSignals::~StopSignals() {
    for (const auto& [signal, caught] : std::exchange(caughtSignals, {}))
        if (caught)
            std::signal(signal, SIG_DFL);
}

} // namespace vc
