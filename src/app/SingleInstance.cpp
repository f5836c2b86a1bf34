#include "app/SingleInstance.h"

#include "common/FileNames.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>

namespace vc {

namespace {

// Far beyond what a command line can carry; the window reads no more from anyone.
constexpr qsizetype MaxHandOff = 16 * 1024 * 1024;
constexpr char Taken = '\n';

} // namespace

QString instanceSocketPath(const QString& programName) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        return {};
    const QByteArray hash =
        QCryptographicHash::hash(nameBytes(programName), QCryptographicHash::Sha256).toHex();
    return QDir(folder).filePath(
        QStringLiteral("videoconverter-%1.socket").arg(QString::fromLatin1(hash.left(32))));
}

QByteArray handOffMessage(const QStringList& paths) {
    QByteArray message;
    for (const QString& path : paths)
        if (!path.isEmpty())
            message += nameBytes(path) + '\0';
    return message + '\0';
}

bool HandOffReader::feed(QByteArrayView bytes) {
    if (broken_ || complete_)
        return !broken_;
    total_ += bytes.size();
    if (total_ > MaxHandOff) {
        broken_ = true;
        return false;
    }
    pending_ += bytes;
    qsizetype start = 0;
    for (qsizetype end = pending_.indexOf('\0'); end >= 0; end = pending_.indexOf('\0', start)) {
        if (end == start) {
            complete_ = true;
            pending_.clear();
            return true;
        }
        paths_ << nameFromBytes(QByteArrayView(pending_).sliced(start, end - start));
        start = end + 1;
    }
    pending_.remove(0, start);
    return true;
}

InstanceServer::InstanceServer(QObject* parent) : QObject(parent), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection())
            take(socket);
    });
}

InstanceServer::~InstanceServer() = default;

bool InstanceServer::listen(const QString& socketPath) {
    QLocalServer::removeServer(socketPath);
    return server_->listen(socketPath);
}

void InstanceServer::take(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // A start that never finishes its message must not hold on for ever.
    QTimer::singleShot(60000, socket, [socket] { socket->abort(); });
    auto reader = std::make_shared<HandOffReader>();
    const auto read = [this, socket, reader] {
        if (reader->complete())
            return;
        if (!reader->feed(socket->readAll())) {
            socket->abort();
            return;
        }
        if (!reader->complete())
            return;
        socket->write(&Taken, 1);
        socket->disconnectFromServer();
        emit handedOff(reader->paths());
    };
    connect(socket, &QLocalSocket::readyRead, this, read);
    if (socket->bytesAvailable() > 0)
        read();
}

HandOff handOff(const QString& socketPath, const QStringList& paths, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(timeoutMs))
        // Refused or missing means nobody listens; a full queue that never drains is a window
        // that does not answer.
        return socket.error() == QLocalSocket::SocketTimeoutError ? HandOff::NoAnswer
                                                                  : HandOff::NobodyListens;
    socket.write(handOffMessage(paths));
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(timeoutMs))
            return HandOff::NoAnswer;
    if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(timeoutMs))
        return HandOff::NoAnswer;
    char answer = 0;
    return socket.read(&answer, 1) == 1 && answer == Taken ? HandOff::Taken : HandOff::NoAnswer;
}

InstanceStart startInstance(const QString& socketPath, const QStringList& paths, int timeoutMs) {
    InstanceStart start;
    if (socketPath.isEmpty())
        return start;
    // Two starts at the same moment must not both take the socket. A lock left by a program
    // that died is found stale and taken; one that cannot be had does not stop the start.
    QLockFile lock(socketPath + QStringLiteral(".lock"));
    lock.tryLock(timeoutMs);
    switch (handOff(socketPath, paths, timeoutMs)) {
    case HandOff::Taken:
        start.handedOff = true;
        return start;
    case HandOff::NoAnswer:
        start.noAnswer = true;
        return start;
    case HandOff::NobodyListens:
        break;
    }
    auto server = std::make_unique<InstanceServer>();
    if (server->listen(socketPath))
        start.server = std::move(server);
    return start;
}

} // namespace vc
