// A batch of short clips converted through the program's engine (probe, job builder, batch
// control, runner, register.dat) against the very same ffmpeg commands run directly one
// after another. The commands are captured from the tool itself, so both sides do the same
// work; the ratio is what the program adds.
// Usage: bench_batch_bench [clips=20] [seconds per clip=10] [rounds=3]
#include "BenchSupport.h"
#include "media/MediaProbe.h"
#include "media/SourceRecords.h"
#include "profiles/Catalogue.h"
#include "profiles/ProfileData.h"
#include "profiles/ProfileParameters.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

using namespace vc;
using namespace vc::bench;

namespace {

// CPU seconds of this process and of its waited-for children so far.
std::pair<double, double> cpuSeconds() {
    const auto seconds = [](const rusage& u) {
        return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
               static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    };
    rusage self{}, children{};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    return {seconds(self), seconds(children)};
}

double runDirect(const std::vector<QStringList>& commands) {
    QElapsedTimer timer;
    timer.start();
    for (const QStringList& args : commands) {
        QProcess ffmpeg;
        ffmpeg.setStandardOutputFile(QProcess::nullDevice());
        ffmpeg.setStandardErrorFile(QProcess::nullDevice());
        ffmpeg.start(QStringLiteral("ffmpeg"), args);
        if (!ffmpeg.waitForFinished(-1) || ffmpeg.exitCode() != 0)
            return -1;
    }
    return seconds(timer);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int clips = argc > 1 ? std::atoi(argv[1]) : 20;
    const int clipSeconds = argc > 2 ? std::atoi(argv[2]) : 10;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
    const QString programDir = QStringLiteral(VC_BENCH_PROGRAM_DIR);
    const QString tool = QDir(programDir).filePath(QStringLiteral("register.dat"));

    QTemporaryDir dir;
    qputenv("VIDEOCONVERTER_CONFIG_DIR", dir.path().toLocal8Bit());
    const QString clip = dir.filePath(QStringLiteral("clip.mpg"));
    if (!makeClip(clip, QStringLiteral("320x240"), clipSeconds))
        return 1;

    MediaProbe probe(tool, programDir);
    std::vector<BatchSource> sources;
    for (int i = 0; i < clips; ++i) {
        const QString copy = dir.filePath(QStringLiteral("clip %1.mpg").arg(i));
        QFile::copy(clip, copy);
        if (!probeAndWait(probe, copy))
            return 1;
        const std::optional<SourceItem> item = makeSourceItem(copy, probe.result());
        if (!item)
            return 1;
        sources.push_back({copy, item->info});
    }

    const std::optional<DefaultProfile> chosen =
        selectDefaultProfile(programDir, dir.filePath(QStringLiteral("parameters.ini")));
    if (!chosen)
        return 1;
    const auto& [number, boxes, profile] = *chosen;

    const QString output = dir.filePath(QStringLiteral("out"));
    QDir().mkpath(output);
    const auto clearOutput = [&] {
        QDir(output).removeRecursively();
        QDir().mkpath(output);
    };

    // One pass through a wrapper that records what the tool hands to ffmpeg.
    const QString capture = dir.filePath(QStringLiteral("captured"));
    const QString wrapper =
        writeCaptureWrapper(dir.filePath(QStringLiteral("ffmpeg-capture")), capture);
    qputenv("VIDEOCONVERTER_FFMPEG", wrapper.toLocal8Bit());
    if (!runBatch(programDir, sources, profile, boxes, output).allFinished())
        return 1;
    qunsetenv("VIDEOCONVERTER_FFMPEG");
    const std::vector<QStringList> commands = capturedCommands(capture, output);
    if (commands.size() != sources.size())
        return 1;

    std::vector<double> program, direct, ratios;
    double ownCpu = 0, toolCpu = 0;
    for (int round = 0; round < rounds; ++round) {
        const auto throughProgram = [&] {
            clearOutput();
            const auto before = cpuSeconds();
            const BatchOutcome batch = runBatch(programDir, sources, profile, boxes, output);
            program.push_back(batch.allFinished() ? batch.seconds : -1);
            const auto after = cpuSeconds();
            ownCpu += after.first - before.first;
            toolCpu += after.second - before.second;
        };
        const auto directly = [&] {
            clearOutput();
            direct.push_back(runDirect(commands));
        };
        // Alternating which side goes first cancels what the first of a pair pays or gains.
        if (round % 2 == 0) {
            throughProgram();
            directly();
        } else {
            directly();
            throughProgram();
        }
        if (program.back() < 0 || direct.back() < 0)
            return 1;
        std::printf("round %d: program %.3f s, ffmpeg directly %.3f s\n", round + 1, program.back(),
                    direct.back());
    }
    const double p = median(program), d = median(direct);
    // Each round's two sides run back to back, so their ratio cancels most of the drift of a
    // shared machine that moves whole rounds by ten per cent.
    for (std::size_t i = 0; i < program.size(); ++i)
        ratios.push_back(program[i] / direct[i]);
    std::printf("profile %d (%s), %d clips of %d s\n", number, qPrintable(profileName(number)),
                clips, clipSeconds);
    std::printf("batch through the program: %.3f s (median of %d)\n", p, rounds);
    std::printf("same ffmpeg commands:      %.3f s\n", d);
    std::printf("ratio:                     %.3f (median of the rounds' ratios; target <= 1.02)\n",
                median(ratios));
    std::printf("program CPU while converting: %.1f%% of the tool's (%.2f s against %.2f s)\n",
                toolCpu > 0 ? 100.0 * ownCpu / toolCpu : 0.0, ownCpu, toolCpu);
    return 0;
}
