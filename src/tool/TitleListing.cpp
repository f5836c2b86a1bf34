#include "TitleListing.h"

#include "Child.h"
#include "DiscIndex.h"
#include "Text.h"

extern "C" {
#include <dvdread/dvd_reader.h>
}

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace vc::tool {

namespace {

std::string clock(double value) {
    const auto hundredths = static_cast<std::int64_t>(std::llround(value * 100));
    const std::int64_t total = hundredths / 100;
    char text[32];
    std::snprintf(text, sizeof text, "%02" PRId64 ":%02" PRId64 ":%02" PRId64 ".%02" PRId64,
                  total / 3600, total / 60 % 60, total % 60, hundredths % 100);
    return text;
}

std::string channelText(int channels) {
    switch (channels) {
    case 1:
        return "Mono";
    case 2:
        return "Stereo";
    case 6:
        return "5.1";
    case 7:
        return "6.1";
    case 8:
        return "7.1";
    default:
        return std::to_string(channels) + " channels";
    }
}

std::string layoutName(int channels) {
    switch (channels) {
    case 1:
        return "mono";
    case 2:
        return "stereo";
    case 6:
        return "5.1";
    default:
        return std::to_string(channels) + " channels";
    }
}

void sayLine(const std::string& sentence) {
    const std::string line = sentence + "\r\n";
    writeAll(STDOUT_FILENO, line.data(), line.size());
}

} // namespace

int runListTitles(const std::string& path) {
    std::string error;
    const std::unique_ptr<DvdDisc> disc = DvdDisc::open(path, error);
    if (!disc) {
        sayLine(error);
        return 1;
    }
    Text text;
    text.add("Disc: %s", disc->volume().c_str());
    text.endLine();
    for (const DvdTitle& title : disc->titles()) {
        text.add("Title %d: %s, %dx%d", title.number, clock(title.seconds).c_str(), title.width,
                 title.height);
        text.endLine();
        for (std::size_t a = 0; a < title.audio.size(); ++a) {
            const DvdAudio& audio = title.audio[a];
            text.add("    Audio %zu: %s, %s, %s", a + 1, audio.language.c_str(),
                     audio.codec.c_str(), channelText(audio.channels).c_str());
            text.endLine();
        }
        for (std::size_t s = 0; s < title.subtitles.size(); ++s) {
            text.add("    Subtitle %zu: %s", s + 1, title.subtitles[s].language.c_str());
            text.endLine();
        }
    }
    writeAll(STDOUT_FILENO, text.str().data(), text.str().size());
    return 0;
}

int runDvdProbe(const DvdAddress& address) {
    std::string error;
    const std::unique_ptr<DvdDisc> disc = DvdDisc::open(address.path, error);
    const DvdTitle* title = disc ? disc->title(address.title) : nullptr;
    if (!title) {
        sayLine(disc ? "The disc has no title " + std::to_string(address.title) + "." : error);
        return 1;
    }
    const double length = std::max(title->seconds, 0.01);
    const auto total = static_cast<std::int64_t>(static_cast<double>(title->sectors) *
                                                 DVD_VIDEO_LB_LEN * 8 / length / 1000);
    Text text;
    text.add("Input #0, mpeg:");
    text.endLine();
    text.add("  Duration: %s, start: 0.000000, bitrate: %" PRId64 " kb/s",
             clock(title->seconds).c_str(), total);
    text.endLine();
    int index = 0;
    text.add("    Stream #0.%d: Video: %s, yuv420p, %dx%d, %.2f tb(r)", index++,
             title->videoCodec.c_str(), title->width, title->height, title->frameRate);
    text.endLine();
    for (const DvdAudio& audio : title->audio) {
        text.add("    Stream #0.%d: Audio: %s, %d Hz, %s", index++, audio.ffmpegCodec.c_str(),
                 audio.sampleRate, layoutName(audio.channels).c_str());
        text.endLine();
    }
    for (std::size_t s = 0; s < title->subtitles.size(); ++s) {
        text.add("    Stream #0.%d: Subtitle: dvd_subtitle", index++);
        text.endLine();
    }
    writeAll(STDOUT_FILENO, text.str().data(), text.str().size());
    return 0;
}

} // namespace vc::tool
