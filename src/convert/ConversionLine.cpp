#include "convert/ConversionLine.h"

#include "common/Clock.h"
#include "common/FileNames.h"
#include "profiles/Catalogue.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <cerrno>
#include <cmath>
#include <sys/stat.h>
#include <unistd.h>

namespace vc {

namespace {

bool narrowBand(const QString& extension) {
    return extension == QLatin1String(".3gp") || extension == QLatin1String(".amr");
}

bool isClockText(const QString& text) {
    static const QRegularExpression clock(QStringLiteral("^\\d{2}:\\d{2}:\\d{2}$"));
    return clock.match(text).hasMatch();
}

// A part that runs to the source's end asks for no length: a header's length may be an
// estimate or a lie, and the tool reads to the real end. A whole item asks for no start
// either, as seeking some containers to their start loses sound. The progress counts
// against the probed length; 0 when it cannot be read.
void setRange(intputrec& job, const ConversionInputs& in) {
    const std::int64_t seconds = clockToSeconds(in.source.duration);
    job.seconds = isClockText(in.source.duration) ? static_cast<int>(seconds) : 0;
    job.start.clear();
    job.length.clear();
    if (!in.toEnd || in.cutbegin > 0)
        job.start = QStringLiteral(" -ss ") + secondsToClock(in.cutbegin);
    if (!in.toEnd)
        job.length = QStringLiteral(" -t ") + in.source.duration;
}

} // namespace

QString jobFolder(const QString& outputFolderText) {
    QString folder = outputFolderText;
    if (!folder.endsWith(QDir::separator()) && !folder.endsWith(u'/'))
        folder += QDir::separator();
    return folder;
}

NameClaim lookOnDisk(const QString& path) {
    const QByteArray name = nameBytes(path);
    struct stat entry {};
    if (::lstat(name.constData(), &entry) == 0)
        return NameClaim::Taken;
    return errno == ENOENT || errno == ENOTDIR ? NameClaim::Free : NameClaim::Refused;
}

QString outputFileName(const QString& folder, const QString& title, const QString& extension,
                       const ClaimName& claim) {
    // A title must never lead the output out of its folder.
    QString safe = title;
    safe.replace(u'/', u'_').replace(u'\\', u'_');
    if (safe == QLatin1String("..") || safe == QLatin1String("."))
        safe.replace(u'.', u'_');
    // The title has already lost its extension; whatever dots remain are part of its name.
    QString name = folder + safe + extension;
    for (int n = 1; claim(name) == NameClaim::Taken; ++n)
        name = folder + safe + u'_' + QString::number(n) + extension;
    return name;
}

QString aspectText(const QString& size) {
    const qsizetype x = size.indexOf(u'x');
    if (x < 0)
        return {};
    std::int64_t width = 0, height = 0;
    if (!parseInteger(QStringView(size).left(x), width) ||
        !parseInteger(QStringView(size).mid(x + 1), height) || height <= 0 || width <= 0)
        return {};
    const double ratio = static_cast<double>(width) / static_cast<double>(height);
    int integerDigits = 1;
    for (double v = ratio; v >= 10.0; v /= 10.0)
        ++integerDigits;
    const int decimals = std::clamp(5 - integerDigits, 0, 4);
    return QString::number(ratio, 'f', decimals);
}

void fillJob(intputrec& job, const ConversionInputs& in, const ClaimName& claim) {
    const int number = in.profile.number;
    const QString& ext = in.profile.extension;
    const bool disc = isDiscTarget(number);
    const QString folder = jobFolder(in.outputFolder);

    job.infile = in.path;
    job.outfile = outputFileName(folder, in.title, ext, claim);

    job.size.clear();
    if (in.sizeEnabled && !disc) {
        if (in.choice.sizeText == QLatin1String(OriginalSizeEntry))
            job.size = QStringLiteral(" -s ") + in.source.resolution;
        else if (!in.choice.sizeText.isEmpty())
            job.size = QStringLiteral(" -s ") + in.choice.sizeText.section(u'(', 0, 0);
    }

    job.aspect.clear();
    if (in.sizeEnabled && !job.size.isEmpty() && !disc) {
        const QString aspect = aspectText(job.size.mid(4));
        if (!aspect.isEmpty())
            job.aspect = QStringLiteral(" -aspect ") + aspect;
    }

    job.vbitrate.clear();
    if (!disc) {
        if (isDataFileRate(number)) {
            const int level = in.choice.videoIndex;
            if (in.profile.rateSlots[0] != QLatin1String("*") && level >= 0 &&
                level < QualityLevelCount)
                job.vbitrate = QStringLiteral(" -r 25 -b ") +
                               in.profile.rateSlots[static_cast<std::size_t>(level)] +
                               QStringLiteral("000");
        } else if (const RateResult rate = videoRate(in.profile, in.choice, in.source);
                   rate.value) {
            // The newer formats keep the source's frame rate; the tool caps it.
            const bool keepsRate = number >= 133 && number <= 137;
            job.vbitrate = QLatin1String(keepsRate ? " -b " : " -r 25 -b ") +
                           QString::number(*rate.value * 1000);
        }
    }

    job.abitrate.clear();
    std::int64_t audioBits = 0;
    if (!disc) {
        if (const RateResult rate = audioBitsPerSecond(in.profile, in.choice, in.source);
            rate.value) {
            audioBits = *rate.value;
            job.abitrate = QStringLiteral(" -ab ") + QString::number(audioBits);
        }
    }

    job.arate.clear();
    if (!job.abitrate.isEmpty() && !disc)
        job.arate = QStringLiteral(" -ar ") + QString::number(jobSampleRate(audioBits, ext)) + u' ';

    job.achannels = narrowBand(ext) ? QStringLiteral(" -ac 1 ")
                                    : QStringLiteral(" -ac ") +
                                          QString::number(std::max(in.choice.channelIndex, 0) + 1);
    setRange(job, in);

    job.extra = in.profile.options;
    if (disc) {
        const char* target = number == 112 ? "-vcd " : number == 113 ? "-svcd " : "-dvd ";
        job.extra =
            QStringLiteral(" -target ") + in.choice.sizeText.toLower() + QLatin1String(target);
    }
    if (in.discAudio > 0)
        job.extra += QStringLiteral(" -dvd-audio ") + QString::number(in.discAudio) + u' ';
    if (in.discSubtitle > 0)
        job.extra += QStringLiteral(" -dvd-subtitle ") + QString::number(in.discSubtitle) + u' ';
    if (in.fileAudio > 0)
        job.extra += QStringLiteral(" -audio-track ") + QString::number(in.fileAudio) + u' ';
    if (in.fileSubtitle > 0)
        job.extra += QStringLiteral(" -subtitle-track ") + QString::number(in.fileSubtitle) + u' ';
}

} // namespace vc
