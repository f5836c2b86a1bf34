// A long batch of short clips through the program's engine (batch control, job builder,
// runner, the real register.dat), with the resident memory of this process sampled after
// every item. A leak per run shows as a slope; the figure to watch is KiB per item.
// Usage: bench_soak_batch [items=100] [seconds per clip=0.2]
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
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

using namespace vc;
using namespace vc::bench;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int items = argc > 1 ? std::max(20, std::atoi(argv[1])) : 100;
    const double clipSeconds = argc > 2 ? std::atof(argv[2]) : 0.2;
    const QString programDir = QStringLiteral(VC_BENCH_PROGRAM_DIR);
    const QString tool = QDir(programDir).filePath(QStringLiteral("register.dat"));

    QTemporaryDir dir;
    qputenv("VIDEOCONVERTER_CONFIG_DIR", dir.path().toLocal8Bit());
    const QString clip = dir.filePath(QStringLiteral("clip.mpg"));
    if (!makeClip(clip, QStringLiteral("160x120"), clipSeconds))
        return 1;
    // One probe: every item is the same clip under its own name.
    MediaProbe probe(tool, programDir);
    if (!probeAndWait(probe, clip))
        return 1;
    const std::optional<SourceItem> item = makeSourceItem(clip, probe.result());
    if (!item)
        return 1;
    std::vector<BatchSource> sources;
    for (int i = 0; i < items; ++i) {
        sources.push_back({dir.filePath(QStringLiteral("clip %1.mpg").arg(i)), item->info});
        QFile::copy(clip, sources.back().path);
    }

    const std::optional<DefaultProfile> chosen =
        selectDefaultProfile(programDir, dir.filePath(QStringLiteral("parameters.ini")));
    if (!chosen)
        return 1;
    const auto& [number, boxes, profile] = *chosen;
    const QString output = dir.filePath(QStringLiteral("out"));
    QDir().mkpath(output);

    std::vector<double> samples;
    const double startKiB = residentKiB();
    const BatchOutcome batch = runBatch(programDir, sources, profile, boxes, output,
                                        [&] { samples.push_back(residentKiB()); });
    const double wall = batch.seconds;

    const auto finished =
        std::count(batch.statuses.begin(), batch.statuses.end(), QStringLiteral("Finish"));
    if (samples.size() != static_cast<std::size_t>(items) || finished != items) {
        std::fprintf(stderr, "%lld of %d items finished\n", static_cast<long long>(finished),
                     items);
        return 1;
    }
    const std::size_t warm = 10;
    const std::vector<double> settled(samples.begin() + warm, samples.end());
    std::printf("soak batch: %d items of %.1f s through register.dat, profile %d\n", items,
                clipSeconds, number);
    std::printf("  batch time:                 %.2f s (%.1f ms per item)\n", wall,
                wall * 1000 / items);
    std::printf("  resident before the batch:  %.0f KiB\n", startKiB);
    std::printf("  resident after item 1/%zu/%d: %.0f / %.0f / %.0f KiB\n", warm, items,
                samples.front(), samples[warm - 1], samples.back());
    std::printf("  growth from item %zu to %d:  %+.0f KiB\n", warm, items,
                samples.back() - samples[warm - 1]);
    std::printf("  growth per item (slope):    %+.2f KiB (target: flat)\n", slope(settled));
    return 0;
}
