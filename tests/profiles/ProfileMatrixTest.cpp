// Converts a short clip with every selectable profile the way the window does: the real probe
// describes the source, the job builder fills the job, batch control walks the rows through
// the runner and register.dat, and every output is read back with ffprobe.
// VC_PROFILE_MATRIX=full also walks every size entry and quality level (bench/profile_matrix.sh);
// VC_PROFILE_MATRIX_ONLY=27,28 limits the run to those profiles.

#include "TestSupport.h"
#include "convert/ConversionLine.h"
#include "convert/ConversionQueue.h"
#include "convert/ConvertRunner.h"
#include "media/MediaProbe.h"
#include "media/SourceRecords.h"
#include "profiles/Catalogue.h"
#include "profiles/ProfileData.h"
#include "profiles/ProfileParameters.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

using namespace vc;

namespace {

struct Row {
    QString label;
    QString title;
    SourceItem source;
    ProfileState profile;
    ParameterBoxStates boxes;
    QString outfile;
    intputrec job;
    QString status;
    QString hint; // the tool's last words when the run failed
    bool expectFailure = false;
};

// Every size entry and every level, video and audio together, keep-source entries included;
// Mono on odd levels so both channel counts meet every format.
QList<ParameterBoxStates> variations(const ParameterBoxStates& defaults) {
    QList<ParameterBoxStates> result;
    const int sizes = defaults.size.enabled ? static_cast<int>(defaults.size.items.size()) : 1;
    const int levels = defaults.video.enabled || defaults.audio.enabled
                           ? static_cast<int>(defaults.audio.items.size())
                           : 1;
    for (int s = 0; s < sizes; ++s) {
        for (int level = 0; level < levels; ++level) {
            ParameterBoxStates b = defaults;
            if (b.size.enabled)
                b.size.current = s;
            if (b.video.enabled)
                b.video.current = std::min(level, static_cast<int>(b.video.items.size()) - 1);
            if (b.audio.enabled)
                b.audio.current = level;
            if (b.channel.enabled)
                b.channel.current = level % 2 == 0 ? 1 : 0;
            result << b;
        }
    }
    return result;
}

bool fullMatrix() {
    return qEnvironmentVariable("VC_PROFILE_MATRIX") == QLatin1String("full");
}

QList<int> profilesToRun() {
    QList<int> numbers;
    const QString only = qEnvironmentVariable("VC_PROFILE_MATRIX_ONLY");
    for (int n = 1; n <= ProfileCount; ++n) {
        if (profileEntry(n)->role != ButtonRole::Selects)
            continue;
        if (!only.isEmpty() && !only.split(QLatin1Char(',')).contains(QString::number(n)))
            continue;
        numbers << n;
    }
    return numbers;
}

std::optional<SourceItem> addSource(MediaProbe& probe, const QString& path) {
    if (!probeAndWait(probe, path))
        return std::nullopt;
    return makeSourceItem(path, probe.result());
}

// The frame a job asks for: its size option, or the disc standard's own frame.
QString expectedFrame(const intputrec& job) {
    if (job.size.startsWith(QLatin1String(" -s ")))
        return job.size.mid(4).trimmed();
    static const QMap<QString, QString> discFrames{
        {"pal-vcd", "352x288"},   {"ntsc-vcd", "352x240"}, {"pal-svcd", "480x576"},
        {"ntsc-svcd", "480x480"}, {"pal-dvd", "720x576"},  {"ntsc-dvd", "720x480"}};
    const QStringList words = job.extra.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const qsizetype target = words.indexOf(QStringLiteral("-target"));
    return target >= 0 && target + 1 < words.size() ? discFrames.value(words[target + 1])
                                                    : QString();
}

// The number after an option in a job field, "" when the field is empty.
QString optionNumber(const QString& field) {
    const QStringList words = field.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return words.size() == 2 ? words[1] : QString();
}

// What is wrong with a finished row's output; empty when it came out right.
QString checkOutput(const Row& row) {
    if (row.status != QLatin1String("Finish"))
        return QStringLiteral("status \"%1\", tool said: %2").arg(row.status, row.hint);
    const QFileInfo file(row.outfile);
    if (!file.isFile() || file.size() == 0)
        return QStringLiteral("no output file %1").arg(row.outfile);
    if (!row.outfile.endsWith(row.profile.extension))
        return QStringLiteral("%1 lacks the extension %2").arg(row.outfile, row.profile.extension);
    const test::ProcessResult streams =
        test::runProcess(QStringLiteral("ffprobe"),
                         {"-v", "error", "-show_entries",
                          "stream=codec_name,codec_type,width,height,channels,sample_rate", "-of",
                          "compact=p=0:nk=1", row.outfile});
    QStringList types;
    QString frame, channels, rate, videoCodec, audioCodec;
    for (const QString& line :
         QString::fromUtf8(streams.output).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        // name|type|width|height|... for video, name|type|sample_rate|channels for audio
        const QStringList f = line.split(QLatin1Char('|'));
        types << f.value(1);
        if (f.value(1) == QLatin1String("video") && frame.isEmpty()) {
            videoCodec = f.value(0);
            frame = f.value(2) + u'x' + f.value(3);
        }
        if (f.value(1) == QLatin1String("audio") && channels.isEmpty()) {
            audioCodec = f.value(0);
            rate = f.value(2);
            channels = f.value(3);
        }
    }
    // Containers may add data streams of their own (DVD navigation packets).
    const bool audio = types.contains(QStringLiteral("audio"));
    const bool video = types.contains(QStringLiteral("video"));
    if (streams.exitCode != 0 || !audio || video == isAudioOnly(row.profile.number))
        return QStringLiteral("ffprobe sees [%1]").arg(types.join(QLatin1Char(',')));
    // Every box the user set must show in the file.
    if (video && frame != expectedFrame(row.job))
        return QStringLiteral("frame %1, asked %2").arg(frame, expectedFrame(row.job));
    if (!row.job.achannels.isEmpty() && channels != optionNumber(row.job.achannels))
        return QStringLiteral("%1 channels, asked %2").arg(channels, row.job.achannels);
    // The encoders whose streams ffprobe names otherwise, and the newer formats'.
    static const QMap<QString, QString> codecs{
        {"libx264", "h264"},   {"libx265", "hevc"}, {"libvpx-vp9", "vp9"},
        {"libsvtav1", "av1"},  {"libopus", "opus"}, {"flac", "flac"},
        {"libmp3lame", "mp3"}, {"aac", "aac"},      {"libvorbis", "vorbis"}};
    const QStringList words = row.profile.options.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString videoEncoder = words.value(words.indexOf(QStringLiteral("-vcodec")) + 1);
    const QString audioEncoder = words.value(words.indexOf(QStringLiteral("-acodec")) + 1);
    if (video && codecs.contains(videoEncoder) && videoCodec != codecs.value(videoEncoder))
        return QStringLiteral("video codec %1, asked %2").arg(videoCodec, videoEncoder);
    if (codecs.contains(audioEncoder) && audioCodec != codecs.value(audioEncoder))
        return QStringLiteral("audio codec %1, asked %2").arg(audioCodec, audioEncoder);
    // Levels other than the defaults may ask a rate the encoder lacks; the tool then takes
    // the nearest, so only the default rows hold it to the rate asked. Opus codes at 48 kHz
    // only.
    const QString asked =
        audioCodec == QLatin1String("opus") ? QStringLiteral("48000") : optionNumber(row.job.arate);
    if (!fullMatrix() && !row.job.arate.isEmpty() && rate != asked)
        return QStringLiteral("%1 Hz, asked %2").arg(rate, row.job.arate);
    return {};
}

// What the job builder makes of a row, as the window builds it.
ConversionJob rowJob(const Row& row, const QString& outputFolder) {
    ConversionInputs in;
    in.outputFolder = outputFolder;
    in.title = row.title;
    in.path = row.source.info.path;
    in.source = {row.source.info.duration, row.source.info.resolution, row.source.info.videobit,
                 row.source.info.audiobit};
    in.cutbegin = row.source.cut.cutbegin;
    in.profile = row.profile;
    in.choice = choiceOf(row.boxes);
    in.sizeEnabled = row.boxes.size.enabled;
    in.toEnd = true;
    return makeConversionJob(in);
}

} // namespace

