#include "app/ProgramInfo.h"

#include <QDir>
#include <QFileInfo>

namespace vc {

ProgramInfo ProgramInfo::fromArgv0(const QString& argv0, const QString& executableFolder) {
    ProgramInfo info;
    info.folder = QDir::cleanPath(executableFolder);
    info.fileName = QFileInfo(argv0).fileName();
    info.name = info.fileName;
    if (info.name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        info.name.chop(4);
    info.toolPath = QDir(info.folder).filePath(QStringLiteral("register.dat"));
    return info;
}

} // namespace vc
