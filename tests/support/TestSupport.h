#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vc::test {

// The program folder of the build tree (executable, register.dat, data files).
QString programDir();
QString toolPath();

struct ProcessResult {
    bool started = false;
    bool crashed = false;
    int exitCode = -1;
    QByteArray output; // stdout and stderr merged
};

// Runs a program to its end with merged output; gives up after timeoutMs.
ProcessResult runProcess(const QString& program, const QStringList& args, int timeoutMs = 120000);

// Makes a short clip with ffmpeg's lavfi sources. The options follow the sources and
// precede the output, so they choose codecs and container details. Fails the test when
// ffmpeg does.
QString makeClip(const QString& dir, const QString& fileName, const QStringList& options = {},
                 double seconds = 1.0, const QString& size = QStringLiteral("160x120"),
                 bool withVideo = true, bool withAudio = true);

// Removes a tree whose names may not be UTF-8, which QDir::removeRecursively cannot reach.
void removeTree(const QByteArray& path);

} // namespace vc::test

#include <ostream>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
