#include "SourceFit.h"

#include "DiscArguments.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace vc::tool {

namespace {

using Kind = SourceStream::Kind;

// Deinterlaces only frames flagged interlaced, one frame out for each in.
constexpr char Deinterlace[] = "bwdif=mode=send_frame:deint=interlaced";
// Silence before sound that starts late, so that it keeps its place beside the picture.
constexpr char SoundInPlace[] = "aresample=async=1:first_pts=0";

std::optional<std::size_t> chosen(const ConvertCall& call, const char* option) {
    const std::optional<std::string> value = optionValue(call, {option});
    if (!value)
        return std::nullopt;
    char* end = nullptr;
    const long number = std::strtol(value->c_str(), &end, 10);
    if (end == value->c_str() || *end != '\0' || number < 1 || number > 9999)
        return std::nullopt;
    return static_cast<std::size_t>(number - 1);
}

ConvertCall without(const ConvertCall& call, const std::vector<std::string>& withValue,
                    const std::vector<std::string>& flags = {}) {
    Args args;
    for (std::size_t i = 0; i < call.args.size(); ++i) {
        const std::string& arg = call.args[i];
        const bool path = call.input == i || call.output == i;
        if (!path && std::find(flags.begin(), flags.end(), arg) != flags.end())
            continue;
        if (!path && i + 1 < call.args.size() && call.output != i + 1 &&
            std::find(withValue.begin(), withValue.end(), arg) != withValue.end()) {
            ++i;
            continue;
        }
        args.push_back(arg);
    }
    return parseCall(args);
}

ConvertCall withOptions(const ConvertCall& call, const Args& options) {
    if (!call.output || options.empty())
        return call;
    Args args = call.args;
    args.insert(args.begin() + static_cast<std::ptrdiff_t>(*call.output), options.begin(),
                options.end());
    return parseCall(args);
}

// The caller's own filters of a kind, after `first`.
ConvertCall withFiltersFirst(const ConvertCall& call, const std::vector<std::string>& names,
                             const std::string& first) {
    if (first.empty())
        return call;
    const std::optional<std::string> own = outputOptionValue(call, names);
    return withOutputOption(call, names, own ? first + "," + *own : first);
}

// Every character but letters and digits escaped, for ffmpeg's option and graph parsers.
std::string literal(const std::string& text) {
    std::string result;
    for (const char c : text) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            result += '\\';
        result += c;
    }
    return result;
}

std::string decimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

bool soundFormat(const std::string& ext) {
    static const std::vector<std::string> sound{"mp3",  "wav", "aac", "ac3", "ogg", "oga",  "opus",
                                                "flac", "wma", "m4a", "mp2", "aif", "aiff", "au",
                                                "ra",   "amr", "wv",  "mka", "caf", "m4b",  "weba"};
    return std::find(sound.begin(), sound.end(), ext) != sound.end();
}

// Sound formats that carry a cover picture.
bool coverFormat(const std::string& ext) {
    return ext == "mp3" || ext == "m4a" || ext == "flac";
}

bool bitmapSubtitle(const std::string& codec) {
    return codec == "dvd_subtitle" || codec == "hdmv_pgs_subtitle" || codec == "dvb_subtitle" ||
           codec == "xsub";
}

// Encoders that would keep more than 8 bits of a deep source (no choice: the container's
// default, which for MP4 and Matroska is H.264).
bool keepsDeepPixels(const std::optional<std::string>& codec) {
    static const std::vector<std::string> deep{
        "libx264", "libx264rgb", "libx265", "libvpx-vp9", "libaom-av1", "libsvtav1", "librav1e",
        "prores",  "prores_ks",  "ffv1",    "dnxhd",      "huffyuv",    "ffvhuff"};
    return !codec || std::find(deep.begin(), deep.end(), *codec) != deep.end();
}

// True when the output's picture is 4:2:0 whatever the source's is.
bool halfChroma(const ConvertCall& call) {
    static const std::vector<std::string> encoders{
        "mpeg4", "msmpeg4", "msmpeg4v2", "wmv1",       "wmv2",    "flv",    "rv10",
        "rv20",  "h263",    "h263p",     "mpeg1video", "libxvid", "libvpx", "libtheora"};
    const std::optional<std::string> codec =
        outputOptionValue(call, {"-vcodec", "-c:v", "-codec:v"});
    return outputOptionValue(call, {"-pix_fmt"}) == "yuv420p" || hasOption(call, {"-target"}) ||
           (codec && std::find(encoders.begin(), encoders.end(), *codec) != encoders.end());
}

