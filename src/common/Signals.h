#pragma once

#include <QObject>
#include <map>

class QSocketNotifier;

namespace vc {

// Opens /dev/null on whichever of descriptors 0-2 is closed, as some service managers and cron
// set-ups start programs; otherwise the next pipe or file would take its number and be read or
// written as the console.
void ensureStandardDescriptors();

// Routes `signal` to `handler` unless it was ignored when the program started: a run started
// under nohup must keep ignoring hang-ups. False when it stays ignored.
bool catchUnlessIgnored(int signal, void (*handler)(int));

// Routes SIGINT, SIGTERM and SIGHUP into one pipe that StopSignals reads, so a stop from a
// terminal, the desktop session or a job scheduler ends things the orderly way. With
// `endAtOnce`, until deliverStopSignals() one ends the process at once with 128 plus its number,
// for a program that has nothing under way yet. Safe to call again; false when it cannot.
bool catchStopSignals(bool endAtOnce);
void deliverStopSignals();

// The caught signals, on the event loop. When it goes, their default handling returns.
class StopSignals : public QObject {
    Q_OBJECT
public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;
    bool ok() const { return notifier_ != nullptr; }

signals:
    void caught(int signal);

private:
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace vc
