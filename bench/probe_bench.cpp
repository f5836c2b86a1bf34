// Probing cost of the converter tool against bare ffprobe on the same short clip; the
// tool describes media in-process with libavformat, so it should not be the slower one.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// Runs a program to its end with all output discarded; gives its exit status.
int run(const std::vector<std::string>& args) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class Clip {
public:
    Clip() {
        char pattern[] = "/tmp/vc_probe_bench-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        dir_ = pattern;
        path_ = (dir_ / "clip.mp4").string();
        if (run({"ffmpeg", "-y", "-f", "lavfi", "-i", "testsrc=size=160x120:rate=25:duration=1",
                 "-f", "lavfi", "-i", "sine=duration=1", "-c:v", "libx264", "-c:a", "aac",
                 path_}) != 0) {
            std::fprintf(stderr, "ffmpeg could not make the clip\n");
            std::exit(1);
        }
    }
    ~Clip() { fs::remove_all(dir_); }
    Clip(const Clip&) = delete;
    Clip& operator=(const Clip&) = delete;

    const std::string& path() const { return path_; }

private:
    fs::path dir_;
    std::string path_;
};

const Clip& clip() {
    static const Clip instance;
    return instance;
}

void probeWith(benchmark::State& state, const std::vector<std::string>& args) {
    for (auto _ : state) {
        if (run(args) != 0) {
            state.SkipWithError("the probe failed");
            break;
        }
    }
}

void BM_ToolProbe(benchmark::State& state) {
    const std::string tool = (fs::path(VC_BENCH_PROGRAM_DIR) / "register.dat").string();
    probeWith(state, {tool, "-i", clip().path()});
}

void BM_Ffprobe(benchmark::State& state) {
    probeWith(state, {"ffprobe", "-hide_banner", clip().path()});
}

BENCHMARK(BM_ToolProbe)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Ffprobe)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Remembers each benchmark's time per run so the ratio can be told at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type == Run::RT_Iteration && !r.error_occurred)
                times[r.run_name.function_name] = r.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    clip();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto tool = reporter.times.find("BM_ToolProbe");
    const auto ffprobe = reporter.times.find("BM_Ffprobe");
    if (tool != reporter.times.end() && ffprobe != reporter.times.end() && ffprobe->second > 0)
        std::printf("probe time ratio register.dat / ffprobe: %.2f (target <= 1.2)\n",
                    tool->second / ffprobe->second);
    benchmark::Shutdown();
    return 0;
}
