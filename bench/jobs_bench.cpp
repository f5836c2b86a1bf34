// Batch mode with --jobs set to the processor count against the very ffmpeg commands it ran,
// captured from the tool and run by xargs -P with the same count: what converting several
// files at once through the program costs over a plain parallel run. One set of audio-heavy
// clips to MP3 and one of small clips to an MPEG-4 Part 2 AVI profile, whose encoders keep
// one core busy each. --jobs 1 is measured as well, so the gain shows.
// Usage: bench_jobs_bench [clips=12] [seconds per clip=30] [rounds=5]
#include "BenchSupport.h"
#include "cli/BatchOptions.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

using namespace vc::bench;

namespace {

struct Set {
    const char* name;
    QStringList options; // profile and boxes, as batch mode takes them
    QString extension;   // of the clips
    QStringList clip;    // ffmpeg arguments making a clip of %1 seconds
};

bool makeClip(const Set& set, const QString& path, int clipSeconds) {
    QStringList args{"-hide_banner", "-loglevel", "error", "-y"};
    for (const QString& arg : set.clip)
        args << QString(arg).replace(QLatin1String("%1"), QString::number(clipSeconds));
    const bool made = QProcess::execute(QStringLiteral("ffmpeg"), args << path) == 0;
    if (!made)
        std::fprintf(stderr, "ffmpeg could not make %s\n", qPrintable(path));
    return made;
}

QProcess* quiet(QProcess& p) {
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    return &p;
}

void emptyFolder(const QString& folder) {
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
}

// Wall seconds of batch mode on the clips; -1 unless every file finished.
double runProgram(const Set& set, int jobs, const QStringList& clips, const QString& output) {
    emptyFolder(output);
    QProcess p;
    QElapsedTimer timer;
    timer.start();
    quiet(p)->start(QDir(QStringLiteral(VC_BENCH_PROGRAM_DIR)).filePath("VideoConverter"),
                    QStringList{"--convert", "--jobs", QString::number(jobs), "--output", output} +
                        set.options + clips);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return -1;
    return seconds(timer);
}

QString shellQuoted(QString arg) {
    return QLatin1Char('\'') + arg.replace(QLatin1String("'"), QLatin1String("'\\''")) +
           QLatin1Char('\'');
}

// One shell script per command, their names NUL-separated in the file given, for xargs -0.
bool writeScripts(const std::vector<QStringList>& commands, const QString& folder,
                  const QString& list) {
    QDir().mkpath(folder);
    QFile names(list);
    if (!names.open(QIODevice::WriteOnly))
        return false;
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const QString path = QDir(folder).filePath(QStringLiteral("%1.sh").arg(i));
        QFile script(path);
        if (!script.open(QIODevice::WriteOnly))
            return false;
        QStringList words{QStringLiteral("exec ffmpeg")};
        for (const QString& arg : commands[i])
            words << shellQuoted(arg);
        script.write(words.join(u' ').toLocal8Bit() + '\n');
        names.write(path.toLocal8Bit() + '\0');
    }
    return true;
}

double runXargs(const QString& list, int jobs, const QString& output) {
    emptyFolder(output);
    QProcess p;
    p.setStandardInputFile(list);
    QElapsedTimer timer;
    timer.start();
    quiet(p)->start(QStringLiteral("xargs"),
                    {"-0", "-P", QString::number(jobs), "-n", "1", QStringLiteral("sh")});
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return -1;
    return seconds(timer);
}

