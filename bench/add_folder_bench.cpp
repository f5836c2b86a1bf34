// Adding a folder of short clips through the source list, against probing the same files
// with the converter tool one after another in a shell loop. The ratio shows what the
// program adds to the tool's own time.
#include "BenchSupport.h"
#include "media/MediaProbe.h"
#include "media/SourceList.h"
#include "shell/LanguageTable.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstdio>

using vc::bench::SilentDialogs;

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int files = argc > 1 ? std::atoi(argv[1]) : 100;
    const QString programDir = QStringLiteral(VC_BENCH_PROGRAM_DIR);
    const QString tool = QDir(programDir).filePath(QStringLiteral("register.dat"));

    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("clips"));
    QDir().mkpath(folder);
    const QString clip = dir.filePath(QStringLiteral("clip.mpg"));
    if (QProcess::execute(QStringLiteral("ffmpeg"),
                          {"-hide_banner", "-loglevel", "error", "-f", "lavfi", "-i",
                           "testsrc=size=160x120:rate=25:duration=1", "-f", "lavfi", "-i",
                           "sine=duration=1", clip}) != 0)
        return 1;
    for (int i = 0; i < files; ++i)
        QFile::copy(clip, QDir(folder).filePath(
                              QStringLiteral("clip %1.mpg").arg(i, 3, 10, QLatin1Char('0'))));

    QElapsedTimer timer;
    timer.start();
    QProcess::execute(
        QStringLiteral("/bin/sh"),
        {"-c", QStringLiteral("for f in \"$1\"/*; do \"$2\" -i \"$f\" >/dev/null 2>&1; done"), "sh",
         folder, tool});
    const double loop = static_cast<double>(timer.nsecsElapsed()) / 1e9;

    SilentDialogs dialogs;
    vc::LanguageTable language(QDir(programDir).filePath(QStringLiteral("language.info")), dialogs);
    vc::MediaProbe probe(tool, programDir);
    QTreeWidget lv;
    vc::SourceList::Hooks hooks;
    hooks.chooseFolder = [&] {
        return folder;
    };
    vc::SourceList list(&lv, probe, dialogs, language, hooks);
    timer.restart();
    list.addFolder();
    const double program = static_cast<double>(timer.nsecsElapsed()) / 1e9;

    std::printf("files %d, rows added %d\n", files, list.rows());
    std::printf("shell loop of register.dat -i: %.3f s\n", loop);
    std::printf("add folder:                    %.3f s\n", program);
    std::printf("ratio:                         %.2f (target <= 1.10)\n", program / loop);
    return list.rows() == files ? 0 : 1;
}
