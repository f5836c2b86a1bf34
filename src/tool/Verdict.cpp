#include "Verdict.h"

#include "DiscArguments.h"
#include "OutputFile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vc::tool {

namespace {

// Enough for the whole item's last fraction and a frame or two of muxing delay, far less
// than anything a lost part would take.
constexpr double Tolerance = 0.5;

// "25", "29.97" or "30000/1001"; 0 when unsaid or unreadable.
double frameRate(const ConvertCall& call) {
    const std::string text = outputOptionValue(call, {"-r", "-r:v"}).value_or("");
    char* end = nullptr;
    double rate = std::strtod(text.c_str(), &end);
    if (end && *end == '/')
        rate /= std::strtod(end + 1, nullptr);
    return std::isfinite(rate) && rate > 0 ? rate : 0;
}

// Sound-only outputs: the audio profiles all say "-vn"; some formats carry nothing else.
bool soundOnly(const ConvertCall& call) {
    static const std::vector<std::string> audio{"aac", "ac3",  "aif", "aiff", "amr", "au",
                                                "mp2", "opus", "ra",  "wav",  "wma"};
    return hasOption(call, {"-vn"}) ||
           (call.output && std::find(audio.begin(), audio.end(),
                                     extensionOf(call.args[*call.output])) != audio.end());
}

std::string tenths(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", seconds);
    return text;
}

} // namespace

std::string sourceName(const ConvertCall& call) {
    if (!call.input)
        return "The source";
    const std::string& input = call.args[*call.input];
    const std::optional<DvdAddress> disc = dvdAddress(input);
    std::string path = disc ? disc->path : input;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    std::string name = path.substr(path.find_last_of('/') + 1);
    if (disc)
        name += " Title " + std::to_string(disc->title);
    return name;
}

std::optional<double> askedLength(const ConvertCall& call) {
    const std::optional<std::string> t = optionValue(call, {"-t"});
    return t ? clockSeconds(*t) : std::nullopt;
}

double writtenSeconds(const ConvertCall& call, const Status& last) {
    const double rate = frameRate(call);
    if (last.frame && rate > 0)
        return std::max(last.seconds, static_cast<double>(*last.frame) / rate);
    return last.seconds;
}

std::optional<std::string> missingFromOutput(const ConvertCall& call,
                                             const std::optional<Status>& last) {
    const std::string name = sourceName(call);
    const long frames = last ? last->frame.value_or(0) : 0;
    if (!last || (last->seconds <= 0 && frames <= 0))
        return "Nothing in " + name + " could be converted.";
    if (soundOnly(call) && last->seconds <= 0)
        return name + " has no sound to convert to an audio format.";
    if (!soundOnly(call) && frames <= 0)
        return name + " has no picture to convert to a video format.";
    const std::optional<double> asked = askedLength(call);
    const double written = writtenSeconds(call, *last);
    if (asked && written < *asked - Tolerance)
        return "Only " + tenths(written) + " of the " + tenths(*asked) + " seconds asked of " +
               name + " could be converted.";
    if (asked && written > *asked + Tolerance)
        return name + " gave " + tenths(written) + " seconds where " + tenths(*asked) +
               " were asked.";
    return std::nullopt;
}

bool outputUnfinished(const std::string& errors) {
    return errors.find("Error writing trailer") != std::string::npos ||
           errors.find("Error closing file") != std::string::npos;
}

std::string failureReason(const ConvertCall& call, const std::string& errors) {
    if (call.output && errors.find(std::strerror(ENOSPC)) != std::string::npos)
        return unwrittenReason(call.args[*call.output], ENOSPC);
    if (errors.find("does not contain any stream") != std::string::npos)
        return soundOnly(call) ? sourceName(call) + " has no sound to convert to an audio format."
                               : "Nothing in " + sourceName(call) + " could be converted.";
    // ffmpeg ends a failed run with a line of its own that says nothing of the cause.
    std::size_t end = errors.size();
    while (end > 0) {
        const std::size_t start = errors.find_last_of("\r\n", end - 1);
        const std::size_t from = start == std::string::npos ? 0 : start + 1;
        std::string line = errors.substr(from, end - from);
        end = from == 0 ? 0 : from - 1;
        // Without the "[encoder @ 0x...] " the line is meant for a reader.
        while (line.starts_with('[') && line.find("] ") != std::string::npos)
            line.erase(0, line.find("] ") + 2);
        if (line.find_first_not_of(' ') == std::string::npos ||
            line.starts_with("Conversion failed") || line.starts_with("    Last message"))
            continue;
        return line;
    }
    return sourceName(call) + " could not be converted.";
}

} // namespace vc::tool
