#include "shell/SkinStyle.h"

#include "common/Bitmaps.h"

#include <QDir>
#include <QPixmap>
#include <QStyleFactory>

namespace vc {

namespace {

struct IconFile {
    QStyle::StandardPixmap pixmap;
    const char* name;
};

constexpr IconFile IconFiles[] = {
    {QStyle::SP_MessageBoxInformation, "information"},
    {QStyle::SP_MessageBoxWarning, "warning"},
    {QStyle::SP_MessageBoxQuestion, "question"},
    {QStyle::SP_MessageBoxCritical, "error"},
    {QStyle::SP_DirIcon, "folder"},
    {QStyle::SP_DirOpenIcon, "folder"},
    {QStyle::SP_DirClosedIcon, "folder"},
    {QStyle::SP_DirLinkIcon, "folder"},
    {QStyle::SP_DirHomeIcon, "folder"},
    {QStyle::SP_DesktopIcon, "folder"},
    {QStyle::SP_FileIcon, "file"},
    {QStyle::SP_FileLinkIcon, "file"},
    {QStyle::SP_ComputerIcon, "computer"},
    {QStyle::SP_DriveHDIcon, "drive"},
    {QStyle::SP_DriveNetIcon, "drive"},
    {QStyle::SP_ArrowBack, "back"},
    {QStyle::SP_FileDialogBack, "back"},
    {QStyle::SP_ArrowForward, "forward"},
    {QStyle::SP_FileDialogToParent, "parent"},
    {QStyle::SP_FileDialogNewFolder, "newfolder"},
    {QStyle::SP_FileDialogListView, "listview"},
    {QStyle::SP_FileDialogDetailedView, "detailview"},
};

} // namespace

SkinStyle::SkinStyle(const QString& iconFolder)
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {
    if (iconFolder.isEmpty())
        return;
    const QDir folder(iconFolder);
    for (const IconFile& file : IconFiles) {
        const QString path = folder.filePath(QLatin1String(file.name) + QStringLiteral(".png"));
        QPixmap drawing;
        if (!drawing.load(path))
            continue;
        QIcon icon(drawing);
        QPixmap sharp;
        if (sharp.load(doubleResolutionPath(path))) {
            sharp.setDevicePixelRatio(2);
            icon.addPixmap(sharp);
        }
        icons_.insert(file.pixmap, icon);
    }
}

QIcon SkinStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                              const QWidget* widget) const {
    const auto found = icons_.constFind(icon);
    return found != icons_.constEnd() ? *found : QProxyStyle::standardIcon(icon, option, widget);
}

} // namespace vc
