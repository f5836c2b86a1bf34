// Converts a short clip with every selectable profile through the real register.dat.
// VC_PROFILE_MATRIX=full also walks every size entry and quality level (bench/profile_matrix.sh);
// VC_PROFILE_MATRIX_ONLY=27,28 limits the run to those profiles.

#include "TestSupport.h"
#include "convert/JobRecord.h"
#include "profiles/Catalogue.h"
#include "profiles/ProfileParameters.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using namespace vc;

namespace {

struct Job {
    QString label;
    QStringList arguments;
    QString outfile;
    bool audioOnly = false;
};

struct Outcome {
    QString failure; // empty when the file came out right
};

// The source item as the probe will describe it; only what the rates need.
SourceInfo probe(const QString& path) {
    const test::ProcessResult r = test::runProcess(test::toolPath(), {"-i", path});
    const QString text = QString::fromUtf8(r.output);
    SourceInfo info;
    const QRegularExpressionMatch duration =
        QRegularExpression(QStringLiteral("Duration: (\\d\\d:\\d\\d:\\d\\d)")).match(text);
    info.duration = duration.captured(1);
    const QRegularExpressionMatch video =
        QRegularExpression(QStringLiteral("Video: [^\\r\\n]*?, (\\d+x\\d+)(?:, (\\d+) kb/s)?"))
            .match(text);
    info.resolution = video.captured(1);
    info.videobit = video.captured(2);
    const QRegularExpressionMatch audio =
        QRegularExpression(QStringLiteral("Audio: [^\\r\\n]*?(\\d+) kb/s")).match(text);
    info.audiobit = audio.captured(1);
    return info;
}

// The conversion line's option fields as the command line builder will fill them from the
// boxes; a stand-in until that builder exists.
intputrec jobRecord(const ProfileState& profile, const ParameterBoxStates& boxes,
                    const SourceInfo& source, const QString& infile, const QString& outfile) {
    const ParameterChoice choice = choiceOf(boxes);
    const bool disc = isDiscTarget(profile.number);
    const bool narrow =
        profile.extension == QLatin1String(".3gp") || profile.extension == QLatin1String(".amr");
    intputrec job;
    job.infile = infile;
    job.outfile = outfile;
    if (boxes.size.enabled && !disc) {
        if (choice.sizeText == QLatin1String(OriginalSizeEntry))
            job.size = QStringLiteral(" -s ") + source.resolution;
        else
            job.size = QStringLiteral(" -s ") + choice.sizeText.section(QLatin1Char('('), 0, 0);
    }
    if (!job.size.isEmpty()) {
        const QString wh = job.size.mid(4);
        const double ratio = wh.section(QLatin1Char('x'), 0, 0).toDouble() /
                             wh.section(QLatin1Char('x'), 1).toDouble();
        job.aspect = QStringLiteral(" -aspect ") + QString::number(ratio, 'f', 4);
    }
    if (!disc) {
        if (isDataFileRate(profile.number)) {
            if (profile.rateSlots[0] != QLatin1String("*"))
                job.vbitrate = QStringLiteral(" -r 25 -b ") +
                               profile.rateSlots[static_cast<std::size_t>(choice.videoIndex)] +
                               QStringLiteral("000");
        } else {
            const RateResult rate = videoRate(profile, choice, source);
            job.vbitrate = QStringLiteral(" -r 25 -b %1").arg(rate.value.value_or(0) * 1000);
        }
        const RateResult audio = audioBitsPerSecond(profile, choice, source);
        job.abitrate = QStringLiteral(" -ab %1").arg(audio.value.value_or(0));
        const std::int64_t bits = audio.value.value_or(0);
        if (narrow)
            job.arate = QStringLiteral(" -ar 8000 ");
        else if (bits > 192000)
            job.arate = QStringLiteral(" -ar 48000 ");
        else if (bits > 64000)
            job.arate = QStringLiteral(" -ar 44100 ");
        else
            job.arate = QStringLiteral(" -ar 22050 ");
    }
    job.achannels =
        narrow ? QStringLiteral(" -ac 1 ") : QStringLiteral(" -ac %1").arg(choice.channelIndex + 1);
    job.start = QStringLiteral(" -ss 00:00:00");
    job.length = QStringLiteral(" -t ") + source.duration;
    job.extra = profile.options;
    if (disc) {
        const char* target[] = {"-vcd ", "-svcd ", "-dvd "};
        job.extra = QStringLiteral(" -target ") + choice.sizeText.toLower() +
                    QLatin1String(target[profile.number - 112]);
    }
    return job;
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

Outcome run(const Job& job) {
    const test::ProcessResult r = test::runProcess(test::toolPath(), job.arguments, 300000);
    if (!r.started || r.crashed || r.exitCode != 0)
        return {QStringLiteral("exit %1: %2")
                    .arg(r.exitCode)
                    .arg(QString::fromUtf8(r.output.right(600)))};
    if (!QFileInfo(job.outfile).isFile() || QFileInfo(job.outfile).size() == 0)
        return {QStringLiteral("no output file")};
    const test::ProcessResult streams = test::runProcess(
        QStringLiteral("ffprobe"), {"-v", "error", "-show_entries", "stream=codec_type", "-of",
                                    "default=noprint_wrappers=1:nokey=1", job.outfile});
    const QStringList types =
        QString::fromUtf8(streams.output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // Containers may add data streams of their own (DVD navigation packets).
    const bool audio = types.contains(QStringLiteral("audio"));
    const bool video = types.contains(QStringLiteral("video"));
    if (streams.exitCode != 0 || !audio || video == job.audioOnly)
        return {QStringLiteral("ffprobe sees [%1]").arg(types.join(QLatin1Char(',')))};
    return {};
}

} // namespace

TEST(ProfileMatrix, EverySelectableProfileConverts) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    qputenv("VIDEOCONVERTER_CONFIG_DIR", dir.path().toLocal8Bit());
    const QString source = test::makeClip(dir.path(), QStringLiteral("source.mp4"));
    const SourceInfo info = probe(source);
    ASSERT_EQ(info.resolution, QStringLiteral("160x120"));
    ASSERT_FALSE(info.videobit.isEmpty());
    ASSERT_FALSE(info.audiobit.isEmpty());

    IniFile store(dir.filePath(QStringLiteral("pro Test.ini")));
    const QString dataFile = profileDataPath(test::programDir());
    ParameterBoxStates boxes = initialBoxStates();
    ProfileState state;
    std::vector<Job> jobs;
    for (int n : profilesToRun()) {
        ASSERT_TRUE(selectProfile(n, boxes, state, store, dataFile).selected) << n;
        const QList<ParameterBoxStates> cases =
            fullMatrix() ? variations(boxes) : QList<ParameterBoxStates>{boxes};
        for (qsizetype i = 0; i < cases.size(); ++i) {
            const ParameterBoxStates& b = cases[i];
            const QString outfile =
                QDir(dir.path())
                    .filePath(QStringLiteral("p%1_%2%3").arg(n).arg(i).arg(state.extension));
            const intputrec record = jobRecord(state, b, info, source, outfile);
            const ParameterChoice c = choiceOf(b);
            jobs.push_back({QStringLiteral("%1 %2 [%3 | %4 | %5 | %6]")
                                .arg(n)
                                .arg(profileName(n), c.sizeText, c.videoText, c.audioText)
                                .arg(c.channelIndex),
                            toolArguments(record), outfile, isAudioOnly(n)});
        }
    }

    // Conversions are mostly single-threaded; run a few at once.
    std::vector<Outcome> outcomes(jobs.size());
    std::atomic<std::size_t> next{0};
    const int workers = std::max(2, QThread::idealThreadCount() + 1);
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w)
        threads.emplace_back([&] {
            for (std::size_t i = next++; i < jobs.size(); i = next++) {
                outcomes[i] = run(jobs[i]);
                QFile::remove(jobs[i].outfile);
            }
        });
    for (std::thread& t : threads)
        t.join();

    int failed = 0;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        if (outcomes[i].failure.isEmpty())
            continue;
        ++failed;
        ADD_FAILURE() << jobs[i].label.toStdString() << "\n  "
                      << jobs[i].arguments.join(QLatin1Char(' ')).toStdString() << "\n  "
                      << outcomes[i].failure.toStdString();
    }
    std::printf("%zu conversions, %d failed\n", jobs.size(), failed);
}
