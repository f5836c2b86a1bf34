#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class QLocalServer;
class QLocalSocket;

namespace vc {

// One window per user and program name: a later start hands its files to the open window
// through a local socket instead of opening another.

// The socket of the program name's window, in the user's runtime folder; empty without one.
// The name goes in hashed: a socket path is short, and a program name may be long or hold
// any byte.
QString instanceSocketPath(const QString& programName);

// A hand-off as it travels: each path as its bytes ended by a NUL, which no path holds, and an
// empty path to close. Without paths it only asks the window to come to the front.
QByteArray handOffMessage(const QStringList& paths);

// Reads a hand-off as it arrives, in pieces of any size.
class HandOffReader {
public:
    // False once the bytes cannot be a hand-off: more than any command line holds.
    bool feed(QByteArrayView bytes);
    bool complete() const { return complete_; }
    const QStringList& paths() const { return paths_; }

private:
    QByteArray pending_;
    QStringList paths_;
    qsizetype total_ = 0;
    bool complete_ = false;
    bool broken_ = false;
};

// The open window's end of the socket.
class InstanceServer : public QObject {
    Q_OBJECT
public:
    explicit InstanceServer(QObject* parent = nullptr);
    ~InstanceServer() override;

    // Call only when nobody answered there: a socket file left by a program that ended
    // without removing it is taken over.
    bool listen(const QString& socketPath);

signals:
    // A later start's files, or none when it only asked for the window.
    void handedOff(const QStringList& paths);

private:
    void take(QLocalSocket* socket);

    QLocalServer* server_;
};

enum class HandOff { Taken, NobodyListens, NoAnswer };

// Gives the paths to the window listening on the socket and waits for it to have them all.
HandOff handOff(const QString& socketPath, const QStringList& paths, int timeoutMs);

struct InstanceStart {
    bool handedOff = false;
    // The socket this start listens on; null when it handed off, or when the open window
    // does not answer or no socket can be had (the start then opens a window of its own).
    std::unique_ptr<InstanceServer> server;
    bool noAnswer = false;
};

// A start of the window: hands the paths to the open window, or becomes it.
InstanceStart startInstance(const QString& socketPath, const QStringList& paths,
                            int timeoutMs = 10000);

} // namespace vc
