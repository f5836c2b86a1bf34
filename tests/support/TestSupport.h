#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

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

// Japanese (default) and English sound, English and French text subtitles (SRT, ASS in MKV).
QString makeTwoLanguageClip(const QString& dir, const QString& fileName, double seconds = 2.0);
// A 640x360 frame, white left and black right, that its display matrix turns to 360x640.
QString makePortraitClip(const QString& dir, const QString& fileName);

// A DVD-Video folder authored with dvdauthor from clips the DVD profile writes (352x288 PAL):
// title 1 with audio in the first two of `languages` (a 440 Hz and an 880 Hz tone) and one
// subtitle in the first language, shown from 1 s to 3 s; title 2 with the first language's
// track only, and so a third when asked for. Gives the folder holding VIDEO_TS; fails the test when
// a tool does.
struct DiscLayout {
    double firstSeconds = 3;
    double secondSeconds = 4;
    QStringList languages{QStringLiteral("en"), QStringLiteral("fr")};
    double thirdSeconds = 0; // a third title like the second when above 0
};
QString authorDvd(const QString& dir, const QString& name, const DiscLayout& layout = {});

// An image of an authored folder under the volume name given.
QString makeDvdImage(const QString& discFolder, const QString& isoPath, const QString& volume);

// A new regular file that another process opens only after the system's lease-break time (45 s
// by default), as on a stalled network share, while the descriptor returned stays open.
int stalledFile(const QString& path);

// Removes a tree whose names may not be UTF-8, which QDir::removeRecursively cannot reach.
void removeTree(const QByteArray& path);

// Keeps the event loop turning until done() holds; false when limitMs passed first. The limit
// only ends a wait for what never comes, so it is generous.
bool waitUntil(const std::function<bool()>& done, int limitMs = 20000);

// The AddressSanitizer build runs several times slower: it is checked for faults, not timed.
constexpr bool sanitizedBuild() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#endif
#endif
    return false;
}

} // namespace vc::test

#include <ostream>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
