#include "Probe.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <vector>

namespace vc::tool {

namespace {

// The sound taken: all of a short file, else short windows spread over it, since an intro or
// a pause alone would say little about the rest.
constexpr double WindowSeconds = 0.75;
constexpr int Windows = 6;
constexpr std::int64_t WholeSeconds = 6;

double sampleAt(const AVFrame* frame, AVSampleFormat format, int channel, int index) {
    const bool planar = av_sample_fmt_is_planar(format);
    const int channels = frame->ch_layout.nb_channels;
    const std::uint8_t* data = frame->extended_data[planar ? channel : 0];
    const int at = planar ? index : index * channels + channel;
    switch (av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_U8:
        return (data[at] - 128) / 128.0;
    case AV_SAMPLE_FMT_S16:
        return reinterpret_cast<const std::int16_t*>(data)[at] / 32768.0;
    case AV_SAMPLE_FMT_S32:
        return reinterpret_cast<const std::int32_t*>(data)[at] / 2147483648.0;
    case AV_SAMPLE_FMT_S64:
        return static_cast<double>(reinterpret_cast<const std::int64_t*>(data)[at]) /
               9.2233720368547758e18;
    case AV_SAMPLE_FMT_FLT:
        return reinterpret_cast<const float*>(data)[at];
    case AV_SAMPLE_FMT_DBL:
        return reinterpret_cast<const double*>(data)[at];
    default:
        return 0;
    }
}

// The decoded sound as the FLAC encoder would get it from ffmpeg: 16 bits from 8- and 16-bit
// sources, 24 bits (in 32) from every deeper or floating one.
struct Samples {
    bool deep = false;
    int rate = 0;
    std::vector<std::int32_t> mono;
    std::vector<std::int32_t> stereo; // interleaved

    void add(const AVFrame* frame, AVSampleFormat format) {
        const int channels = frame->ch_layout.nb_channels;
        const double scale = deep ? 2147483648.0 : 32768.0;
        const double top = deep ? 2147483647.0 : 32767.0;
        const auto quantise = [&](double x) {
            return static_cast<std::int32_t>(
                std::clamp(std::lrint(x * scale), -std::lrint(scale), static_cast<long>(top)));
        };
        for (int i = 0; i < frame->nb_samples; ++i) {
            double sum = 0;
            for (int c = 0; c < channels; ++c)
                sum += sampleAt(frame, format, c, i);
            const double left = sampleAt(frame, format, 0, i);
            const double right = channels > 1 ? sampleAt(frame, format, 1, i) : left;
            mono.push_back(quantise(sum / channels));
            stereo.push_back(quantise(left));
            stereo.push_back(quantise(right));
        }
    }
};

// Bytes FLAC writes for the samples at its default level; none when it cannot encode them.
std::optional<std::int64_t> flacBytes(const std::vector<std::int32_t>& samples, int channels,
                                      int rate, bool deep) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_FLAC);
    AVCodecContext* encoder = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (!encoder)
        return std::nullopt;
    encoder->sample_fmt = deep ? AV_SAMPLE_FMT_S32 : AV_SAMPLE_FMT_S16;
    encoder->bits_per_raw_sample = deep ? 24 : 16;
    encoder->sample_rate = rate;
    encoder->time_base = {1, rate};
    av_channel_layout_default(&encoder->ch_layout, channels);
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    std::optional<std::int64_t> bytes;
    if (frame && packet && avcodec_open2(encoder, codec, nullptr) >= 0) {
        bytes = 0;
        const std::size_t total = samples.size() / static_cast<std::size_t>(channels);
        const std::size_t step = static_cast<std::size_t>(std::max(encoder->frame_size, 1));
        bool failed = false;
        for (std::size_t at = 0; at <= total && !failed; at += step) {
            const bool last = at >= total;
            if (!last) {
                av_frame_unref(frame);
                frame->format = encoder->sample_fmt;
                frame->sample_rate = rate;
                frame->nb_samples = static_cast<int>(std::min(step, total - at));
                av_channel_layout_copy(&frame->ch_layout, &encoder->ch_layout);
                if (av_frame_get_buffer(frame, 0) < 0)
                    break;
                const std::int32_t* from = samples.data() + at * static_cast<std::size_t>(channels);
                const std::size_t count = static_cast<std::size_t>(frame->nb_samples) *
                                          static_cast<std::size_t>(channels);
                for (std::size_t i = 0; i < count; ++i) {
                    if (deep)
                        reinterpret_cast<std::int32_t*>(frame->data[0])[i] = from[i];
                    else
                        reinterpret_cast<std::int16_t*>(frame->data[0])[i] =
                            static_cast<std::int16_t>(from[i]);
                }
            }
            failed = avcodec_send_frame(encoder, last ? nullptr : frame) < 0;
            while (!failed && avcodec_receive_packet(encoder, packet) >= 0) {
                *bytes += packet->size;
                av_packet_unref(packet);
            }
            if (last)
                break;
        }
        if (failed)
            bytes.reset();
    }
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&encoder);
    return bytes;
}

} // namespace

