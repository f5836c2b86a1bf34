#include "shell/SettingsStore.h"

#include "common/Processors.h"
#include "profiles/Catalogue.h"

#include <QDir>
#include <QStandardPaths>
#include <algorithm>

namespace vc {

namespace {

const QString FilesAtOnceKey = QStringLiteral("FilesAtOnce");

} // namespace

SettingsStore::SettingsStore(const QString& programName)
    : settings_(programName + QStringLiteral(".ini")),
      parameters_(QStringLiteral("pro ") + programName + QStringLiteral(".ini")) {}

QString SettingsStore::defaultOutputFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    if (folder.isEmpty())
        folder = QDir::home().filePath(QStringLiteral("Videos"));
    return QDir::toNativeSeparators(folder) + QDir::separator();
}

Settings SettingsStore::load(int defaultProfile) const {
    Settings s;
    s.videoFirstPage = settings_.readBool(QStringLiteral("plane"), QStringLiteral("video"), true);
    s.audioFirstPage = settings_.readBool(QStringLiteral("plane"), QStringLiteral("audio"), true);
    s.outputFolder = settings_.readString(QStringLiteral("output"), QStringLiteral("path"),
                                          defaultOutputFolder());
    // A stored number that names nothing would leave the boxes empty and the picker blank, and
    // be saved back as it is: it reads as its default instead.
    const QString profiles = QStringLiteral("profiles");
    const int category = settings_.readInt(profiles, QStringLiteral("selcetindex"), 1);
    s.category = vc::category(category) ? category : 1;
    const int profile =
        settings_.readInt(profiles, QStringLiteral("selcetsubindex"), defaultProfile);
    const ProfileEntry* entry = profileEntry(profile);
    s.profile = entry && entry->role == ButtonRole::Selects ? profile : defaultProfile;
    const int action = settings_.readInt(profiles, QStringLiteral("FinishSelcet"), 0);
    s.finishAction = action >= 0 && action <= 2 ? action : 0;
    s.filesAtOnce = std::clamp(settings_.readInt(QStringLiteral("output"), FilesAtOnceKey, 1), 1,
                               std::max(1, usableProcessors()));
    return s;
}

bool SettingsStore::save(const Settings& s) {
    const QString profiles = QStringLiteral("profiles");
    const QString plane = QStringLiteral("plane");
    // Each write replaces the file whole; stop at the first failure so nothing half-new lands.
    return settings_.writeString(QStringLiteral("output"), QStringLiteral("path"),
                                 s.outputFolder) &&
           settings_.writeInt(profiles, QStringLiteral("selcetsubindex"), s.profile) &&
           settings_.writeInt(profiles, QStringLiteral("selcetindex"), s.category) &&
           settings_.writeInt(profiles, QStringLiteral("FinishSelcet"), s.finishAction) &&
           settings_.writeInt(plane, QStringLiteral("video"), s.videoFirstPage ? 1 : 0) &&
           settings_.writeInt(plane, QStringLiteral("audio"), s.audioFirstPage ? 1 : 0) &&
           saveFilesAtOnce(s.filesAtOnce);
}

bool SettingsStore::saveFilesAtOnce(int files) {
    // A newer key: a file that never had it keeps its bytes while the default holds.
    const QString output = QStringLiteral("output");
    if (files == 1 && !settings_.keys(output).contains(FilesAtOnceKey, Qt::CaseInsensitive))
        return true;
    return settings_.writeInt(output, FilesAtOnceKey, files);
}

} // namespace vc
