#include "media/DiscTitles.h"

#include "common/Clock.h"
#include "common/FileNames.h"
#include "convert/ConvertRunner.h"
#include "media/MediaProbe.h"

#include <QProcess>
#include <QRegularExpression>
#include <csignal>
#include <sys/stat.h>

namespace vc {

namespace {

// "00:01:23.45" as whole seconds.
int clockSeconds(QStringView text) {
    const QList<QStringView> parts = text.split(u':');
    if (parts.size() != 3)
        return 0;
    return parts[0].toInt() * 3600 + parts[1].toInt() * 60 + static_cast<int>(parts[2].toDouble());
}

} // namespace

DiscListing parseDiscListing(const QByteArray& output, bool succeeded) {
    DiscListing listing;
    const QStringList lines = nameFromBytes(output).split(
        QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts);
    if (!succeeded) {
        listing.refusal = lines.value(0).trimmed();
        if (listing.refusal.isEmpty())
            listing.refusal = QStringLiteral("The disc cannot be read.");
        return listing;
    }
    listing.lines = lines;
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("Disc: "))) {
            listing.volume = line.mid(6);
        } else if (line.startsWith(QLatin1String("Title "))) {
            const qsizetype colon = line.indexOf(u':');
            DiscTitle title;
            title.number = QStringView(line).mid(6, colon - 6).toInt();
            title.seconds = clockSeconds(line.mid(colon + 2).section(u',', 0, 0));
            listing.titles << title;
        } else if (!listing.titles.isEmpty()) {
            const QString entry = line.trimmed();
            const QString text = entry.section(QStringLiteral(": "), 1);
            if (entry.startsWith(QLatin1String("Audio ")))
                listing.titles.last().audio << text;
            else if (entry.startsWith(QLatin1String("Subtitle ")))
                listing.titles.last().subtitles << text;
        }
    }
    return listing;
}

DiscListing listDiscTitles(const QString& toolPath, const QString& workDir, const QString& path) {
    QProcess process;
    process.setWorkingDirectory(workDir);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    startChild(process, toolPath, {QStringLiteral("--list-titles"), absoluteFilePath(path)},
               ChildPriority::Normal);
    const bool ended = process.waitForFinished(60000);
    if (!ended) {
        signalProcessGroup(process.processId(), SIGKILL);
        process.waitForFinished();
    }
    return parseDiscListing(process.readAllStandardOutput(),
                            ended && process.exitStatus() == QProcess::NormalExit &&
                                process.exitCode() == 0);
}

bool isDiscSource(const QString& path) {
    if (isFolderPath(path)) {
        const QString name = path.section(u'/', -1, -1, QString::SectionSkipEmpty);
        return name.compare(QLatin1String("VIDEO_TS"), Qt::CaseInsensitive) == 0 ||
               isFolderPath(path + QStringLiteral("/VIDEO_TS")) ||
               isFolderPath(path + QStringLiteral("/video_ts"));
    }
    if (path.endsWith(QLatin1String(".iso"), Qt::CaseInsensitive))
        return pathFileSize(path) >= 0;
    struct stat info {};
    return ::stat(nameBytes(path).constData(), &info) == 0 && S_ISBLK(info.st_mode);
}

QString discOfIfo(const QString& ifoPath) {
    const qsizetype slash = ifoPath.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : ifoPath.left(slash);
}

QString discTitleAddress(const QString& path, int title) {
    return QStringLiteral("dvd://") + QString::number(title) + absoluteFilePath(path);
}

bool isDiscTitleAddress(const QString& path) {
    return path.startsWith(QLatin1String("dvd://"));
}

QString playerDiscAddress(const QString& address) {
    const qsizetype slash = address.indexOf(u'/', 6);
    const int title = QStringView(address).mid(6, slash - 6).toInt();
    return QStringLiteral("dvd://") + QString::number(title - 1) + u'/' + address.mid(slash);
}

int longestTitle(const QList<DiscTitle>& titles) {
    int best = -1;
    for (int i = 0; i < titles.size(); ++i) {
        if (best < 0 || titles[i].seconds > titles[best].seconds)
            best = i;
    }
    return best;
}

QList<DiscTitle> rowTitles(const DiscListing& listing) {
    QList<DiscTitle> rows;
    for (const DiscTitle& title : listing.titles) {
        if (title.seconds > MinimumTitleSeconds)
            rows << title;
    }
    return rows;
}

std::optional<SourceItem> probeDiscTitle(MediaProbe& probe, const QString& discPath,
                                         const QString& volume, const DiscTitle& title) {
    std::optional<SourceItem> item =
        probeSourceItem(probe, discTitleAddress(discPath, title.number));
    if (!item)
        return std::nullopt;
    item->title = volume + QStringLiteral(" Title ") + QString::number(title.number);
    item->info.audioTracks = title.audio;
    item->info.subtitleTracks = title.subtitles;
    item->info.audioTrack = 1;
    item->info.subtitleTrack = 0;
    return item;
}

namespace {

// A file with one sound and no subtitle has nothing to choose; a disc title always shows
// what it has.
bool offersChoice(const Toriginalinfo& info) {
    if (isDiscTitleAddress(info.path))
        return !info.audioTracks.isEmpty() || !info.subtitleTracks.isEmpty();
    return info.audioTracks.size() > 1 || !info.subtitleTracks.isEmpty();
}

} // namespace

QStringList audioEntries(const Toriginalinfo& info) {
    if (!offersChoice(info))
        return {};
    QStringList entries;
    for (int i = 0; i < info.audioTracks.size(); ++i)
        entries << QString::number(i + 1) + QStringLiteral(": ") + info.audioTracks[i];
    return entries;
}

QStringList subtitleEntries(const Toriginalinfo& info) {
    if (!offersChoice(info))
        return {};
    return QStringList{QStringLiteral("None")} + info.subtitleTracks;
}

} // namespace vc
