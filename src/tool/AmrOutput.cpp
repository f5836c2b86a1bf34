#include "Child.h"
#include "Convert.h"
#include "OutputFile.h"
#include "StatusLine.h"
#include "Verdict.h"

#include <opencore-amrnb/interf_enc.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace vc::tool {

namespace {

constexpr int SampleRate = 8000;
constexpr std::size_t FrameSamples = 160; // 20 ms
constexpr char Magic[] = "#!AMR\n";

Mode modeFor(std::optional<long> rate) {
    struct Step {
        long rate;
        Mode mode;
    };
    static constexpr std::array<Step, 8> steps{{{12200, MR122},
                                                {10200, MR102},
                                                {7950, MR795},
                                                {7400, MR74},
                                                {6700, MR67},
                                                {5900, MR59},
                                                {5150, MR515},
                                                {4750, MR475}}};
    if (!rate)
        return MR122;
    for (const Step& step : steps) {
        if (*rate >= step.rate)
            return step.mode;
    }
    return MR475;
}

// Encodes 8000 Hz mono samples into the AMR storage format, into a descriptor it does not
// own. Its header is written at the first sound, so a run that fails before has written nothing.
class AmrFile {
public:
    AmrFile(int fd, Mode mode) : fd_(fd), mode_(mode) { state_ = Encoder_Interface_init(0); }
    ~AmrFile() {
        if (state_ != nullptr)
            Encoder_Interface_exit(state_);
    }
    AmrFile(const AmrFile&) = delete;
    AmrFile& operator=(const AmrFile&) = delete;

    bool add(const std::int16_t* samples, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            frame_[filled_++] = samples[i];
            if (filled_ == FrameSamples && !encodeFrame())
                return false;
        }
        return true;
    }

    // Pads the last partial frame with silence and closes the file.
    bool finish() {
        if (filled_ > 0) {
            std::fill(frame_.begin() + static_cast<std::ptrdiff_t>(filled_), frame_.end(), 0);
            filled_ = FrameSamples;
            if (!encodeFrame())
                return false;
        }
        return open();
    }

    int error() const { return error_; }
    double seconds() const { return static_cast<double>(samples_) / SampleRate; }
    double bytes() const { return static_cast<double>(bytes_); }

private:
    bool open() {
        if (opened_)
            return true;
        opened_ = true;
        return write(Magic, sizeof Magic - 1);
    }

    bool encodeFrame() {
        if (state_ == nullptr) {
            error_ = ENOMEM;
            return false;
        }
        std::array<unsigned char, 64> out{};
        const int size = Encoder_Interface_Encode(state_, mode_, frame_.data(), out.data(), 0);
        samples_ += filled_;
        filled_ = 0;
        if (size < 0) {
            error_ = EINVAL;
            return false;
        }
        return open() && write(out.data(), static_cast<std::size_t>(size));
    }

    bool write(const void* data, std::size_t size) {
        if (!writeAll(fd_, static_cast<const char*>(data), size)) {
            error_ = errno ? errno : EIO;
            return false;
        }
        bytes_ += size;
        return true;
    }

    int fd_;
    Mode mode_;
    void* state_ = nullptr;
    bool opened_ = false;
    int error_ = 0;
    std::array<short, FrameSamples> frame_{};
    std::size_t filled_ = 0;
    std::uint64_t samples_ = 0;
    std::uint64_t bytes_ = 0;
};

Status statusOf(const AmrFile& file) {
    Status status;
    status.sizeBytes = file.bytes();
    status.seconds = file.seconds();
    if (status.seconds > 0)
        status.kbitsPerSecond = file.bytes() * 8 / status.seconds / 1000;
    return status;
}

} // namespace

int runAmr(const ConvertCall& call, int fd) {
    const std::string& path = call.args[*call.output];
    AmrFile file(fd, modeFor(parseRate(
                         optionValue(call, {"-ab", "-b:a", "-b:a:0"}).value_or(std::string()))));
    int pcm[2];
    if (pipe2(pcm, O_CLOEXEC) != 0) {
        complain(std::string("cannot make a pipe: ") + std::strerror(errno));
        return 1;
    }
    Child child;
    const bool started = startFfmpeg(child, ffmpegPcmArgs(call), {{STDOUT_FILENO, pcm[1]}});
    close(pcm[1]);
    if (!started) {
        close(pcm[0]);
        return 127;
    }

    StatusWriter writer(STDOUT_FILENO);
    using Clock = std::chrono::steady_clock;
    auto nextReport = Clock::now();
    std::vector<char> buffer(65536);
    std::vector<std::int16_t> samples;
    std::size_t carried = 0; // a sample split between two reads
    bool writeFailed = false;
    for (;;) {
        const ssize_t n = read(pcm[0], buffer.data() + carried, buffer.size() - carried);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        const std::size_t available = carried + static_cast<std::size_t>(n);
        const std::size_t count = available / sizeof(std::int16_t);
        samples.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            const auto low = static_cast<unsigned char>(buffer[2 * i]);
            const auto high = static_cast<unsigned char>(buffer[2 * i + 1]);
            samples[i] = static_cast<std::int16_t>(low | high << 8);
        }
        carried = available % sizeof(std::int16_t);
        if (carried)
            buffer[0] = buffer[available - 1];
        if (!file.add(samples.data(), count)) {
            writeFailed = true;
            break;
        }
        if (Clock::now() >= nextReport) {
            writer.write(statusOf(file));
            nextReport = Clock::now() + std::chrono::milliseconds(500);
        }
    }
    close(pcm[0]);
    if (writeFailed)
        child.terminate();
    int status = child.wait();
    if (!writeFailed && status == 0)
        writeFailed = !file.finish();
    if (writeFailed) {
        writer.finish();
        sayLast(unwrittenReason(path, file.error()));
        status = 1;
    } else if (status == 0) {
        writer.write(statusOf(file));
    }
    writer.finish();
    if (status == 0) {
        if (const std::optional<std::string> missing = missingFromOutput(call, statusOf(file))) {
            sayLast(*missing);
            status = 1;
        }
    }
    return status;
}

} // namespace vc::tool
