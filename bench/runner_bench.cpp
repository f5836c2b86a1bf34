// CPU cost of following converter output, per megabyte: the line and progress logic alone
// (one iteration is one megabyte), and the whole runner reading a real child's pipe.
#include "convert/ConvertRunner.h"
#include "convert/LineAssembler.h"
#include "convert/Progress.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <string>
#include <sys/resource.h>

namespace {

std::string makeOutput(std::size_t bytes) {
    std::string out;
    int frame = 0;
    while (out.size() < bytes) {
        ++frame;
        out += "frame=" + std::to_string(frame) +
               " fps= 50 q=2.0 size=    1024kB time=" + std::to_string(frame / 25) + "." +
               std::to_string(frame % 25 * 4) + " bitrate= 838.9kbits/s\r";
        if (frame % 100 == 0)
            out += "[mpeg4 @ 0x55d5] some message from the encoder\n";
    }
    return out;
}

void BM_AssembleAndParsePerMegabyte(benchmark::State& state) {
    const std::string output = makeOutput(1 << 20);
    std::int64_t last = 0;
    for (auto _ : state) {
        vc::OutputCollector collector;
        vc::LineAssembler assembler([&](std::string_view line) {
            const std::int64_t s = vc::reportedSeconds(line);
            if (s)
                last = *vc::progressValue(s, 3600);
        });
        // The runner reads in 1024-byte pieces and drains after each read burst.
        for (std::size_t at = 0; at < output.size(); at += 64 * 1024) {
            collector.appendAll(std::string_view(output).substr(at, 64 * 1024));
            assembler.feed(collector.take());
        }
        assembler.finish();
        benchmark::DoNotOptimize(last);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(output.size()));
}
BENCHMARK(BM_AssembleAndParsePerMegabyte)->Unit(benchmark::kMillisecond);

double selfCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void BM_RunnerCpuPerMegabyte(benchmark::State& state) {
    const auto megabytes = state.range(0);
    QTemporaryDir dir;
    const QString tool = dir.filePath("tool");
    QFile script(tool);
    script.open(QIODevice::WriteOnly);
    script.write(QStringLiteral("#!/bin/sh\nyes 'frame=  250 fps= 50 q=2.0 size=    1024kB "
                                "time=10.00 bitrate= 838.9kbits/s' | head -c %1 | tr '\\n' '\\r'\n")
                     .arg(megabytes << 20)
                     .toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    vc::intputrec job;
    job.toolpath = tool;
    job.workdir = dir.path();
    job.seconds = 100;
    double cpu = 0;
    for (auto _ : state) {
        vc::ConvertRunner runner;
        QEventLoop loop;
        QObject::connect(&runner, &vc::ConvertRunner::ended, &loop, &QEventLoop::quit);
        const double before = selfCpuSeconds();
        runner.Launch(job);
        loop.exec();
        cpu += selfCpuSeconds() - before;
    }
    state.counters["cpu_ms_per_MB"] =
        1e3 * cpu / (static_cast<double>(state.iterations()) * static_cast<double>(megabytes));
}
BENCHMARK(BM_RunnerCpuPerMegabyte)->Arg(16)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