// Most decoders flag each interlaced frame themselves; lossless capture codecs leave that to
// the container's field order, which then counts for every frame. Chroma with every line
// (4:2:2, DV's 4:1:1) that ends up 4:2:0 is halved first: halved after the deinterlacing,
// its lines would comb again.
std::string deinterlace(const SourceStream* video, const ConvertCall& call) {
    if (!video)
        return Deinterlace;
    static const std::vector<std::string> flagging{"h264",   "hevc",  "mpeg2video", "mpeg1video",
                                                   "mpeg4",  "vc1",   "wmv3",       "dvvideo",
                                                   "prores", "dnxhd", "mjpeg",      "rawvideo"};
    static const std::vector<std::string> fullHeight{"yuv422p", "yuvj422p", "yuv411p", "yuyv422",
                                                     "uyvy422"};
    std::string filters;
    if (std::find(fullHeight.begin(), fullHeight.end(), video->pixelFormat) != fullHeight.end() &&
        halfChroma(call))
        filters = "format=yuv420p,";
    const bool interlaced = !video->fieldOrder.empty() && video->fieldOrder != "progressive";
    if (interlaced && std::find(flagging.begin(), flagging.end(), video->codec) == flagging.end()) {
        // "top coded first (swapped)" shows the bottom field first.
        const bool top =
            video->fieldOrder == "top first" || video->fieldOrder == "bottom coded first (swapped)";
        filters += top ? "setfield=tff," : "setfield=bff,";
    }
    return filters + Deinterlace;
}

bool isHdr(const SourceStream& video) {
    return video.transfer == "smpte2084" || video.transfer == "arib-std-b67";
}

// PQ and HLG brought to BT.709 for SDR screens: linear light, BT.709 primaries, a curve that
// leaves the usual range as it is and rolls the highlights off.
std::string toneMap(const SourceStream& video) {
    const std::string matrix =
        video.matrix.empty() || video.matrix == "unknown" ? "bt2020nc" : video.matrix;
    const std::string primaries =
        video.primaries.empty() || video.primaries == "unknown" ? "bt2020" : video.primaries;
    return "zscale=tin=" + video.transfer + ":min=" + matrix + ":pin=" + primaries +
           ":t=linear:npl=100,format=gbrpf32le,zscale=p=bt709,tonemap=tonemap=mobius,"
           "zscale=t=bt709:m=bt709:r=tv,format=yuv420p";
}

bool seeksInput(const Args& args) {
    for (const std::string& arg : args) {
        if (arg == "-i")
            return false;
        if (arg == "-ss")
            return true;
    }
    return false;
}

// The frames' clock in the graph is the file's less its start and an input-side seek; the
// subtitle filter reads the file's own clock.
std::string textSubtitles(const ConvertCall& call, const SourceFacts& facts, std::size_t index,
                          int progressFd) {
    const double shift =
        facts.start + (seeksInput(ffmpegConvertArgs(call, progressFd)) ? callStart(call) : 0.0);
    const std::string path = literalPath(call.args[*call.input]);
    std::string filter =
        "subtitles=" + literal("filename=" + literal(path) + ":si=" + std::to_string(index));
    if (std::abs(shift) > 0.0005)
        filter = "setpts=PTS+(" + decimal(shift) + ")/TB," + filter + ",setpts=PTS-(" +
                 decimal(shift) + ")/TB";
    return filter;
}

void insertBeforeOutput(Args& args, const Args& options) {
    args.insert(args.end() - 1, options.begin(), options.end());
}

// Takes "-vf X" out of a finished argument list and gives X.
std::string takeVideoFilters(Args& args) {
    for (std::size_t i = 0; i + 2 < args.size(); ++i) {
        if (args[i] == "-vf" || args[i] == "-filter:v") {
            std::string filters = args[i + 1];
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                       args.begin() + static_cast<std::ptrdiff_t>(i + 2));
            return filters;
        }
    }
    return {};
}

std::string discRate(const ConvertCall& call) {
    const std::string target = outputOptionValue(call, {"-target"}).value_or("");
    if (target.rfind("ntsc-", 0) == 0)
        return "30000/1001";
    if (target.rfind("film-", 0) == 0)
        return "24000/1001";
    return "25";
}

