#include "Probe.h"

#include "Arguments.h"
#include "Child.h"
#include "DiscArguments.h"
#include "Text.h"
#include "TitleListing.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/display.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vc::tool {

namespace {

// The reader takes the first "x" after "Video:" for the frame size separator.
std::string upperX(const char* name) {
    std::string text = name ? name : "unknown";
    std::replace(text.begin(), text.end(), 'x', 'X');
    return text;
}

// Fields are comma-separated, so a value must never carry a comma of its own.
std::string noCommas(std::string text) {
    std::replace(text.begin(), text.end(), ',', '+');
    return text;
}

std::int64_t streamBitRate(const AVStream* stream) {
    const AVCodecParameters* par = stream->codecpar;
    if (par->codec_type == AVMEDIA_TYPE_AUDIO) {
        // Like ffmpeg: a fixed sample size decides the rate whatever the header says.
        const int bits = av_get_bits_per_sample(par->codec_id);
        if (bits > 0 && par->sample_rate > 0 && par->ch_layout.nb_channels > 0)
            return std::int64_t{bits} * par->sample_rate * par->ch_layout.nb_channels;
    }
    // MPEG-1/2 video headers carry an all-ones rate to say "variable".
    constexpr std::int64_t variableMpegRate = 0x3FFFF * 400;
    const bool mpegVideo =
        par->codec_id == AV_CODEC_ID_MPEG1VIDEO || par->codec_id == AV_CODEC_ID_MPEG2VIDEO;
    if (par->bit_rate > 0 && !(mpegVideo && par->bit_rate == variableMpegRate))
        return par->bit_rate;
    // Matroska keeps per-track statistics as tags ("BPS", "BPS-eng").
    if (const AVDictionaryEntry* tag =
            av_dict_get(stream->metadata, "BPS", nullptr, AV_DICT_IGNORE_SUFFIX))
        return std::strtoll(tag->value, nullptr, 10);
    return 0;
}

// A stream cannot take more than the whole file, nor anything like a million kb/s: such a
// figure is a broken header or tag, and the reader falls back to the total when none is given.
void addBitRate(Text& text, const AVStream* stream, std::int64_t total) {
    constexpr std::int64_t Impossible = std::int64_t{1000000} * 1000;
    const std::int64_t rate = streamBitRate(stream);
    if (rate > 0 && rate <= Impossible && (total <= 0 || rate <= total))
        text.add(", %" PRId64 " kb/s", rate / 1000);
}

std::string channelLayout(const AVCodecParameters* par) {
    AVChannelLayout layout{};
    if (par->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&layout, par->ch_layout.nb_channels);
    else
        av_channel_layout_copy(&layout, &par->ch_layout);
    char name[128] = "";
    if (layout.nb_channels <= 0 || av_channel_layout_describe(&layout, name, sizeof name) < 0)
        std::snprintf(name, sizeof name, "%d channels", par->ch_layout.nb_channels);
    av_channel_layout_uninit(&layout);
    return noCommas(name);
}

// The stream's language tag when it is a plain code: it stands in brackets on the line, so
// nothing else may pass.
std::string languageTag(const AVStream* stream) {
    const AVDictionaryEntry* tag = av_dict_get(stream->metadata, "language", nullptr, 0);
    if (!tag || !*tag->value)
        return {};
    const std::string code = tag->value;
    const bool plain = code.size() <= 16 && std::all_of(code.begin(), code.end(), [](char c) {
                           return std::isalnum(static_cast<unsigned char>(c)) || c == '-';
                       });
    return plain ? code : std::string();
}

// Phones record upright clips as landscape frames with a display matrix turning them; the
// size as shown is what every size rule must see, and ffmpeg turns the picture before
// our filters.
bool turnedSideways(const AVStream* stream) {
    const auto* matrix = reinterpret_cast<const std::int32_t*>(
        av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr));
    if (!matrix)
        return false;
    const double angle = av_display_rotation_get(matrix);
    if (std::isnan(angle))
        return false;
    const long quarter = std::lround(std::fabs(angle) / 90.0);
    return quarter % 2 == 1;
}

