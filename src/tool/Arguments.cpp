#include "Arguments.h"

#include "PictureFit.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace vc::tool {

ConvertCall parseCall(const Args& args) {
    ConvertCall call;
    call.args = args;
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == "-i") {
            call.input = i + 1;
            ++i;
        }
    }
    if (call.input && args.size() - 1 > *call.input)
        call.output = args.size() - 1;
    return call;
}

std::string extensionOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

namespace {

bool isPath(const ConvertCall& call, std::size_t i) {
    return call.input == i || call.output == i;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::size_t inputCount(const ConvertCall& call) {
    std::size_t count = 0;
    for (std::size_t i = 0; i + 1 < call.args.size(); ++i) {
        if (call.args[i] == "-i" && !isPath(call, i)) {
            ++count;
            ++i;
        }
    }
    return count;
}

// Where an output-side "-ss" goes. Most containers seek exactly, so it moves before the
// input and ffmpeg seeks instead of decoding everything before the start. Raw elementary
// streams cannot be sought at all (ffmpeg then encodes nothing), so theirs stays where it is
// and ffmpeg decodes its way there. FLV, MPEG transport and program streams seek by their
// timestamps without an index and may land past the start or lose sound after it: the seek
// goes to a while before the start and the decoding does the rest.
struct Seek {
    std::size_t index = 0; // of the output-side "-ss"
    std::optional<std::string> before;
    std::optional<std::string> after;
};

std::optional<Seek> outputSeek(const ConvertCall& call) {
    if (!call.input || !call.output || inputCount(call) != 1)
        return std::nullopt;
    std::optional<std::size_t> found;
    for (std::size_t i = *call.input + 1; i + 1 < *call.output; ++i) {
        if (call.args[i] == "-ss")
            found = i;
    }
    if (!found)
        return std::nullopt;
    static const std::vector<std::string> raw{"h264", "264", "mjpg", "mjpeg"};
    static const std::vector<std::string> loose{"flv", "f4v", "ts",  "m2ts", "mts", "m2t",
                                                "tp",  "trp", "mpg", "mpeg", "vob", "mod",
                                                "tod", "vro", "m2p", "ps"};
    const std::string ext = extensionOf(call.args[*call.input]);
    const std::string& start = call.args[*found + 1];
    Seek seek{*found, start, std::nullopt};
    if (std::find(raw.begin(), raw.end(), ext) != raw.end())
        return std::nullopt;
    if (std::find(loose.begin(), loose.end(), ext) == loose.end())
        return seek;
    constexpr double Margin = 10; // decoded: longer than the key frame spacing of recordings
    const std::optional<double> seconds = clockSeconds(start);
    if (!seconds || *seconds <= Margin)
        return std::nullopt;
    seek.before = std::to_string(*seconds - Margin);
    seek.after = std::to_string(Margin);
    return seek;
}

// Options in front of every ffmpeg run. Its informational messages end with a report that
// gives the time as a clock ("time=00:00:10.00"), which the caller must never see; warnings
// and errors still pass through.
Args commonOptions(const ConvertCall& call) {
    Args result{"-nostdin", "-hide_banner", "-nostats"};
    if (!hasOption(call, {"-loglevel", "-v"}))
        result.insert(result.end(), {"-loglevel", "warning"});
    return result;
}

// Everything ffmpeg needs up to (not including) the output path, less the output options
// named in `dropped` (each with its value).
Args withoutOutput(const ConvertCall& call, const std::vector<std::string>& dropped = {}) {
    Args result = commonOptions(call);
    const std::optional<Seek> seek = outputSeek(call);
    const std::size_t end = call.output.value_or(call.args.size());
    for (std::size_t i = 0; i < end; ++i) {
        if (seek && i == seek->index && seek->after) {
            result.insert(result.end(), {"-ss", *seek->after});
            ++i;
            continue;
        }
        if (seek && (i == seek->index || i == seek->index + 1))
            continue;
        if (call.input && i > *call.input && i + 1 < end &&
            std::find(dropped.begin(), dropped.end(), call.args[i]) != dropped.end()) {
            ++i;
            continue;
        }
        if (call.input && i + 1 == *call.input && seek) {
            result.push_back("-ss");
            result.push_back(*seek->before);
        }
        if (call.input == i)
            result.push_back(literalPath(call.args[i]));
        else if (call.args[i] == "-b")
            result.push_back("-b:v"); // what ffmpeg makes of it anyway, minus the warning
        else
            result.push_back(call.args[i]);
    }
    return result;
}

} // namespace

bool hasOption(const ConvertCall& call, const std::vector<std::string>& names,
               const std::vector<std::string>& prefixes) {
    for (std::size_t i = 0; i < call.args.size(); ++i) {
        if (isPath(call, i))
            continue;
        const std::string& arg = call.args[i];
        if (std::find(names.begin(), names.end(), arg) != names.end())
            return true;
        for (const std::string& prefix : prefixes) {
            if (startsWith(arg, prefix))
                return true;
        }
    }
    return false;
}

std::optional<std::string> optionValue(const ConvertCall& call,
                                       const std::vector<std::string>& names) {
    const std::size_t end = call.output.value_or(call.args.size());
    std::optional<std::string> value;
    for (std::size_t i = 0; i + 1 < end; ++i) {
        if (!isPath(call, i) && std::find(names.begin(), names.end(), call.args[i]) != names.end())
            value = call.args[i + 1];
    }
    return value;
}

std::optional<std::string> outputOptionValue(const ConvertCall& call,
                                             const std::vector<std::string>& names) {
    if (!call.input || !call.output)
        return std::nullopt;
    std::optional<std::string> value;
    for (std::size_t i = *call.input + 1; i + 1 < *call.output; ++i) {
        if (std::find(names.begin(), names.end(), call.args[i]) != names.end())
            value = call.args[++i];
    }
    return value;
}

ConvertCall withOutputOption(const ConvertCall& call, const std::vector<std::string>& names,
                             const std::string& value) {
    if (!call.input || !call.output)
        return call;
    Args args = call.args;
    bool found = false;
    for (std::size_t i = *call.input + 1; i + 1 < *call.output; ++i) {
        if (std::find(names.begin(), names.end(), args[i]) != names.end()) {
            args[++i] = value;
            found = true;
        }
    }
    if (!found)
        args.insert(args.begin() + static_cast<std::ptrdiff_t>(*call.output),
                    {names.front(), value});
    return parseCall(args);
}

std::string literalPath(const std::string& path) {
    return "file:" + path;
}

std::optional<double> clockSeconds(const std::string& text) {
    double seconds = 0;
    std::size_t from = 0;
    for (int part = 0; part < 3 && from <= text.size(); ++part) {
        const std::size_t colon = text.find(':', from);
        const std::string piece = text.substr(from, colon - from);
        char* end = nullptr;
        const double value = std::strtod(piece.c_str(), &end);
        if (piece.empty() || end != piece.c_str() + piece.size())
            return std::nullopt;
        seconds = seconds * 60 + value;
        if (colon == std::string::npos)
            return seconds;
        from = colon + 1;
    }
    return std::nullopt;
}

std::optional<long> parseRate(const std::string& text) {
    if (text.empty())
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || end == text.c_str())
        return std::nullopt;
    const std::string suffix(end);
    if (suffix == "k" || suffix == "K")
        value *= 1000;
    else if (suffix == "M")
        value *= 1000000;
    else if (!suffix.empty())
        return std::nullopt;
    if (!std::isfinite(value) || value < 0 || value > 1e12)
        return std::nullopt;
    return std::lround(value);
}