// Sound only into a video format: its cover, or a black frame, for as long as the sound lasts.
Args pictureForSound(ConvertCall call, const SourceFacts& facts, std::size_t audio,
                     int progressFd) {
    const std::optional<std::size_t> cover = facts.picture();
    const SourceStream* picture = cover ? facts.nth(Kind::Video, *cover) : nullptr;
    Args added;
    if (!hasOption(call, {"-s", "-target"})) {
        int width = 640;
        int height = 360;
        if (picture && picture->width >= 2 && picture->height >= 2) {
            width = picture->width - picture->width % 2;
            height = picture->height - picture->height % 2;
        }
        added.insert(added.end(), {"-s", std::to_string(width) + "x" + std::to_string(height)});
    }
    const std::optional<std::string> asked = outputOptionValue(call, {"-r"});
    const std::string rate = asked.value_or(discRate(call));
    if (!asked && !hasOption(call, {"-target"}))
        added.insert(added.end(), {"-r", rate});
    Args args = ffmpegConvertArgs(withOptions(call, added), progressFd);
    const std::string fit = takeVideoFilters(args);
    // One picture, fitted once and then repeated; the sound decides where it all ends. The
    // cover comes from the file opened once more without the seek, which would drop it.
    std::string graph;
    if (picture) {
        const auto input = std::find(args.begin(), args.end(), "-i");
        if (input != args.end() && input + 1 != args.end())
            args.insert(input + 2, {"-i", *(input + 1)});
        graph = "[1:v:" + std::to_string(*cover) + "]" + (fit.empty() ? "null" : fit) +
                ",loop=loop=-1:size=1,setpts=N/(" + rate + ")/TB[picture]";
    } else
        graph = "color=c=black:r=" + rate + (fit.empty() ? "" : "," + fit) + "[picture]";
    insertBeforeOutput(args, {"-filter_complex", graph, "-map", "[picture]", "-map",
                              "0:a:" + std::to_string(audio), "-shortest"});
    // Without a length the muxer ends the picture with the sound too, so that it does not run
    // on by what the encoders hold; with one, that would cut the sound short instead.
    if (!hasOption(call, {"-t"}))
        insertBeforeOutput(args, {"-fflags", "+shortest", "-max_interleave_delta", "100M"});
    return args;
}

// Sound into a sound format: the chosen stream, and the cover where the format keeps one.
Args soundOutput(ConvertCall call, const SourceFacts& facts, std::optional<std::size_t> choice,
                 int progressFd) {
    Args added;
    if (choice)
        added.insert(added.end(), {"-map", "0:a:" + std::to_string(*choice)});
    const std::optional<std::size_t> cover = facts.picture();
    if (cover && hasOption(call, {"-vn"}) && coverFormat(extensionOf(call.args[*call.output]))) {
        call = without(call, {}, {"-vn"});
        if (!choice)
            added.insert(added.end(), {"-map", "0:a:" + std::to_string(facts.defaultAudio())});
        const std::string codec = facts.nth(Kind::Video, *cover)->codec;
        added.insert(added.end(), {"-map", "0:v:" + std::to_string(*cover), "-c:v",
                                   codec == "mjpeg" || codec == "png" ? "copy" : "png",
                                   "-disposition:v:0", "attached_pic"});
    }
    return ffmpegConvertArgs(withOptions(call, added), progressFd);
}

struct Output {
    bool still = false;     // one picture
    bool soundOnly = false; // a sound format, or no picture asked for
    bool video = false;     // a picture the tool's filters can work on
    bool sound = false;     // sound the tool's filters can work on
};

Output outputOf(const ConvertCall& call) {
    Output out;
    out.still = outputOptionValue(call, {"-f"}) == "image2";
    out.soundOnly = hasOption(call, {"-vn"}) || soundFormat(extensionOf(call.args[*call.output]));
    out.video = !out.soundOnly && !out.still &&
                outputOptionValue(call, {"-vcodec", "-c:v", "-codec:v"}) != "copy";
    out.sound = !hasOption(call, {"-an"}) && !out.still &&
                outputOptionValue(call, {"-acodec", "-c:a", "-codec:a"}) != "copy";
    return out;
}

ConvertCall withFrameFilters(const ConvertCall& call, const Output& out) {
    ConvertCall result = call;
    if (out.sound)
        result = withFiltersFirst(result, {"-af", "-filter:a"}, SoundInPlace);
    if (out.video)
        result = withFiltersFirst(result, {"-vf", "-filter:v"}, Deinterlace);
    return result;
}

} // namespace

ConvertCall withFrameFilters(const ConvertCall& call) {
    if (!call.input || !call.output || hasOption(call, {"-filter_complex", "-lavfi"}))
        return call;
    return withFrameFilters(call, outputOf(call));
}