void describeStream(Text& text, const AVStream* stream, std::int64_t total) {
    const AVCodecParameters* par = stream->codecpar;
    const std::string codec = upperX(avcodec_get_name(par->codec_id));
    text.add("    Stream #0.%d", stream->index);
    if (const std::string language = languageTag(stream); !language.empty())
        text.add("(%s)", language.c_str());
    text.add(": ");
    switch (par->codec_type) {
    case AVMEDIA_TYPE_VIDEO: {
        // Cover art in audio files would otherwise pass for the file's video.
        if (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) {
            text.add("Attached picture: %s, %dx%d", codec.c_str(), par->width, par->height);
            break;
        }
        const auto format = static_cast<AVPixelFormat>(par->format);
        const std::string pixels = upperX(av_get_pix_fmt_name(format));
        const bool sideways = turnedSideways(stream);
        text.add("Video: %s, %s, %dx%d", codec.c_str(), pixels.c_str(),
                 sideways ? par->height : par->width, sideways ? par->width : par->height);
        addBitRate(text, stream, total);
        AVRational rate = stream->avg_frame_rate;
        if (rate.num <= 0 || rate.den <= 0)
            rate = stream->r_frame_rate;
        if (rate.num > 0 && rate.den > 0)
            text.add(", %.2f tb(r)", av_q2d(rate));
        break;
    }
    case AVMEDIA_TYPE_AUDIO:
        text.add("Audio: %s, %d Hz, %s", codec.c_str(), par->sample_rate,
                 channelLayout(par).c_str());
        addBitRate(text, stream, total);
        break;
    case AVMEDIA_TYPE_SUBTITLE:
        text.add("Subtitle: %s", codec.c_str());
        break;
    case AVMEDIA_TYPE_DATA:
        text.add("Data: %s", codec.c_str());
        break;
    case AVMEDIA_TYPE_ATTACHMENT:
        text.add("Attachment: %s", codec.c_str());
        break;
    default:
        text.add("Unknown: %s", codec.c_str());
        break;
    }
    if (stream->disposition & AV_DISPOSITION_DEFAULT)
        text.add(" (default)");
    text.endLine();
}

std::string describe(const AVFormatContext* context) {
    Text text;
    text.add("Input #0, %s:", context->iformat->name);
    text.endLine();
    text.add("  Duration: ");
    if (context->duration != AV_NOPTS_VALUE) {
        // Rounded to the hundredth the way ffmpeg rounds it.
        std::int64_t duration = context->duration;
        if (duration <= INT64_MAX - 5000)
            duration += 5000;
        const std::int64_t total = duration / AV_TIME_BASE;
        const std::int64_t hundredths = duration % AV_TIME_BASE * 100 / AV_TIME_BASE;
        text.add("%02" PRId64 ":%02" PRId64 ":%02" PRId64 ".%02" PRId64, total / 3600,
                 total / 60 % 60, total % 60, hundredths);
    } else {
        text.add("N/A");
    }
    if (context->start_time != AV_NOPTS_VALUE) {
        const std::int64_t start = context->start_time;
        const std::int64_t whole = start / AV_TIME_BASE;
        const std::int64_t micros = start % AV_TIME_BASE * 1000000 / AV_TIME_BASE;
        text.add(", start: %s%" PRId64 ".%06" PRId64, start < 0 ? "-" : "",
                 whole < 0 ? -whole : whole, micros < 0 ? -micros : micros);
    }
    // A long sparse file is under 1 kb/s, which is still a known rate.
    if (context->bit_rate > 0)
        text.add(", bitrate: %" PRId64 " kb/s", context->bit_rate / 1000);
    else
        text.add(", bitrate: N/A");
    text.endLine();
    for (unsigned i = 0; i < context->nb_streams; ++i)
        describeStream(text, context->streams[i], context->bit_rate);
    return text.str();
}

bool isPicture(const AVStream* stream) {
    return stream->disposition & AV_DISPOSITION_ATTACHED_PIC;
}

