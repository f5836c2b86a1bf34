#include "profiles/ProfileData.h"

#include <QDir>
#include <QFile>

namespace vc {

QString profileDataPath(const QString& programDir) {
    return QDir(programDir).filePath(QStringLiteral("profiles.pop"));
}

ProfileGroupRead readProfileGroup(const QString& path, int number) {
    ProfileGroupRead result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error =
            QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
        return result;
    }
    if (number < 1) {
        result.status = ProfileGroupRead::Status::MissingGroup;
        return result;
    }
    const qint64 last = 4LL * number - 1;
    QStringList group;
    for (qint64 line = 0; line <= last; ++line) {
        if (file.atEnd()) {
            if (file.error() != QFileDevice::NoError) {
                result.error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path),
                                                            file.errorString());
                return result;
            }
            result.status = ProfileGroupRead::Status::MissingGroup;
            return result;
        }
        QByteArray bytes = file.readLine();
        if (bytes.endsWith('\n'))
            bytes.chop(1);
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        if (line >= last - 2)
            group.append(QString::fromUtf8(bytes));
    }
    result.status = ProfileGroupRead::Status::Ok;
    result.group.sizes = splitEntries(group[0]);
    result.group.rates = group[1];
    result.group.options = group[2];
    return result;
}

QStringList splitEntries(const QString& line, int maxEntries) {
    QStringList entries;
    if (line.isEmpty())
        return entries;
    const QStringList pieces = line.split(QLatin1Char(' '));
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (maxEntries >= 0 && entries.size() >= maxEntries)
            break;
        const QString& piece = pieces[i];
        if (piece.isEmpty())
            break;
        if (i == pieces.size() - 1 && piece.size() == 1)
            break;
        entries.append(piece);
    }
    return entries;
}

} // namespace vc