namespace {

// Opus codes at five sample rates only, and is played back at 48 kHz whatever it was coded at;
// asked for another, the encoder would fail the run and the audio fit would start it again.
ConvertCall withOpusRate(const ConvertCall& call) {
    if (outputOptionValue(call, {"-acodec", "-c:a", "-codec:a"}) != "libopus")
        return call;
    static const std::vector<std::string> opusRates{"48000", "24000", "16000", "12000", "8000"};
    const std::optional<std::string> rate = outputOptionValue(call, {"-ar"});
    if (!rate || std::find(opusRates.begin(), opusRates.end(), *rate) != opusRates.end())
        return call;
    return withOutputOption(call, {"-ar"}, "48000");
}

// RealMedia takes no packet over 64 kB, and RealVideo gives a large picture's frames more than
// that at any rate (a 1080p phone clip's first frame alone takes 89 kB), so a kept source rate
// always failed. The rate buffer is held to 60 kB, which no frame may outgrow, and the rate to
// what frames of that size carry at the output's frame rate.
ConvertCall withRealVideoRate(const ConvertCall& call) {
    const std::string codec = outputOptionValue(call, {"-vcodec", "-c:v", "-codec:v"}).value_or("");
    const bool realMedia = call.output && extensionOf(call.args[*call.output]) == "rm";
    if (!(codec == "rv10" || codec == "rv20" || (codec.empty() && realMedia)) ||
        hasOption(call, {"-vn", "-bufsize", "-maxrate"}))
        return call;
    constexpr long Buffer = 480000;
    const std::optional<std::string> fps = outputOptionValue(call, {"-r"});
    const double rate = fps ? std::atof(fps->c_str()) : 0;
    const long most = std::lround(Buffer * (rate > 0 ? rate : 25));
    ConvertCall fitted = withOutputOption(call, {"-maxrate"}, std::to_string(most));
    fitted = withOutputOption(fitted, {"-bufsize"}, std::to_string(Buffer));
    const std::optional<std::string> asked = outputOptionValue(call, {"-b", "-b:v"});
    const std::optional<long> bits = asked ? parseRate(*asked) : std::nullopt;
    if (bits && *bits > most)
        fitted = withOutputOption(fitted, {"-b", "-b:v"}, std::to_string(most));
    return fitted;
}

std::optional<long> outputRate(const ConvertCall& call, const std::vector<std::string>& names) {
    const std::optional<std::string> text = outputOptionValue(call, names);
    return text ? parseRate(*text) : std::nullopt;
}

ConvertCall withOption(const ConvertCall& call, const std::string& name, const std::string& value) {
    return hasOption(call, {name}) ? call : withOutputOption(call, {name}, value);
}

// Encoders that stray from the rate they are given, so the size shown before converting is
// the size written: Vorbis manages its rate only when bounds are given, Opus' free VBR spends
// what speech does not need elsewhere, SVT-AV1 overshoots by a quarter by default, and the
// older MPEG encoders restart at a costly key frame every 12 frames, which low rates cannot
// afford; MPEG-1 and -2 also get the rate buffer their streams declare.
ConvertCall withRateControl(const ConvertCall& asked) {
    ConvertCall call = asked;
    const std::string audio = outputOptionValue(call, {"-acodec", "-c:a", "-codec:a"}).value_or("");
    if (const std::optional<long> rate = outputRate(call, {"-ab", "-b:a"})) {
        if (audio == "libvorbis" && !hasOption(call, {"-minrate:a", "-maxrate:a"})) {
            call = withOutputOption(call, {"-minrate:a"}, std::to_string(*rate * 95 / 100));
            call = withOutputOption(call, {"-maxrate:a"}, std::to_string(*rate * 105 / 100));
        }
        if (audio == "libopus")
            call = withOption(call, "-vbr:a", "off");
    }
    const std::optional<long> rate = outputRate(call, {"-b", "-b:v"});
    if (!rate || hasOption(call, {"-vn", "-target"}))
        return call;
    std::string video = outputOptionValue(call, {"-vcodec", "-c:v", "-codec:v"}).value_or("");
    const std::string ext = call.output ? extensionOf(call.args[*call.output]) : "";
    if (video.empty() && (ext == "3gp" || ext == "3g2"))
        video = "mpeg4"; // or H.263, which the tool picks for them alike
    static const std::vector<std::string> older{"mpeg4", "msmpeg4",    "msmpeg4v2", "msmpeg4v3",
                                                "wmv1",  "wmv2",       "h263",      "h263p",
                                                "flv",   "mpeg1video", "mpeg2video"};
    const bool mpeg12 = video == "mpeg1video" || video == "mpeg2video";
    if (std::find(older.begin(), older.end(), video) != older.end()) {
        call = withOption(call, "-g", mpeg12 ? "100" : "250");
        // Their default tolerance, 4 Mbit, lets a low rate run a quarter over; at calm
        // footage's finest quantiser they left most of a high rate unspent.
        call = withOption(call, "-bt", std::to_string(*rate / 2));
        call = withOption(call, "-qmin", "1");
        call = withOption(call, "-lmin", "1");
        call = withOption(call, "-mblmin", "1");
    }
    if (mpeg12 && !hasOption(call, {"-maxrate", "-bufsize"})) {
        call = withOutputOption(call, {"-maxrate"}, std::to_string(*rate * 2));
        call = withOutputOption(call, {"-bufsize"}, std::to_string(*rate * 2));
    }
    // VP9 in real time runs a third over in its variable mode, and its default six-second
    // buffer lets a short clip start that far over; constant rate with a one-second buffer
    // writes the rate at the same picture.
    if (video == "libvpx-vp9" && !hasOption(call, {"-minrate", "-maxrate", "-bufsize", "-crf"})) {
        call = withOutputOption(call, {"-minrate"}, std::to_string(*rate));
        call = withOutputOption(call, {"-maxrate"}, std::to_string(*rate));
        call = withOutputOption(call, {"-bufsize"}, std::to_string(*rate));
        call = withOption(call, "-rc_init_occupancy", std::to_string(*rate * 3 / 4));
    }
    if (video == "libsvtav1")
        call = withOption(call, "-svtav1-params", "overshoot-pct=10");
    return call;
}

} // namespace