// Where the container's index ends, when it reaches past the length the header states: a
// header can lie, the index was written from the packets.
std::optional<std::pair<int, std::int64_t>> indexBeyondLength(AVFormatContext* context) {
    const std::int64_t start = context->start_time == AV_NOPTS_VALUE ? 0 : context->start_time;
    // Matroska reads its index (the cues) only when first asked to seek.
    if (std::strstr(context->iformat->name, "matroska"))
        av_seek_frame(context, -1, start + context->duration, AVSEEK_FLAG_BACKWARD);
    std::optional<std::pair<int, std::int64_t>> beyond;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        AVStream* stream = context->streams[i];
        const int count = avformat_index_get_entries_count(stream);
        const AVIndexEntry* last =
            count > 0 ? avformat_index_get_entry(stream, count - 1) : nullptr;
        if (!last || isPicture(stream))
            continue;
        const std::int64_t at = av_rescale_q(last->timestamp, stream->time_base, AV_TIME_BASE_Q);
        if (at - start > context->duration + AV_TIME_BASE && (!beyond || at > beyond->second))
            beyond = std::pair{static_cast<int>(i), last->timestamp};
    }
    return beyond;
}

// A length that is missing (raw streams, recordings whose writer never went back to fill it
// in), guessed from the first frame's bit rate (MP3 without an index, ADTS) or stated short of
// the index is measured from the packets: the end of the last one, or for streams without
// timestamps their video frames at the stream's frame rate. Past a few seconds of reading,
// the rest is reckoned from the share of the file read.
void measureLength(AVFormatContext* context) {
    if (!context->pb)
        return;
    std::optional<std::pair<int, std::int64_t>> beyond;
    if (context->duration != AV_NOPTS_VALUE &&
        context->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE &&
        !(beyond = indexBeyondLength(context)))
        return;
    // Only the part past the index's last entry is read then.
    if (beyond && av_seek_frame(context, beyond->first, beyond->second, AVSEEK_FLAG_BACKWARD) < 0)
        return;
    int video = -1;
    double rate = 0;
    for (unsigned i = 0; i < context->nb_streams && video < 0; ++i) {
        const AVStream* stream = context->streams[i];
        if (stream->codecpar->codec_type != AVMEDIA_TYPE_VIDEO || isPicture(stream))
            continue;
        AVRational fps = stream->avg_frame_rate;
        if (fps.num <= 0 || fps.den <= 0)
            fps = stream->r_frame_rate;
        if (fps.num > 0 && fps.den > 0) {
            video = static_cast<int>(i);
            rate = av_q2d(fps);
        }
    }
    const std::int64_t size = avio_size(context->pb);
    const auto begun = std::chrono::steady_clock::now();
    std::int64_t frames = 0;
    std::int64_t first = AV_NOPTS_VALUE, end = AV_NOPTS_VALUE;
    double share = 1;
    AVPacket* packet = av_packet_alloc();
    while (packet && av_read_frame(context, packet) >= 0) {
        const AVStream* stream = context->streams[packet->stream_index];
        const std::int64_t at = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (!isPicture(stream) && at != AV_NOPTS_VALUE) {
            const std::int64_t from = av_rescale_q(at, stream->time_base, AV_TIME_BASE_Q);
            const std::int64_t to = av_rescale_q(at + std::max<std::int64_t>(packet->duration, 0),
                                                 stream->time_base, AV_TIME_BASE_Q);
            first = first == AV_NOPTS_VALUE ? from : std::min(first, from);
            end = end == AV_NOPTS_VALUE ? to : std::max(end, to);
        }
        if (packet->stream_index == video)
            ++frames;
        av_packet_unref(packet);
        if (std::chrono::steady_clock::now() - begun > std::chrono::seconds(5)) {
            const std::int64_t read = avio_tell(context->pb);
            if (!beyond && read > 0 && size > read)
                share = static_cast<double>(read) / static_cast<double>(size);
            break;
        }
    }
    av_packet_free(&packet);
    if (context->start_time != AV_NOPTS_VALUE &&
        (beyond || first == AV_NOPTS_VALUE || context->start_time < first))
        first = context->start_time;
    double seconds = 0;
    if (end != AV_NOPTS_VALUE && end > first)
        seconds = static_cast<double>(end - first) / AV_TIME_BASE;
    else if (frames > 0)
        seconds = static_cast<double>(frames) / rate;
    seconds /= share;
    if (!(seconds > 0))
        return;
    context->duration = static_cast<std::int64_t>(seconds * AV_TIME_BASE);
    if (size > 0)
        context->bit_rate = static_cast<std::int64_t>(static_cast<double>(size) * 8 / seconds);
}

