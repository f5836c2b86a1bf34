// The window's half of the batch-mode comparison: drives the real main window offscreen
// through adding files, choosing a profile and its boxes, and converting, and prints the
// command line of every job it launches, as batch mode's --verbose does.
//
//   vc_cli_window_job program=DIR output=DIR [profile=N] [size=I] [video=I] [audio=I]
//                     [channel=I] [cut=BEGIN-END] FILE...
// Indices are box entries; the cut is in seconds. Exit status 0 when every file converted.

#include "FakePreviewLibrary.h"
#include "FakeShell.h"
#include "app/MainWindow.h"
#include "app/Program.h"
#include "common/Clock.h"
#include "convert/ConversionQueue.h"
#include "convert/ConvertRunner.h"
#include "media/CutRules.h"
#include "media/SourceList.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QThread>
#include <QTreeWidget>
#include <clocale>
#include <cstdio>

namespace {

void print(const QString& line) {
    std::fputs((line + u'\n').toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");

    QHash<QString, QString> values;
    QStringList files;
    for (const QString& arg : QApplication::arguments().mid(1)) {
        const qsizetype eq = arg.indexOf(u'=');
        if (eq > 0 && !arg.startsWith(u'/'))
            values.insert(arg.left(eq), arg.mid(eq + 1));
        else
            files << arg;
    }

    using namespace vc;
    test::FakeDialogs dialogs;
    test::FakeShellActions shell;
    test::FakePreviewLibrary library;
    Program program(ProgramInfo::fromArgv0(QStringLiteral("VideoConverter"), values["program"]),
                    dialogs, shell, &library);
    Tfm_main& main = program.main();
    main.show();
    QApplication::processEvents();

    if (values.contains("profile"))
        main.selectProfile(values["profile"].toInt());
    const auto choose = [&](const char* key, const char* box) {
        if (values.contains(QLatin1String(key)))
            static_cast<QComboBox*>(main.control(QLatin1String(box)))
                ->setCurrentIndex(values[QLatin1String(key)].toInt());
    };
    choose("size", "cb_size");
    choose("video", "cb_videobitrate");
    choose("audio", "cb_audiobitrate");
    choose("channel", "cb_channel");

    SourceList& sources = *main.sources();
    for (const QString& file : files)
        if (!sources.addOneFile(file) && !sources.addOneFile(file))
            print(QStringLiteral("Refused ") + file);
    if (values.contains("cut")) {
        // What closing the cutter leaves in the records.
        const QStringList range = values["cut"].split(u'-');
        for (int row = 0; row < sources.rows(); ++row) {
            Tcutinfo& cut = sources.records().cut(row);
            setCutBegin(cut, range.value(0).toInt());
            setCutEnd(cut, range.value(1).toInt());
            sources.records().info(row).duration = secondsToClock(cut.cutend - cut.cutbegin);
        }
    }
    main.ed_output()->setText(values["output"]);

    QObject::connect(main.queue(), &ConversionQueue::jobStarted, [&](int job) {
        print(QStringLiteral("Command: ") + commandLine(main.queue()->record(job)));
    });
    main.bt_startClick();
    QElapsedTimer waited;
    waited.start();
    while (main.converting() && waited.elapsed() < 120000) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(5);
    }
    bool allFinished = sources.rows() == static_cast<int>(files.size());
    for (int row = 0; row < sources.rows(); ++row) {
        const QString status = main.lv()->topLevelItem(row)->text(SourceList::StatusColumn);
        print(QStringLiteral("Status ") + status);
        allFinished = allFinished && status == QLatin1String("Finish");
    }
    return allFinished ? 0 : 1;
}
