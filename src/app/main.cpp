#include "app/Program.h"
#include "shell/Dialogs.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <clocale>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Numbers handed to the converter tool and the preview library are always "C" formatted.
    std::setlocale(LC_NUMERIC, "C");
    const vc::ProgramInfo info = vc::ProgramInfo::fromArgv0(QString::fromLocal8Bit(argv[0]),
                                                            QCoreApplication::applicationDirPath());
    QApplication::setApplicationName(info.name);
    QApplication::setWindowIcon(QIcon(QDir(info.folder).filePath(QStringLiteral("skin/logo.png"))));

    vc::QtDialogs dialogs;
    vc::QtShellActions shell;
    vc::Program program(info, dialogs, shell);
    program.main().show();
    return QApplication::exec();
}
