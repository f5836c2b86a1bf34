#include "ToolRun.h"

#include "TestSupport.h"

#include <QProcess>

namespace vc::test {

ToolRun runTool(const QStringList& args, const QString& workingDir,
                const QProcessEnvironment& env) {
    ToolRun run;
    QProcess process;
    process.setProcessEnvironment(env);
    if (!workingDir.isEmpty())
        process.setWorkingDirectory(workingDir);
    process.start(toolPath(), args);
    run.finished = process.waitForFinished(60000);
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

namespace {

// Lines end at CR; the LF after it starts the next one.
std::vector<std::string> crLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\r', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.front() == '\n')
            line.erase(0, 1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::string firstLineWith(const std::vector<std::string>& lines, const std::string& key) {
    for (const std::string& line : lines) {
        if (line.find(key) != std::string::npos)
            return line;
    }
    return {};
}

// The text before " kb/s", back to a blank at most ten characters away.
std::string rateIn(const std::string& line) {
    const std::size_t unit = line.find(" kb/s");
    if (unit == std::string::npos || unit == 0)
        return {};
    std::size_t from = unit;
    for (int steps = 0; steps < 10 && from > 0 && line[from - 1] != ' '; ++steps)
        --from;
    return line.substr(from, unit - from);
}

// The next comma-separated piece; a piece without a following comma is kept.
void dropPiece(std::string& rest) {
    const std::size_t comma = rest.find(',');
    if (comma != std::string::npos)
        rest.erase(0, comma + 1);
}

std::string pieceAt(const std::string& text, int index) {
    std::string rest = text;
    for (int i = 0; i < index; ++i) {
        const std::size_t comma = rest.find(',');
        if (comma == std::string::npos)
            return {};
        rest.erase(0, comma + 1);
    }
    return rest.substr(0, rest.find(','));
}

} // namespace

ProbeReading readProbe(const std::string& text) {
    ProbeReading reading;
    const std::size_t d = text.find("Duration:");
    reading.hasDuration = d != std::string::npos;
    if (reading.hasDuration && d + 10 < text.size())
        reading.duration = text.substr(d + 10, 8);
    std::vector<std::string> lines = crLines(text);
    // The default mark ends a stream's line after every field read here.
    for (std::string& line : lines)
        if (line.ends_with(" (default)"))
            line.resize(line.size() - 10);
    reading.bitrate = rateIn(firstLineWith(lines, "bitrate:"));

    const std::string video = firstLineWith(lines, "Video:");
    reading.hasVideo = !video.empty();
    if (reading.hasVideo) {
        reading.videoBitrate = rateIn(video);
        const std::string fromV = video.substr(video.find("Video:"));
        const std::size_t x = fromV.find('x');
        if (x != std::string::npos) {
            std::size_t from = x;
            for (int steps = 0; steps < 10 && from > 0 && fromV[from - 1] != ' '; ++steps)
                --from;
            std::size_t to = x + 1;
            while (to < fromV.size() && std::isdigit(static_cast<unsigned char>(fromV[to])))
                ++to;
            reading.resolution = fromV.substr(from, to - from);
        }
        const std::string afterTag = fromV.substr(std::string("Video: ").size());
        reading.videoFormat = afterTag.substr(0, afterTag.find(','));
        std::string rest = afterTag;
        dropPiece(rest);
        for (int i = 0; i < 3; ++i)
            dropPiece(rest);
        reading.frame = rest;
    }

    const std::string audio = firstLineWith(lines, "Audio:");
    reading.hasAudio = !audio.empty();
    if (reading.hasAudio) {
        reading.audioBitrate = rateIn(audio);
        const std::string afterTag = audio.substr(audio.find("Audio: ") + 7);
        reading.audioFormat = pieceAt(afterTag, 0);
        reading.sample = pieceAt(afterTag, 1);
        reading.channels = pieceAt(afterTag, 2);
    }
    return reading;
}

std::vector<double> reportedTimes(const std::string& text) {
    std::vector<double> times;
    for (const std::string& line : crLines(text)) {
        const std::size_t t = line.find("time=");
        if (t == std::string::npos)
            continue;
        const std::size_t rate = line.find("bitrate=", t);
        std::string value = line.substr(t + 5, rate == std::string::npos ? 0 : rate - t - 5);
        while (!value.empty() && value.back() == ' ')
            value.pop_back();
        // Plain seconds with a decimal point; a clock or a missing rate makes it unusable.
        const std::size_t dot = value.find('.');
        const bool plain = !value.empty() && dot != std::string::npos &&
                           value.find_first_not_of("0123456789.") == std::string::npos;
        times.push_back(plain ? std::stod(value) : -1.0);
    }
    return times;
}

} // namespace vc::test
