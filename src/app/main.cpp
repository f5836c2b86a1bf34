#include "app/Program.h"
#include "app/SingleInstance.h"
#include "cli/BatchRun.h"
#include "common/FileNames.h"
#include "common/Signals.h"
#include "shell/Dialogs.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

// Batch mode must work without a display, so it is chosen before any GUI object exists.
int runBatch(int argc, char** argv, const QStringList& arguments) {
    // First of all, so a stop at any point ends the program with batch mode's own status. A
    // failure is reported by runBatchMode.
    vc::catchStopSignals(true);
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const vc::ProgramInfo info = vc::ProgramInfo::fromArgv0(QString::fromLocal8Bit(argv[0]),
                                                            QCoreApplication::applicationDirPath());
    QCoreApplication::setApplicationName(info.name);
    return vc::cli::runBatchMode({info.folder, info.fileName, info.name, info.toolPath}, arguments);
}

// Qt ends the program with an abort and a hint to reinstall it when no display can be reached;
// a user is better served by one line that says so and names batch mode, which needs none.
QtMessageHandler qtHandler = nullptr; // nullptr restores Qt's own
QList<std::pair<QtMsgType, QString>> heldMessages;
const char* programName = "VideoConverter";

void holdUntilTheDisplayIsReached(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtFatalMsg) {
        heldMessages.append({type, text});
        return;
    }
    const QByteArray display = qgetenv("DISPLAY");
    std::fprintf(stderr,
                 "%s: no display to open the window on (DISPLAY=%s); to convert without one, use "
                 "%s --convert [options] FILE-OR-FOLDER (see --help).\n",
                 programName, display.isEmpty() ? "unset" : display.constData(), programName);
    std::fflush(stderr);
    std::_Exit(1);
}

void windowCameUp() {
    qInstallMessageHandler(qtHandler);
    // Whatever Qt said while connecting still matters once it worked (a fallback, a plugin).
    for (const auto& [type, text] : std::exchange(heldMessages, {})) {
        if (type == QtDebugMsg || type == QtInfoMsg)
            continue;
        qWarning("%s", qPrintable(text));
    }
}

} // namespace

int main(int argc, char** argv) {
    vc::ensureStandardDescriptors();
    // Not QCoreApplication::arguments(): a name in another encoding than UTF-8 must keep its
    // bytes.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << vc::nameFromBytes(argv[i]);
    // Help, version and a wrong command line are answered on the console, with no display.
    const vc::cli::ParseResult parsed = vc::cli::parseArguments(arguments);
    if (parsed.options.mode != vc::cli::Mode::Window || !parsed.ok())
        return runBatch(argc, argv, arguments);

    // Qt sees none of the arguments: they are all files, which it must not take for its own
    // options.
    int qtArgc = 1;
    if (const char* slash = std::strrchr(argv[0], '/'))
        programName = slash + 1;
    else
        programName = argv[0];
    qtHandler = qInstallMessageHandler(holdUntilTheDisplayIsReached);
    QApplication app(qtArgc, argv);
    windowCameUp();
    // Numbers handed to the converter tool and the preview library are always "C" formatted.
    std::setlocale(LC_NUMERIC, "C");
    const vc::ProgramInfo info = vc::ProgramInfo::fromArgv0(QString::fromLocal8Bit(argv[0]),
                                                            QCoreApplication::applicationDirPath());
    QApplication::setApplicationName(info.name);

    // Against this start's working folder: the window that takes them may have another.
    QStringList paths;
    for (const QString& input : parsed.options.inputs)
        if (!input.isEmpty())
            paths << vc::absoluteFilePath(input);
    const vc::InstanceStart instance = vc::startInstance(vc::instanceSocketPath(info.name), paths);
    if (instance.handedOff)
        return 0;
    if (instance.noAnswer)
        std::fprintf(stderr, "%s: the open window does not answer; opening another.\n", argv[0]);

    QIcon icon;
    for (const char* size : {"skin/logo.png", "skin/logo-48.png"})
        icon.addFile(QDir(info.folder).filePath(QLatin1String(size)));
    QApplication::setWindowIcon(icon);
    vc::QtDialogs dialogs;
    vc::QtShellActions shell;
    vc::Program program(info, dialogs, shell);
    vc::Tfm_main& window = program.main();
    // A session that ends or a kill from a terminal closes the window the orderly way.
    const vc::StopSignals stops;
    QObject::connect(&stops, &vc::StopSignals::caught, &window,
                     [&window] { window.closeOnSignal(); });
    if (instance.server)
        QObject::connect(instance.server.get(), &vc::InstanceServer::handedOff, &window,
                         &vc::Tfm_main::addFromOutside);
    window.show();
    window.addFromOutside(paths);
    return QApplication::exec();
}
