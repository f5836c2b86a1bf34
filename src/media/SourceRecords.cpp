#include "media/SourceRecords.h"

#include "common/Clock.h"
#include "common/FileNames.h"
#include "media/DiscTitles.h"
#include "media/MediaProbe.h"
#include "media/StreamChoices.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace vc {

namespace {

std::optional<std::int64_t> integer(const QString& text) {
    std::int64_t value = 0;
    if (!parseInteger(text, value))
        return std::nullopt;
    return value;
}

QString text(const std::string& bytes) {
    return QString::fromUtf8(bytes);
}

// A rate re-written as a plain integer, or the fallback when it is none.
QString plainRate(const QString& rate, const QString& fallback) {
    const auto value = integer(rate);
    return value ? QString::number(*value) : fallback;
}

} // namespace

QString sourceTitle(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

std::optional<SourceItem> makeSourceItem(const QString& path, const ProbeResult& probe) {
    const auto total = integer(text(probe.bitrate));
    if (!total)
        return std::nullopt;
    QString video = text(probe.videobit);
    QString audio = text(probe.audiobit);
    if (video.isEmpty()) {
        if (audio.isEmpty()) {
            video = QString::number(*total);
        } else {
            const auto a = integer(audio);
            if (!a)
                return std::nullopt;
            video = QString::number(*total - *a);
        }
    }
    if (audio.isEmpty()) {
        const auto v = integer(video);
        if (!v)
            return std::nullopt;
        audio = QString::number(*total - *v);
    }
    // No rate left over (or less than none) means it was never known: a total under 1 kb/s
    // or a stream claiming more than the total.
    bool audioGuessed = false;
    if (const auto a = integer(audio); a && *a <= 0) {
        audio = QStringLiteral("128");
        audioGuessed = true;
    }
    if (const auto v = integer(video); v && *v <= 0)
        video = QStringLiteral("768");

    SourceItem item;
    item.title = sourceTitle(path);
    item.info.path = path;
    item.info.resolution =
        probe.resolution.empty() ? QStringLiteral("320x240") : text(probe.resolution);
    item.info.duration = text(probe.duration);
    item.info.videobit = plainRate(video, QStringLiteral("768"));
    item.info.audiobit = plainRate(audio, QStringLiteral("128"));
    item.info.audiobitGuessed = audioGuessed || !integer(audio);
    item.info.videoformat = text(probe.videoformat);
    item.info.audioformat = text(probe.audioformat);
    item.info.sample = text(probe.sample);
    item.info.channels = text(probe.channels);
    item.info.frame = text(probe.frame);
    item.info.losslessMono = text(probe.losslessMono);
    item.info.losslessStereo = text(probe.losslessStereo);
    takeStreams(item.info, probe);
    const int seconds = static_cast<int>(clockToSeconds(item.info.duration));
    item.cut = {seconds, 0, seconds};
    return item;
}

std::optional<SourceItem> probeSourceItem(MediaProbe& probe, const QString& path) {
    if (!probeAndWait(probe, path))
        return std::nullopt;
    return makeSourceItem(path, probe.result());
}

namespace {
// The status probe.dat ends with when the libraries read the file and found nothing in it.
constexpr int NothingReadable = 3;
} // namespace

bool probeSettled(const MediaProbe& probe) {
    return probe.end() == ProbeEnd::NotRegular ||
           (probe.end() == ProbeEnd::Ended && probe.exitStatus() == NothingReadable);
}

QString probeRefusal(const MediaProbe& probe, const QString& path, const QString& shownName) {
    static const QString missing = QStringLiteral("The converter tool is missing: ");
    if (probe.end() == ProbeEnd::NotStarted)
        return missing + probe.toolPath();
    if (probe.end() == ProbeEnd::NotRegular)
        return shownName + QStringLiteral(" is not a regular file.");
    if (probe.end() == ProbeEnd::TimedOut)
        return shownName + QStringLiteral(" could not be read in time.");
    const QString words = text(probe.lastLine()).trimmed();
    if (probe.end() == ProbeEnd::Ended && words.startsWith(missing))
        return words;
    // Its name says it is media of ours, yet nothing in it reads: cut off or broken.
    if (probe.end() == ProbeEnd::Ended && probe.exitStatus() == NothingReadable &&
        isScannedExtension(path.section(u'/', -1)))
        return shownName + QStringLiteral(" is damaged: nothing in it can be read.");
    return shownName + QStringLiteral(" is not support!");
}

SourceInfo sourceInfo(const Toriginalinfo& info) {
    return {info.duration,     info.resolution,     info.videobit,       info.audiobit,
            info.losslessMono, info.losslessStereo, info.audiobitGuessed};
}

ConversionInputs rowConversionInputs(const QString& outputFolderText, const QString& title,
                                     const Toriginalinfo& info, const Tcutinfo& cut,
                                     const ProfileState& profile, const ParameterChoice& choice,
                                     bool sizeEnabled) {
    ConversionInputs in;
    in.outputFolder = outputFolderText;
    in.title = title;
    in.path = info.path;
    in.source = sourceInfo(info);
    in.cutbegin = cut.cutbegin;
    in.profile = profile;
    in.choice = choice;
    in.sizeEnabled = sizeEnabled;
    if (!isDiscTitleAddress(info.path)) {
        // One audio stream is the one ffmpeg takes anyway.
        if (info.audioTracks.size() > 1)
            in.fileAudio = info.audioTrack;
        in.fileSubtitle = info.subtitleTrack;
    } else if (!info.audioTracks.isEmpty() || !info.subtitleTracks.isEmpty()) {
        in.discAudio = info.audioTrack;
        in.discSubtitle = info.subtitleTrack;
    }
    // A length of 0 is either under a second or unknown; then only an unset end runs to it.
    in.toEnd = cut.totalsecs > 0 ? cut.cutend >= cut.totalsecs : cut.cutend == 0;
    return in;
}

int SourceRecords::add(const Toriginalinfo& info, const Tcutinfo& cut) {
    info_.resize(rows_);
    cut_.resize(rows_);
    info_.append(info);
    cut_.append(cut);
    return rows_++;
}

void SourceRecords::remove(int row) {
    if (row < 0 || row >= rows_)
        return;
    for (int i = row; i + 1 < rows_; ++i) {
        info_[i] = info_[i + 1];
        cut_[i] = cut_[i + 1];
    }
    --rows_;
}

RemovePlan planRemove(const QList<bool>& selected) {
    RemovePlan plan;
    QList<bool> rows = selected;
    int at = 0;
    int remembered = -1;
    for (qsizetype step = 0; step < selected.size(); ++step) {
        if (at >= rows.size())
            break;
        if (rows[at]) {
            plan.deleteAt << at;
            rows.removeAt(at);
            remembered = at;
        } else {
            ++at;
        }
    }
    if (remembered >= 0 && !rows.isEmpty())
        plan.selectAfter = std::min<int>(remembered, static_cast<int>(rows.size()) - 1);
    return plan;
}

namespace {

// Every extension the program takes, as "All Support Format" lists them; a folder scan takes the
// same, so that nothing the dialog offers is skipped in a folder. Everything the program writes
// is among them, so its own outputs can be converted again.
const QStringList& supportedExtensions() {
    static const QStringList extensions{
        "avi",  "mpg",  "mpeg", "wmv",  "asf", "asx", "mov", "dat",  "qt",    "vob", "3gp",  "3g2",
        "mp4",  "m4v",  "rm",   "rmvb", "ram", "mkv", "flv", "mjpg", "mjpeg", "ts",  "m2ts", "h264",
        "xwmv", "yuv",  "webm", "ogv",  "mts", "m2t", "m4a", "mp3",  "wav",   "ogg", "opus", "flac",
        "aac",  "wma",  "aiff", "aif",  "au",  "amr", "ac3", "mp2",  "ra",    "swf", "oga",  "mka",
        "m4b",  "weba", "wv",   "ape",  "caf", "dv",  "mod", "tod",  "vro",   "mxf", "f4v",  "m2v"};
    return extensions;
}

} // namespace

bool isScannedExtension(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot >= 0 && supportedExtensions().contains(fileName.mid(dot + 1).toLower());
}

bool naturalLess(const QString& a, const QString& b) {
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            // Digit runs compare by value: "b2" before "b10".
            qsizetype ei = i, ej = j;
            while (ei < a.size() && a[ei].isDigit())
                ++ei;
            while (ej < b.size() && b[ej].isDigit())
                ++ej;
            QStringView da = QStringView(a).mid(i, ei - i), db = QStringView(b).mid(j, ej - j);
            while (da.size() > 1 && da.front() == u'0')
                da = da.mid(1);
            while (db.size() > 1 && db.front() == u'0')
                db = db.mid(1);
            if (da.size() != db.size())
                return da.size() < db.size();
            if (const int c = da.compare(db); c != 0)
                return c < 0;
            i = ei;
            j = ej;
            continue;
        }
        const QChar ca = a[i].toCaseFolded(), cb = b[j].toCaseFolded();
        if (ca != cb)
            return ca < cb;
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j))
        return a.size() - i < b.size() - j;
    return a < b; // names equal but for case or zeros: keep a stable order
}

