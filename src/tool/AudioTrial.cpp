#include "Probe.h"

#include "Arguments.h"
#include "Child.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace vc::tool {

namespace {

struct Target {
    const AVOutputFormat* format = nullptr;
    const AVCodec* codec = nullptr;
};

struct Setting {
    std::int64_t bitRate = 0; // 0: the encoder's own choice
    int sampleRate = 0;
    int channels = 0;
};

// The encoder ffmpeg would take for "-acodec NAME", or the format's own default.
const AVCodec* audioEncoder(const std::string& name, const AVOutputFormat* format,
                            const std::string& output) {
    if (!name.empty()) {
        if (const AVCodec* codec = avcodec_find_encoder_by_name(name.c_str()))
            return codec;
        const AVCodecDescriptor* descriptor = avcodec_descriptor_get_by_name(name.c_str());
        return descriptor ? avcodec_find_encoder(descriptor->id) : nullptr;
    }
    if (!format)
        return nullptr;
    return avcodec_find_encoder(
        av_guess_codec(format, nullptr, output.c_str(), nullptr, AVMEDIA_TYPE_AUDIO));
}

// The encoder's own layout for a channel count when it keeps a list, as ffmpeg would pick.
bool channelLayout(const AVCodec* codec, int channels, AVChannelLayout& layout) {
    if (!codec->ch_layouts) {
        av_channel_layout_default(&layout, channels);
        return true;
    }
    for (const AVChannelLayout* l = codec->ch_layouts; l->nb_channels > 0; ++l) {
        if (l->nb_channels == channels)
            return av_channel_layout_copy(&layout, l) == 0;
    }
    return false;
}

// The muxer has its own limits (FLV's three rates for MP3), met only when writing a header.
bool headerWrites(const AVOutputFormat* format, const AVCodecContext* encoder) {
    AVFormatContext* context = nullptr;
    if (avformat_alloc_output_context2(&context, format, nullptr, nullptr) < 0)
        return false;
    AVStream* stream = avformat_new_stream(context, nullptr);
    bool written = stream && avcodec_parameters_from_context(stream->codecpar, encoder) >= 0;
    if (written) {
        stream->time_base = encoder->time_base;
        if (!(format->flags & AVFMT_NOFILE))
            written = avio_open_dyn_buf(&context->pb) >= 0;
        written = written && avformat_write_header(context, nullptr) >= 0;
    }
    if (context->pb) {
        std::uint8_t* buffer = nullptr;
        avio_close_dyn_buf(context->pb, &buffer);
        av_free(buffer);
        context->pb = nullptr;
    }
    avformat_free_context(context);
    return written;
}

bool works(const Target& target, const Setting& setting) {
    AVCodecContext* encoder = avcodec_alloc_context3(target.codec);
    if (!encoder)
        return false;
    bool opened = channelLayout(target.codec, setting.channels, encoder->ch_layout);
    if (opened) {
        encoder->sample_fmt =
            target.codec->sample_fmts ? target.codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
        encoder->sample_rate = setting.sampleRate;
        encoder->time_base = {1, setting.sampleRate};
        if (setting.bitRate > 0)
            encoder->bit_rate = setting.bitRate;
        if (target.format && (target.format->flags & AVFMT_GLOBALHEADER))
            encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        opened = avcodec_open2(encoder, target.codec, nullptr) >= 0;
    }
    const bool fits = opened && (!target.format || headerWrites(target.format, encoder));
    avcodec_free_context(&encoder);
    return fits;
}

// The sample rates to try, nearest first: the encoder's own list, or the usual ones.
std::vector<int> sampleRates(const AVCodec* codec, int asked) {
    std::vector<int> rates;
    if (codec->supported_samplerates) {
        for (const int* rate = codec->supported_samplerates; *rate != 0; ++rate)
            rates.push_back(*rate);
    } else {
        rates = {asked, 96000, 88200, 64000, 48000, 44100, 32000,
                 24000, 22050, 16000, 12000, 11025, 8000};
    }
    std::stable_sort(rates.begin(), rates.end(), [asked](int a, int b) {
        const int da = std::abs(a - asked), db = std::abs(b - asked);
        return da != db ? da < db : a > b;
    });
    rates.erase(std::unique(rates.begin(), rates.end()), rates.end());
    return rates;
}

// The bit rates to try, nearest first by proportion: the asked one, then the common ones.
std::vector<std::int64_t> bitRates(std::int64_t asked) {
    std::vector<std::int64_t> rates{8000,   12000,  16000,  24000,  32000,  40000,  48000,  56000,
                                    64000,  80000,  96000,  112000, 128000, 160000, 192000, 224000,
                                    256000, 320000, 384000, 448000, 512000, 576000, 640000};
    const double centre = static_cast<double>(asked > 0 ? asked : 128000);
    std::stable_sort(rates.begin(), rates.end(), [centre](std::int64_t a, std::int64_t b) {
        return std::abs(std::log(static_cast<double>(a) / centre)) <
               std::abs(std::log(static_cast<double>(b) / centre));
    });
    rates.erase(std::remove(rates.begin(), rates.end(), asked), rates.end());
    rates.insert(rates.begin(), asked);
    return rates;
}

// The setting nearest to the asked one that works with the asked channel count: the sample
// rate changes before the bit rate does, as it is no choice of the user's.
std::optional<Setting> nearest(const Target& target, const Setting& asked) {
    for (const int rate : sampleRates(target.codec, asked.sampleRate)) {
        for (const std::int64_t bits : bitRates(asked.bitRate)) {
            Setting found{bits, rate, asked.channels};
            if (!works(target, found))
                continue;
            // The ladder's steps are coarse; close in on the limit between it and the ask.
            if (asked.bitRate > 0 && bits != asked.bitRate) {
                std::int64_t refused = asked.bitRate;
                while (std::abs(found.bitRate - refused) > 1000) {
                    Setting middle = found;
                    middle.bitRate = (found.bitRate + refused) / 2 / 1000 * 1000;
                    if (middle.bitRate == found.bitRate || middle.bitRate == refused)
                        break;
                    if (works(target, middle))
                        found = middle;
                    else
                        refused = middle.bitRate;
                }
            }
            return found;
        }
    }
    return std::nullopt;
}

// The first audio stream's rate and channels stand for what the call leaves unsaid.
bool sourceAudio(const std::string& input, Setting& setting) {
    AVFormatContext* context = nullptr;
    if (avformat_open_input(&context, literalPath(input).c_str(), nullptr, nullptr) < 0)
        return false;
    bool found = false;
    if (avformat_find_stream_info(context, nullptr) >= 0) {
        const int index = av_find_best_stream(context, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        if (index >= 0) {
            const AVCodecParameters* par = context->streams[index]->codecpar;
            if (setting.sampleRate <= 0)
                setting.sampleRate = par->sample_rate > 0 ? par->sample_rate : 44100;
            if (setting.channels <= 0)
                setting.channels = par->ch_layout.nb_channels > 0 ? par->ch_layout.nb_channels : 2;
            found = true;
        }
    }
    avformat_close_input(&context);
    return found;
}

void say(const std::string& line) {
    const std::string text = line + "\n";
    writeAll(STDOUT_FILENO, text.data(), text.size());
}

} // namespace

int runFitAudio(const std::vector<std::string>& args) {
    if (args.size() != 7)
        return 2;
    av_log_set_level(AV_LOG_QUIET);
    const std::string& input = args[0];
    const std::string& output = args[1];
    Setting asked{std::strtoll(args[4].c_str(), nullptr, 10), std::atoi(args[5].c_str()),
                  std::atoi(args[6].c_str())};
    if (!sourceAudio(input, asked)) {
        say("silent");
        return 0;
    }
    Target target;
    target.format =
        av_guess_format(args[2].empty() ? nullptr : args[2].c_str(), output.c_str(), nullptr);
    // A format without sound of its own (a still picture) takes none from the source either.
    if (args[3].empty() && target.format &&
        av_guess_codec(target.format, nullptr, output.c_str(), nullptr, AVMEDIA_TYPE_AUDIO) ==
            AV_CODEC_ID_NONE) {
        say("silent");
        return 0;
    }
    target.codec = audioEncoder(args[3], target.format, output);
    if (!target.codec || asked.sampleRate <= 0 || asked.channels <= 0 ||
        (target.format &&
         avformat_query_codec(target.format, target.codec->id, FF_COMPLIANCE_NORMAL) == 0)) {
        say("none");
        return 0;
    }
    if (const std::optional<Setting> found = nearest(target, asked)) {
        // A rate the call left to ffmpeg stays unsaid when the source's own one works.
        const std::string rate =
            found->sampleRate == asked.sampleRate ? args[5] : std::to_string(found->sampleRate);
        say("fit " + std::to_string(found->bitRate) + " " + rate + " " +
            std::to_string(found->channels));
        return 0;
    }
    // The channel count is the user's own choice: it is not changed, only named as the cause.
    for (int channels = 1; channels <= 8; ++channels) {
        Setting other = asked;
        other.channels = channels;
        if (channels != asked.channels && nearest(target, other)) {
            say("channels");
            return 0;
        }
    }
    say("none");
    return 0;
}

} // namespace vc::tool
