#include "app/CloseSignals.h"

#include "common/Signals.h"

#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace vc {

namespace {

constexpr int Signals[] = {SIGTERM, SIGHUP, SIGINT};
int signalPipe[2] = {-1, -1};

void onSignalCaught(int signal) {
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

} // namespace

CloseSignals::CloseSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
    if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // without the pipe the default handling stays: the program just ends
    notifier_ = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        bool caught = false;
        while (::read(signalPipe[0], &byte, 1) == 1)
            caught = true;
        if (caught && onSignal_)
            onSignal_();
    });
    for (const int signal : Signals)
        caught_[signal] = catchUnlessIgnored(signal, onSignalCaught);
}

CloseSignals::~CloseSignals() {
    for (const auto& [signal, caught] : caught_) {
        if (caught)
            std::signal(signal, SIG_DFL);
    }
}

} // namespace vc