// The libraries read the file and found nothing they know in it: not media of any kind they
// recognise, or a container cut off before its first stream.
bool nothingReadable(int code) {
    return code == AVERROR_INVALIDDATA || code == AVERROR_EOF || code == AVERROR(EIO) ||
           code == AVERROR_STREAM_NOT_FOUND;
}

int fail(int code) {
    char message[256] = "";
    if (av_strerror(code, message, sizeof message) < 0)
        std::snprintf(message, sizeof message, "Error %d", code);
    const std::string line = std::string(message) + "\r\n";
    writeAll(STDOUT_FILENO, line.data(), line.size());
    return nothingReadable(code) ? ProbeNothingReadable : 1;
}

// Reads one NUL-ended request; false at the end of the input.
bool readRequest(std::string& path) {
    path.clear();
    for (;;) {
        char c = 0;
        const ssize_t n = ::read(STDIN_FILENO, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        if (c == '\0')
            return true;
        path += c;
    }
}

// What one probe of path writes, and its exit status, from a child of ours.
int probeInChild(const std::string& path, std::string& output) {
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) {
        output = std::string(std::strerror(errno)) + "\r\n";
        return 1;
    }
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // A probe stuck on a file that never answers (a FIFO) must end with us.
        if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent)
            _exit(1);
        ::dup2(pipe[1], STDOUT_FILENO);
        ::dup2(pipe[1], STDERR_FILENO);
        std::signal(SIGPIPE, SIG_DFL);
        _exit(runProbe(path));
    }
    ::close(pipe[1]);
    if (pid < 0) {
        ::close(pipe[0]);
        output = std::string(std::strerror(errno)) + "\r\n";
        return 1;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(pipe[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        output.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipe[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

int runProbeServer() {
    // A caller gone away must end us, not leave us writing into nothing.
    std::signal(SIGPIPE, SIG_DFL);
    const std::string hello = "probe-server 1\n";
    if (!writeAll(STDOUT_FILENO, hello.data(), hello.size()))
        return 1;
    std::string path;
    while (readRequest(path)) {
        std::string output;
        const int status = probeInChild(path, output);
        const std::string head =
            "probe-result " + std::to_string(status) + " " + std::to_string(output.size()) + "\n";
        if (!writeAll(STDOUT_FILENO, head.data(), head.size()) ||
            !writeAll(STDOUT_FILENO, output.data(), output.size()))
            return 1;
    }
    return 0;
}

int runProbe(const std::string& path) {
    if (const std::optional<DvdAddress> address = dvdAddress(path))
        return runDvdProbe(*address);
    // Library chatter on stderr would interleave with the description the caller parses.
    av_log_set_level(AV_LOG_QUIET);
    AVFormatContext* context = nullptr;
    // A still picture's name is a name, not a numbered-sequence pattern.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "pattern_type", "none", 0);
    const int opened = avformat_open_input(&context, literalPath(path).c_str(), nullptr, &options);
    av_dict_free(&options);
    if (opened < 0)
        return fail(opened);
    int result = avformat_find_stream_info(context, nullptr);
    if (result >= 0 && context->nb_streams == 0)
        result = AVERROR_INVALIDDATA;
    if (result >= 0) {
        measureLength(context);
        std::string text = describe(context);
        if (const std::optional<LosslessRates> lossless = losslessRates(context)) {
            Text line;
            line.add("  Lossless sound: %" PRId64 " kb/s mono, %" PRId64 " kb/s stereo",
                     lossless->mono, lossless->stereo);
            line.endLine();
            text += line.str();
        }
        writeAll(STDOUT_FILENO, text.data(), text.size());
    }
    avformat_close_input(&context);
    return result < 0 ? fail(result) : 0;
}

} // namespace vc::tool
