#include "DiscArguments.h"

#include "DiscIndex.h"
#include "SourceFit.h"
#include "common/Languages.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace vc::tool {

namespace {

// ISO 639-2 for the output's stream tag, which players show.
std::string languageTag(const std::string& code) {
    const LanguageCodes* language = code.empty() ? nullptr : findLanguage(code);
    return language ? language->bibliographic : std::string();
}

std::optional<std::size_t> chosenIndex(const ConvertCall& call, const char* option,
                                       std::size_t count) {
    const std::optional<std::string> value = optionValue(call, {option});
    if (!value)
        return std::nullopt;
    const long number = std::strtol(value->c_str(), nullptr, 10);
    if (number < 1 || static_cast<std::size_t>(number) > count)
        return std::nullopt;
    return static_cast<std::size_t>(number - 1);
}

std::string hexId(int id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", id);
    return text;
}

} // namespace

std::optional<DvdAddress> dvdAddress(const std::string& input) {
    static const std::string scheme = "dvd://";
    if (input.compare(0, scheme.size(), scheme) != 0)
        return std::nullopt;
    std::size_t at = scheme.size();
    int title = 0;
    while (at < input.size() && input[at] >= '0' && input[at] <= '9' && title < 1000)
        title = title * 10 + (input[at++] - '0');
    if (at == scheme.size() || at >= input.size() || input[at] != '/' || title < 1)
        return std::nullopt;
    return DvdAddress{title, input.substr(at)};
}

double callStart(const ConvertCall& call) {
    const std::optional<std::string> start = optionValue(call, {"-ss"});
    if (!start)
        return 0;
    double value = 0;
    std::size_t from = 0;
    while (from <= start->size()) {
        const std::size_t colon = start->find(':', from);
        value = value * 60 + std::strtod(start->substr(from, colon - from).c_str(), nullptr);
        if (colon == std::string::npos)
            break;
        from = colon + 1;
    }
    return std::max(value, 0.0);
}

Args dvdFfmpegArgs(const ConvertCall& call, const DvdTitle& title, double skipped, int progressFd) {
    // The title becomes a pipe; the start, the stream choice and the input are ours to place.
    Args args;
    for (std::size_t i = 0; i < call.args.size(); ++i) {
        const std::string& arg = call.args[i];
        if (call.input && i + 1 == *call.input) {
            ++i;
            continue;
        }
        if (i + 1 < call.args.size() && call.output != i &&
            (arg == "-ss" || arg == DvdAudioOption || arg == DvdSubtitleOption)) {
            ++i;
            continue;
        }
        args.push_back(arg);
    }
    const std::string pipeName = "\x01dvd-title";
    std::size_t insertAt = 0;
    while (insertAt < args.size() && args[insertAt] == "-y")
        ++insertAt;
    args.insert(args.begin() + static_cast<std::ptrdiff_t>(insertAt), {"-i", pipeName});
    ConvertCall piped = parseCall(args);
    Args result = ffmpegConvertArgs(withFrameFilters(piped), progressFd);

    const std::optional<std::size_t> audio = chosenIndex(call, DvdAudioOption, title.audio.size());
    const std::optional<std::size_t> subtitle =
        chosenIndex(call, DvdSubtitleOption, title.subtitles.size());
    // The demuxer knows a stream only once its first packet came by, and a filter graph needs
    // it from the start: the first subtitle may come a while after the picture does.
    Args input{"-f",
               "mpeg",
               "-probesize",
               subtitle ? "200M" : "50M",
               "-analyzeduration",
               subtitle ? "120M" : "30M"};
    if (subtitle) {
        std::string palette;
        for (const std::uint32_t colour : title.palette) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "%06x", colour);
            palette += (palette.empty() ? "" : ",") + std::string(hex);
        }
        input.insert(input.end(), {"-palette", palette});
    }
    // A pipe cannot seek: ffmpeg decodes the short way from the VOBU to the start.
    Args streams;
    const double remainder = callStart(call) - skipped;
    if (remainder > 0.001) {
        char text[32];
        std::snprintf(text, sizeof text, "%.3f", remainder);
        streams.insert(streams.end(), {"-ss", text});
    }
    const bool video = !hasOption(call, {"-vn"});
    std::string filter;
    for (std::size_t i = 0; i + 1 < result.size(); ++i) {
        if (result[i] == "-vf" || result[i] == "-filter:v") {
            filter = result[i + 1];
            result.erase(result.begin() + static_cast<std::ptrdiff_t>(i),
                         result.begin() + static_cast<std::ptrdiff_t>(i + 2));
            break;
        }
    }
    if (video && subtitle) {
        const std::string graph = "[0:i:0x1e0][0:i:" + hexId(title.subtitles[*subtitle].streamId) +
                                  "]overlay=eof_action=pass" +
                                  (filter.empty() ? "" : "," + filter) + "[picture]";
        streams.insert(streams.end(), {"-filter_complex", graph, "-map", "[picture]"});
    } else if (video) {
        streams.insert(streams.end(), {"-map", "0:i:0x1e0"});
        if (!filter.empty())
            streams.insert(streams.end(), {"-vf", filter});
    }
    // A still picture takes no sound; ffmpeg would refuse the mapped stream.
    const bool still = outputOptionValue(call, {"-f"}) == "image2";
    if (!title.audio.empty() && !hasOption(call, {"-an"}) && !still) {
        const DvdAudio& chosen = title.audio[audio.value_or(0)];
        streams.insert(streams.end(), {"-map", "0:i:" + hexId(chosen.streamId)});
        const std::string tag = languageTag(chosen.languageCode);
        if (!tag.empty())
            streams.insert(streams.end(), {"-metadata:s:a:0", "language=" + tag});
    }

    for (std::size_t i = 0; i + 1 < result.size(); ++i) {
        if (result[i] == "-i" && result[i + 1] == literalPath(pipeName)) {
            result[i + 1] = "pipe:0";
            result.insert(result.begin() + static_cast<std::ptrdiff_t>(i + 2), streams.begin(),
                          streams.end());
            result.insert(result.begin() + static_cast<std::ptrdiff_t>(i), input.begin(),
                          input.end());
            break;
        }
    }
    return result;
}

} // namespace vc::tool
