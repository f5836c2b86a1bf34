// Adding a folder of files named like videos that hold none (20,000 by default) through the
// source list: how long the add takes, how long the event loop waits at most meanwhile, how many
// boxes the user gets, how long the one box of refusals takes to make and show, and how soon a
// close during the add (cancelAdding) gives the window back.
#include "BenchSupport.h"
#include "media/MediaProbe.h"
#include "media/SourceList.h"
#include "shell/LanguageTable.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>

namespace {

class CountingDialogs : public vc::bench::SilentDialogs {
public:
    void information(QWidget*, const QString&, const QString&) override { ++boxes; }
    void informationList(QWidget*, const QString&, const QString& text,
                         const QStringList& list) override {
        ++boxes;
        heading = text;
        lines = list;
    }
    int boxes = 0;
    QString heading;
    QStringList lines;
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int files = argc > 1 ? std::atoi(argv[1]) : 20000;
    const QString programDir = QStringLiteral(VC_BENCH_PROGRAM_DIR);
    const QString tool = QDir(programDir).filePath(QStringLiteral("register.dat"));

    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("notes"));
    QDir().mkpath(folder);
    for (int i = 0; i < files; ++i) {
        QFile note(QDir(folder).filePath(QStringLiteral("note %1.avi").arg(i, 5, 10, QChar(u'0'))));
        if (!note.open(QIODevice::WriteOnly) || note.write("Just notes.\n") < 0)
            return 1;
    }

    CountingDialogs dialogs;
    vc::LanguageTable language(QDir(programDir).filePath(QStringLiteral("language.info")), dialogs);
    vc::MediaProbe probe(tool, programDir);
    QTreeWidget lv;
    vc::SourceList::Hooks hooks;
    hooks.chooseFolder = [&] {
        return folder;
    };
    vc::SourceList list(&lv, probe, dialogs, language, hooks);

    QElapsedTimer sinceTick;
    qint64 longestPause = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longestPause = std::max(longestPause, sinceTick.restart()); });
    ticker.start(10);
    sinceTick.start();
    QElapsedTimer timer;
    timer.start();
    list.addFolder();
    const double add = vc::bench::seconds(timer);
    ticker.stop();
    const int boxes = dialogs.boxes;

    timer.restart();
    const auto box =
        vc::makeListBox(nullptr, QStringLiteral("Video Converter"), dialogs.heading, dialogs.lines);
    box->show();
    QApplication::processEvents();
    const double shown = vc::bench::seconds(timer);
    box->close();

    // A close a second into the add.
    QTimer::singleShot(1000, [&] {
        timer.restart();
        list.cancelAdding();
    });
    dialogs.boxes = 0;
    list.addFolder();
    const double closed = vc::bench::seconds(timer);

    std::printf("files %d, lines listed %lld, rows added %d, boxes %d\n", files,
                static_cast<long long>(dialogs.lines.size()), list.rows(), boxes);
    std::printf("add folder:                 %.1f s, %.2f ms a file\n", add, add * 1000.0 / files);
    std::printf("longest event-loop pause:   %lld ms\n", static_cast<long long>(longestPause));
    std::printf("box of refusals made, shown: %.3f s\n", shown);
    std::printf("add ended after a close:    %.3f s, boxes %d\n", closed, dialogs.boxes);
    return list.rows() == 0 && boxes == 1 && dialogs.lines.size() == files ? 0 : 1;
}