Args ffmpegConvertArgs(const ConvertCall& asked, int progressFd) {
    const ConvertCall call = withRateControl(withRealVideoRate(withOpusRate(asked)));
    const std::optional<PictureFit> picture = fitPicture(call);
    Args result = withoutOutput(call, picture ? picture->dropped : Args{});
    result.insert(result.begin(), {"-progress", "pipe:" + std::to_string(progressFd)});
    if (!call.output)
        return result;
    const std::string& output = call.args[*call.output];

    // A single picture written under a fixed name; without this ffmpeg refuses the
    // second frame instead of stopping after the first.
    if (outputOptionValue(call, {"-f"}) == "image2")
        result.insert(result.end(), {"-frames:v", "1", "-update", "1"});

    const std::string ext = extensionOf(output);
    // The MP3 encoder's delay gives sound a negative start; AVI's muxer shifts every stream to
    // make up for it, which leaves an empty frame slot after the first picture.
    if (ext == "avi" && !hasOption(call, {"-avoid_negative_ts"}))
        result.insert(result.end(), {"-avoid_negative_ts", "disabled"});
    if (ext == "3gp" || ext == "3g2") {
        // The 3GPP muxers default to AMR-NB audio, which Debian's ffmpeg cannot encode.
        if (!hasOption(call, {"-acodec", "-c", "-codec", "-an"}, {"-c:a", "-codec:a"}))
            result.insert(result.end(), {"-c:a", "aac"});
        // Their default H.263 video knows five frame sizes only; MPEG-4 takes any.
        static const std::vector<std::string> h263Sizes{
            "128x96", "176x144", "352x288", "704x576", "1408x1152",
            "sqcif",  "qcif",    "cif",     "4cif",    "16cif"};
        const std::optional<std::string> size = outputOptionValue(call, {"-s"});
        const bool h263Size =
            size && std::find(h263Sizes.begin(), h263Sizes.end(), *size) != h263Sizes.end();
        if (!h263Size && !hasOption(call, {"-vcodec", "-c", "-codec", "-vn"}, {"-c:v", "-codec:v"}))
            result.insert(result.end(), {"-c:v", "mpeg4"});
    }

    if (picture)
        result.insert(result.end(), picture->added.begin(), picture->added.end());
    result.push_back(literalPath(output));
    return result;
}

Args ffmpegPcmArgs(const ConvertCall& call) {
    // The caller's sound format options were meant for the encoder, which is ours now.
    Args result =
        withoutOutput(call, {"-f", "-acodec", "-c:a", "-codec:a", "-ar", "-ac", "-ab", "-b:a",
                             "-vcodec", "-c:v", "-b", "-b:v", "-s", "-r", "-aspect"});
    result.insert(result.end(), {"-vn", "-sn", "-dn", "-f", "s16le", "-c:a", "pcm_s16le", "-ar",
                                 "8000", "-ac", "1", "pipe:1"});
    return result;
}

} // namespace vc::tool