Args fittedConvertArgs(const ConvertCall& asked, const SourceFacts& facts, int progressFd) {
    const std::optional<std::size_t> audioChoice = chosen(asked, AudioTrackOption);
    const std::optional<std::size_t> subtitleChoice = chosen(asked, SubtitleTrackOption);
    ConvertCall call = without(asked, {AudioTrackOption, SubtitleTrackOption});
    if (!call.input || !call.output || hasOption(call, {"-filter_complex", "-lavfi", "-map"}))
        return ffmpegConvertArgs(call, progressFd);

    const Output out = outputOf(call);
    if (out.soundOnly)
        return soundOutput(withFrameFilters(call, out), facts, audioChoice, progressFd);

    if (out.sound)
        call = withFiltersFirst(call, {"-af", "-filter:a"}, SoundInPlace);
    const std::size_t audio = audioChoice.value_or(facts.defaultAudio());
    // Only the sound can end a picture made for it.
    if (out.video && out.sound && facts.known && !facts.video() && facts.count(Kind::Audio) > 0)
        return pictureForSound(call, facts, audio, progressFd);

    const SourceStream* video = facts.video();
    std::vector<std::string> first;
    Args added;
    if (out.video)
        first.push_back(deinterlace(video, call));
    if (video && isHdr(*video) && (out.video || out.still)) {
        first.push_back(toneMap(*video));
        added.insert(added.end(), {"-color_primaries", "bt709", "-color_trc", "bt709",
                                   "-colorspace", "bt709", "-color_range", "tv"});
    } else if (out.video && video && deepPixels(video->pixelFormat) &&
               !hasOption(call, {"-pix_fmt"}) &&
               keepsDeepPixels(outputOptionValue(call, {"-vcodec", "-c:v", "-codec:v"}))) {
        added.insert(added.end(), {"-pix_fmt", "yuv420p"});
    }
    if (out.video && video && video->fps > 60 && !hasOption(call, {"-r", "-target"})) {
        double rate = video->fps;
        while (rate > 60)
            rate /= 2;
        added.insert(added.end(), {"-r", decimal(rate)});
    }

    std::optional<std::size_t> bitmap;
    if (subtitleChoice && out.video) {
        const SourceStream* subtitle = facts.nth(Kind::Subtitle, *subtitleChoice);
        if (subtitle && bitmapSubtitle(subtitle->codec))
            bitmap = subtitleChoice;
        else
            first.push_back(textSubtitles(call, facts, *subtitleChoice, progressFd));
    }
    if (audioChoice && !bitmap && out.video)
        added.insert(added.end(), {"-map", "0:V:0", "-map", "0:a:" + std::to_string(audio)});

    std::string prefix;
    for (const std::string& filter : first)
        prefix += (prefix.empty() ? "" : ",") + filter;
    if (!bitmap) {
        call = withFiltersFirst(call, {"-vf", "-filter:v"}, prefix);
        return ffmpegConvertArgs(withOptions(call, added), progressFd);
    }

    // A bitmap subtitle is a picture stream of its own, laid over the video before the frame
    // fit, so that it scales with the picture.
    Args args = ffmpegConvertArgs(withOptions(call, added), progressFd);
    const std::string fit = takeVideoFilters(args);
    const std::string graph = "[0:V:0]" + (prefix.empty() ? "null" : prefix) +
                              "[video];[video][0:s:" + std::to_string(*bitmap) +
                              "]overlay=eof_action=pass" + (fit.empty() ? "" : "," + fit) +
                              "[picture]";
    insertBeforeOutput(args, {"-filter_complex", graph, "-map", "[picture]", "-map",
                              "0:a:" + std::to_string(audio) + (audioChoice ? "" : "?")});
    return args;
}

std::optional<std::string> unmetChoice(const ConvertCall& call, const SourceFacts& facts) {
    if (!facts.known || !call.input || !call.output)
        return std::nullopt;
    const std::string name = std::filesystem::path(call.args[*call.input]).filename().string();
    const std::optional<std::size_t> audio = chosen(call, AudioTrackOption);
    if (audio && *audio >= facts.count(Kind::Audio))
        return name + " has no audio track " + std::to_string(*audio + 1) + ".";
    // A subtitle matters only where it is burned in.
    const std::optional<std::size_t> subtitle = chosen(call, SubtitleTrackOption);
    if (subtitle && *subtitle >= facts.count(Kind::Subtitle) && outputOf(call).video)
        return name + " has no subtitle track " + std::to_string(*subtitle + 1) + ".";
    return std::nullopt;
}

ConvertCall withSoundChoice(const ConvertCall& call) {
    const std::optional<std::size_t> audio = chosen(call, AudioTrackOption);
    const ConvertCall plain = without(call, {AudioTrackOption, SubtitleTrackOption});
    return audio ? withOptions(plain, {"-map", "0:a:" + std::to_string(*audio)}) : plain;
}

} // namespace vc::tool
