#include "app/CloseSignals.h"
#include "app/Program.h"
#include "cli/BatchRun.h"
#include "common/FileNames.h"
#include "shell/Dialogs.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <clocale>

namespace {

// Batch mode must work without a display, so it is chosen before any GUI object exists.
int runBatch(int argc, char** argv, const QStringList& arguments) {
    // First of all, so a stop at any point ends the program with batch mode's own status. A
    // failure is reported by runBatchMode.
    vc::cli::catchStopSignals();
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const vc::ProgramInfo info = vc::ProgramInfo::fromArgv0(QString::fromLocal8Bit(argv[0]),
                                                            QCoreApplication::applicationDirPath());
    QCoreApplication::setApplicationName(info.name);
    return vc::cli::runBatchMode({info.folder, info.fileName, info.name, info.toolPath}, arguments);
}

} // namespace

int main(int argc, char** argv) {
    // Not QCoreApplication::arguments(): a name in another encoding than UTF-8 must keep its
    // bytes.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << vc::nameFromBytes(argv[i]);
    if (vc::cli::modeOf(arguments) != vc::cli::Mode::Window)
        return runBatch(argc, argv, arguments);

    QApplication app(argc, argv);
    // Numbers handed to the converter tool and the preview library are always "C" formatted.
    std::setlocale(LC_NUMERIC, "C");
    const vc::ProgramInfo info = vc::ProgramInfo::fromArgv0(QString::fromLocal8Bit(argv[0]),
                                                            QCoreApplication::applicationDirPath());
    QApplication::setApplicationName(info.name);
    QIcon icon;
    for (const char* size : {"skin/logo.png", "skin/logo-48.png"})
        icon.addFile(QDir(info.folder).filePath(QLatin1String(size)));
    QApplication::setWindowIcon(icon);

    vc::QtDialogs dialogs;
    vc::QtShellActions shell;
    vc::Program program(info, dialogs, shell);
    const vc::CloseSignals closeSignals([&program] { program.main().closeOnSignal(); });
    program.main().show();
    return QApplication::exec();
}
