#include "app/ProgramInfo.h"

#include <QDir>
#include <QFileInfo>

namespace vc {

ProgramInfo ProgramInfo::fromArgv0(const QString& argv0, const QString& executableFolder) {
    ProgramInfo info;
    info.folder = QDir::cleanPath(executableFolder);
    info.fileName = QFileInfo(argv0).fileName();
    info.name = nameOf(info.fileName);
    info.toolPath = QDir(info.folder).filePath(QStringLiteral("register.dat"));
    return info;
}

QString ProgramInfo::nameOf(const QString& fileName) {
    QString name = fileName;
    if (name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        name.chop(4);
    return name;
}

} // namespace vc