QStringList scannedEntries(const QString& folder) {
    QStringList names = folderEntryNames(folder);
    std::sort(names.begin(), names.end(), naturalLess);
    return names;
}

QString openFileFilter() {
    QStringList all;
    for (const QString& extension : supportedExtensions())
        all << QStringLiteral("*.") + extension;
    return QStringLiteral("All Support Format (%1);;").arg(all.join(u' ')) +
           QStringLiteral("WMV Format(*.wmv;*.asf;*.asx;) (*.wmv *.asf *.asx);;"
                          "MPEG Format(*.mpg;*.mpeg;) (*.mpg *.mpeg);;"
                          "AVI Format(*.avi;) (*.avi);;"
                          "Quick Time Format(*.qt;*.mov;) (*.qt *.mov);;"
                          "VCD Format(*.dat;) (*.dat);;"
                          "MP4 Format(*.mp4;*.m4v;*.m4a) (*.mp4 *.m4v *.m4a);;"
                          "DVD Format(*.vob) (*.vob);;"
                          "3GP Format(*.3gp) (*.3gp);;"
                          "RM Format(*.rm;*.rmvb;*.ram;) (*.rm *.rmvb *.ram);;"
                          "FLV Format(*.flv;) (*.flv);;"
                          "WebM and Ogg(*.webm;*.ogv;*.ogg;*.opus;) (*.webm *.ogv *.ogg *.opus);;"
                          "All File(*.*) (*)");
}

} // namespace vc
