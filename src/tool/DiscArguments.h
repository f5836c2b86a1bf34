#pragma once

#include "Arguments.h"

#include <optional>
#include <string>

namespace vc::tool {

struct DvdTitle;

// A title of a disc as the program names it: "dvd://TITLE/PATH", PATH absolute, naming the
// folder that holds VIDEO_TS, VIDEO_TS itself, an image or a device.
struct DvdAddress {
    int title = 0;
    std::string path;
};
std::optional<DvdAddress> dvdAddress(const std::string& input);

// Tool options that choose a title's streams: the audio and subtitle numbers as listed (from
// 1); no subtitle means none is burned in.
inline constexpr char DvdAudioOption[] = "-dvd-audio";
inline constexpr char DvdSubtitleOption[] = "-dvd-subtitle";

// The ffmpeg arguments of a conversion whose input is a title fed on standard input from
// `skipped` seconds on: the call's "-ss" lessened by what the feed skipped, the chosen audio
// mapped and a chosen subtitle burned in with the disc's palette.
Args dvdFfmpegArgs(const ConvertCall& call, const DvdTitle& title, double skipped, int progressFd);

// The start the call asks for, in seconds (0 without "-ss").
double callStart(const ConvertCall& call);

} // namespace vc::tool
