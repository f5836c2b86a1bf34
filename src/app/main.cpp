#include "app/ProgramInfo.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const vc::ProgramInfo program = vc::ProgramInfo::fromArgv0(
        QString::fromLocal8Bit(argv[0]), QCoreApplication::applicationDirPath());
    QApplication::setApplicationName(program.name);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Video Converter"));
    window.setFixedSize(820, 562);
    window.show();
    return QApplication::exec();
}
