#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace vc::fuzz {

// The parsers read their files from disk, so each input is written to a file in a folder of
// this process's own; parallel fuzzing jobs never share one.
inline const QString& workDir() {
    // Never destroyed, so the exit handler that removes the folder can still read its name.
    static const QString* const dir = [] {
        const auto path = new QString(
            QDir(QDir::tempPath()).filePath(QStringLiteral("vc-fuzz-%1").arg(::getpid())));
        QDir(*path).removeRecursively();
        if (!QDir().mkpath(*path)) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(*path));
            std::abort();
        }
        std::atexit([] { QDir(workDir()).removeRecursively(); });
        return path;
    }();
    return *dir;
}

inline QString workPath(const QString& name) {
    return QDir(workDir()).filePath(name);
}

// Replaces the file with exactly these bytes; a harness that cannot do that tests nothing.
inline QString writeWorkFile(const QString& name, const std::uint8_t* data, std::size_t size) {
    const QString path = workPath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
            static_cast<qint64>(size)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::abort();
    }
    return path;
}

// A broken promise of the code under test: reported like a crash so libFuzzer keeps the input.
[[noreturn]] inline void fail(const char* what, const QString& detail = {}) {
    std::fprintf(stderr, "fuzz check failed: %s %s\n", what, qPrintable(detail));
    std::abort();
}

inline void check(bool ok, const char* what, const QString& detail = {}) {
    if (!ok)
        fail(what, detail);
}

} // namespace vc::fuzz
