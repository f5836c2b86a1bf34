#include "profiles/ProfileData.h"

#include "profiles/Catalogue.h"
#include "profiles/QualityRates.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <algorithm>

namespace vc {

namespace {

bool isFrameSize(const QString& entry) {
    static const QRegularExpression size(
        QStringLiteral("^[1-9]\\d{0,4}x[1-9]\\d{0,4}(\\(.*\\))?$"));
    return size.match(entry).hasMatch();
}

bool isRate(const QString& entry) {
    static const QRegularExpression rate(QStringLiteral("^[1-9]\\d{0,6}$"));
    return rate.match(entry).hasMatch();
}

// An option of the list followed by a value.
bool setsOne(const QStringList& words, std::initializer_list<const char*> options) {
    for (qsizetype i = 0; i + 1 < words.size(); ++i)
        for (const char* option : options)
            if (words[i] == QLatin1String(option) && !words[i + 1].startsWith(u'-'))
                return true;
    return false;
}

} // namespace

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

QString groupLack(int number, const ProfileGroup& group) {
    if (isDiscTarget(number))
        return {};
    const QString sizes = QStringLiteral("frame sizes");
    const QString rates = QStringLiteral("video rates");
    const QString options = QStringLiteral("encoder options");
    const QStringList words = group.options.split(u' ', Qt::SkipEmptyParts);
    const bool audioEncoder = setsOne(words, {"-acodec", "-c:a", "-codec:a"});
    if (isAudioOnly(number)) {
        // "*" and at most one size are what mark a profile without video.
        if (group.rates != QLatin1String("*") || group.sizes.size() > 1)
            return rates;
        // The tool encodes ".amr" itself.
        if (!words.contains(QLatin1String("-vn")) ||
            (!audioEncoder && profileExtension(number) != QLatin1String(".amr")))
            return options;
        return {};
    }
    if (group.sizes.isEmpty() || !std::all_of(group.sizes.begin(), group.sizes.end(), isFrameSize))
        return sizes;
    if (group.rates == QLatin1String("*"))
        return rates;
    if (isDataFileRate(number)) {
        const QStringList values = splitEntries(group.rates, QualityLevelCount);
        if (values.size() < QualityLevelCount || !std::all_of(values.begin(), values.end(), isRate))
            return rates;
    }
    if (!audioEncoder || !setsOne(words, {"-vcodec", "-c:v", "-codec:v"}))
        return options;
    return {};
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
