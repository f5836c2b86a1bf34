// A conversion's console output as the runner receives it: collected per read, assembled into
// lines the way a terminal shows them, and every line read for a progress report.
#include "FuzzSupport.h"
#include "convert/LineAssembler.h"
#include "convert/Progress.h"

#include <QRegularExpression>
#include <array>
#include <string>
#include <string_view>

using namespace vc;

namespace {

// Job lengths as the runner gets them from a row: unknown, short, long, and the most a clock
// text can hold. A negative one comes from a row whose probed length was garbage.
constexpr std::array<std::int64_t, 6> JobLengths = {0, 1, 7, 3600, 362439, -5};

// Read sizes follow the bytes themselves, so the fuzzer steers where reads are cut.
std::size_t readSize(std::string_view rest, std::size_t most) {
    const auto byte = static_cast<unsigned char>(rest.front());
    return std::min(rest.size(), 1 + byte * 53 % most);
}

void readProgress(std::string_view line) {
    fuzz::check(line.find('\n') == std::string_view::npos, "a line holds a line end");
    const std::int64_t reported = reportedSeconds(line);
    fuzz::check(reported >= 0 && reported <= 100000, "reported time out of range");
    if (reported == 0)
        return;
    static const QRegularExpression shape(QStringLiteral("^\\d{2,}\\.\\d{2}%$"));
    for (const std::int64_t seconds : JobLengths) {
        const auto value = progressValue(reported, seconds);
        fuzz::check(value.has_value() == (seconds != 0), "progress of a job of unknown length");
        if (!value)
            continue;
        const QString text = progressStatusText(*value);
        if (seconds > 0)
            fuzz::check(shape.match(text).hasMatch(), "status text", text);
    }
}

// The runner's way: every read goes through the collector, then to the assembler.
std::string runnerLines(std::string_view output) {
    OutputCollector collector;
    LineAssembler assembler(readProgress);
    while (!output.empty()) {
        const std::size_t size = readSize(output, 4 * LineAssembler::PieceSize);
        collector.appendAll(output.substr(0, size));
        output.remove_prefix(size);
        assembler.feed(collector.take());
        fuzz::check(collector.size() == 0, "take() left output behind");
    }
    assembler.finish();
    return assembler.currentLine();
}

// A reader that falls behind: the pending output stays bounded and only whole earlier output
// is dropped, never the newest read.
void fallBehind(std::string_view output) {
    OutputCollector collector;
    std::size_t appended = 0;
    std::size_t taken = 0;
    std::string_view last;
    const std::size_t rounds = 1 + output.size() % 48;
    for (std::size_t round = 0; round < rounds; ++round) {
        for (std::string_view rest = output; !rest.empty();) {
            const std::size_t size = readSize(rest, LineAssembler::PieceSize);
            last = rest.substr(0, size);
            collector.append(last);
            appended += size;
            fuzz::check(collector.size() <= collector.capacity() &&
                            collector.capacity() <= OutputCollector::MaxCapacity,
                        "the pending output outgrew its cap");
            rest.remove_prefix(size);
        }
        if (round % 7 == 6) {
            const std::string pending = collector.take();
            fuzz::check(std::string_view(pending).ends_with(last), "the newest read was lost");
            taken += pending.size();
        }
    }
    taken += collector.take().size();
    fuzz::check(taken + collector.droppedBytes() == appended, "output neither kept nor dropped");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view output(reinterpret_cast<const char*>(data), size);
    const std::string current = runnerLines(output);

    // Where the reads were cut must not change what the line reads at the end.
    LineAssembler whole([](std::string_view) {});
    whole.feed(output);
    fuzz::check(whole.currentLine() == current, "the line depends on how reads were cut");

    fallBehind(output);
    return 0;
}