TEST(ProfileMatrix, EverySelectableProfileConvertsAndACorruptSourceFails) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    qputenv("VIDEOCONVERTER_CONFIG_DIR", dir.path().toLocal8Bit());
    const QString output = dir.filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(output));

    MediaProbe probe(test::toolPath(), test::programDir());
    const QString clip = test::makeClip(dir.path(), QStringLiteral("source clip.mp4"));
    const std::optional<SourceItem> source = addSource(probe, clip);
    ASSERT_TRUE(source);
    ASSERT_EQ(source->info.resolution, QStringLiteral("160x120"));

    // Sound headers over garbage: the probe accepts it, the conversion cannot.
    const QString corrupt =
        test::makeClip(dir.path(), QStringLiteral("corrupt.mp4"), {"-movflags", "+faststart"});
    {
        QFile file(corrupt);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        const qsizetype media = bytes.indexOf("mdat");
        ASSERT_GT(media, 0);
        for (qsizetype i = media + 16; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>((i * 7919) & 0xff);
        file.seek(0);
        file.write(bytes);
    }
    const std::optional<SourceItem> corruptSource = addSource(probe, corrupt);
    ASSERT_TRUE(corruptSource) << "the probe no longer accepts the damaged clip";

    IniFile store(dir.filePath(QStringLiteral("pro Test.ini")));
    const QString dataFile = profileDataPath(test::programDir());
    ParameterBoxStates boxes = initialBoxStates();
    ProfileState state;
    std::vector<std::unique_ptr<Row>> rows;
    for (int n : profilesToRun()) {
        ASSERT_TRUE(selectProfile(n, boxes, state, store, dataFile).selected) << n;
        QList<ParameterBoxStates> cases =
            fullMatrix() ? variations(boxes) : QList<ParameterBoxStates>{boxes};
        if (!fullMatrix() && (isAudioOnly(n) || n % 2 == 1) && boxes.channel.enabled) {
            ParameterBoxStates mono = boxes;
            mono.channel.current = 0;
            cases << mono;
        }
        for (qsizetype i = 0; i < cases.size(); ++i) {
            const ParameterChoice c = choiceOf(cases[i]);
            auto row = std::make_unique<Row>();
            row->label = QStringLiteral("%1 %2 [%3 | %4 | %5 | %6]")
                             .arg(n)
                             .arg(profileName(n), c.sizeText, c.videoText, c.audioText)
                             .arg(c.channelIndex);
            row->title = QStringLiteral("p%1 %2").arg(n).arg(i);
            row->source = *source;
            row->profile = state;
            row->boxes = cases[i];
            rows.push_back(std::move(row));
        }
    }
    ASSERT_FALSE(rows.empty());
    {
        auto row = std::make_unique<Row>(*rows.front());
        row->label = QStringLiteral("corrupt source");
        row->title = QStringLiteral("corrupt");
        row->source = *corruptSource;
        row->expectFailure = true;
        rows.push_back(std::move(row));
    }

    // Conversions are mostly single-threaded; a few run at once.
    ConversionQueue queue(test::toolPath(), test::programDir());
    queue.setPriority(ConversionQueue::Priority::Normal);
    std::vector<ConversionJob> jobs;
    for (const auto& row : rows)
        jobs.push_back(rowJob(*row, output));
    QObject::connect(&queue, &ConversionQueue::jobChanged, [&](int i) {
        Row& row = *rows[static_cast<std::size_t>(i)];
        row.job = queue.record(i);
        row.outfile = row.job.outfile;
        row.status = statusText(queue.status(i));
        row.hint = queue.status(i).reason;
    });
    queue.start(std::move(jobs), std::max(2, QThread::idealThreadCount() + 1));
    const int limit = fullMatrix() ? 24 * 3600 * 1000 : 280000;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !queue.active(); }, limit)) << "the batch never ended";

    int failed = 0;
    for (const auto& row : rows) {
        if (row->expectFailure) {
            EXPECT_EQ(row->status, QStringLiteral("Failed")) << row->label.toStdString();
            EXPECT_FALSE(row->hint.isEmpty()) << "a failed run names no reason";
            continue;
        }
        const QString failure = checkOutput(*row);
        if (failure.isEmpty())
            continue;
        ++failed;
        ADD_FAILURE() << row->label.toStdString() << "\n  " << failure.toStdString();
    }
    std::printf("%zu conversions, %d failed\n", rows.size(), failed);
}