std::optional<LosslessRates> losslessRates(AVFormatContext* context) {
    const AVCodec* codec = nullptr;
    const int index = av_find_best_stream(context, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (index < 0 || !codec || !context->pb)
        return std::nullopt;
    const AVStream* stream = context->streams[index];
    AVCodecContext* decoder = avcodec_alloc_context3(codec);
    if (!decoder || avcodec_parameters_to_context(decoder, stream->codecpar) < 0 ||
        avcodec_open2(decoder, codec, nullptr) < 0) {
        avcodec_free_context(&decoder);
        return std::nullopt;
    }
    Samples samples;
    samples.rate = decoder->sample_rate;
    const AVSampleFormat packed = av_get_packed_sample_fmt(decoder->sample_fmt);
    samples.deep = packed != AV_SAMPLE_FMT_U8 && packed != AV_SAMPLE_FMT_S16;

    const std::int64_t start = context->start_time == AV_NOPTS_VALUE ? 0 : context->start_time;
    const std::int64_t length = context->duration == AV_NOPTS_VALUE ? 0 : context->duration;
    const bool spread = length > WholeSeconds * AV_TIME_BASE;
    const std::size_t perWindow = static_cast<std::size_t>(WindowSeconds * samples.rate);
    const auto begun = std::chrono::steady_clock::now();
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    for (int w = 0; w < (spread ? Windows : 1) && packet && frame; ++w) {
        if (spread) {
            const std::int64_t at = start + length * (w + 1) / (Windows + 1);
            if (av_seek_frame(context, -1, at, AVSEEK_FLAG_BACKWARD) < 0)
                break;
            avcodec_flush_buffers(decoder);
        }
        const std::size_t wanted =
            samples.mono.size() +
            (spread ? perWindow : static_cast<std::size_t>(WholeSeconds * samples.rate));
        while (samples.mono.size() < wanted && av_read_frame(context, packet) >= 0) {
            const bool ours = packet->stream_index == index;
            if (ours && avcodec_send_packet(decoder, packet) >= 0) {
                while (avcodec_receive_frame(decoder, frame) >= 0) {
                    if (frame->sample_rate == samples.rate && frame->ch_layout.nb_channels > 0)
                        samples.add(frame, static_cast<AVSampleFormat>(frame->format));
                    av_frame_unref(frame);
                }
            }
            av_packet_unref(packet);
            // A slow or stuck demuxer must not hold up the listing.
            if (std::chrono::steady_clock::now() - begun > std::chrono::seconds(2))
                break;
        }
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);

    const double seconds = static_cast<double>(samples.mono.size()) / samples.rate;
    if (samples.rate <= 0 || seconds < 0.25)
        return std::nullopt;
    const auto mono = flacBytes(samples.mono, 1, samples.rate, samples.deep);
    const auto stereo = flacBytes(samples.stereo, 2, samples.rate, samples.deep);
    if (!mono || !stereo)
        return std::nullopt;
    const auto kbps = [&](std::int64_t bytes) {
        return static_cast<std::int64_t>(
            std::lround(static_cast<double>(bytes) * 8 / seconds / 1000));
    };
    return LosslessRates{kbps(*mono), kbps(*stereo)};
}

} // namespace vc::tool