bool measure(const Set& set, const QString& folder, int clips, int clipSeconds, int rounds,
             int processors) {
    QDir().mkpath(folder);
    QStringList sources;
    for (int i = 0; i < clips; ++i) {
        sources << QDir(folder).filePath(QStringLiteral("clip %1.%2").arg(i).arg(set.extension));
        if (!makeClip(set, sources.back(), clipSeconds))
            return false;
    }
    const QString output = QDir(folder).filePath(QStringLiteral("out"));

    // One pass through a wrapper that records what the tool hands to ffmpeg; one at a time,
    // so the records come in list order.
    const QString capture = QDir(folder).filePath(QStringLiteral("captured"));
    qputenv("VIDEOCONVERTER_FFMPEG",
            writeCaptureWrapper(QDir(folder).filePath(QStringLiteral("ffmpeg-capture")), capture)
                .toLocal8Bit());
    const double captured = runProgram(set, 1, sources, output);
    qunsetenv("VIDEOCONVERTER_FFMPEG");
    const std::vector<QStringList> commands = capturedCommands(capture, output);
    const QString list = QDir(folder).filePath(QStringLiteral("scripts.list"));
    if (captured < 0 || commands.size() != static_cast<std::size_t>(clips) ||
        !writeScripts(commands, QDir(folder).filePath(QStringLiteral("scripts")), list)) {
        std::fprintf(stderr, "%s: could not capture the ffmpeg commands\n", set.name);
        return false;
    }

    std::vector<double> program, xargs, serial, ratios;
    for (int round = 0; round < rounds; ++round) {
        const auto throughProgram = [&] {
            program.push_back(runProgram(set, processors, sources, output));
        };
        const auto throughXargs = [&] {
            xargs.push_back(runXargs(list, processors, output));
        };
        // Alternating which side goes first cancels what the first of a pair pays or gains.
        if (round % 2 == 0) {
            throughProgram();
            throughXargs();
        } else {
            throughXargs();
            throughProgram();
        }
        serial.push_back(runProgram(set, 1, sources, output));
        if (program.back() < 0 || xargs.back() < 0 || serial.back() < 0) {
            std::fprintf(stderr, "%s: a run failed\n", set.name);
            return false;
        }
        ratios.push_back(program.back() / xargs.back());
        std::printf("%s round %d: --jobs %d %.3f s, xargs -P %d %.3f s, --jobs 1 %.3f s\n",
                    set.name, round + 1, processors, program.back(), processors, xargs.back(),
                    serial.back());
    }
    const double x = median(xargs), one = median(serial);
    std::printf("%s: %d clips of %d s, %s\n", set.name, clips, clipSeconds,
                qPrintable(set.options.join(u' ')));
    std::printf("  --jobs %d:     %.3f s (median of %d)\n", processors, median(program), rounds);
    std::printf("  xargs -P %d:   %.3f s\n", processors, x);
    std::printf("  --jobs 1:     %.3f s\n", one);
    std::printf("ratio to xargs, %s: %.3f (median of the rounds' ratios; target <= 1.10)\n",
                set.name, median(ratios));
    std::printf("--jobs 1 / xargs, %s: %.2f\n", set.name, one / x);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int clips = argc > 1 ? std::atoi(argv[1]) : 12;
    const int clipSeconds = argc > 2 ? std::atoi(argv[2]) : 30;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 5;
    const int processors = vc::usableProcessors();

    QTemporaryDir dir;
    qputenv("VIDEOCONVERTER_CONFIG_DIR", dir.path().toLocal8Bit());
    std::printf("%d processors\n", processors);

    // Tiny pictures beside uncompressed stereo sound: the work is the MP3 encoder's.
    const Set mp3{"MP3",
                  {"--profile", "17"},
                  "avi",
                  {"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25:duration=%1", "-f", "lavfi",
                   "-i", "anoisesrc=d=%1:c=pink:r=48000,pan=stereo|c0=c0|c1=0.5*c0", "-c:v",
                   "mpeg4", "-c:a", "pcm_s16le"}};
    // Small H.264 clips with AAC sound into MPEG-4 Part 2 video and MP3 sound at 320x240.
    const Set avi{"AVI",
                  {"--profile", "105", "--size", "320x240"},
                  "mp4",
                  {"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=%1", "-f", "lavfi",
                   "-i", "sine=frequency=440:sample_rate=44100:duration=%1", "-c:v", "libx264",
                   "-preset", "veryfast", "-c:a", "aac"}};
    for (const Set& set : {mp3, avi})
        if (!measure(set, dir.filePath(QString::fromLatin1(set.name)), clips, clipSeconds, rounds,
                     processors))
            return 1;
    return 0;
}
