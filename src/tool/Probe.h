#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct AVFormatContext;

namespace vc::tool {

// The status of a probe whose file the libraries read and found nothing they know in.
inline constexpr int ProbeNothingReadable = 3;

// Prints the classic description of a media file on standard output, every line ended by
// CR LF. A file that is not readable media gets one error line and a non-zero status:
// ProbeNothingReadable when the file was read, 1 for every other failure.
int runProbe(const std::string& path);

// Probes many files for one caller, so the media libraries are loaded once, not per file.
// Writes "probe-server 1" and a line end, then reads paths from standard input, each ended
// by a NUL, and answers each with "probe-result STATUS LENGTH", a line end and LENGTH bytes:
// what runProbe wrote (its standard error included) and its exit status. Each file is probed
// in a child of its own, so a file that crashes the libraries costs only its own probe.
// Ends at the end of its input.
int runProbeServer();

// What FLAC makes of the sound ffmpeg would take from the source, in kbit/s, downmixed to
// one and to two channels: its size depends on the sound itself, which nothing else states.
struct LosslessRates {
    std::int64_t mono = 0;
    std::int64_t stereo = 0;
};
// Reads a few seconds of the sound (moving the context's read position); none without sound
// the libraries can decode.
std::optional<LosslessRates> losslessRates(AVFormatContext* context);

// For register.dat after a failed conversion, with the arguments INPUT OUTPUT FORMAT ENCODER
// BITRATE SAMPLERATE CHANNELS (empty or 0 when the call leaves them to ffmpeg): tries the
// encoder and the muxer and prints one line, "fit BITRATE SAMPLERATE CHANNELS" for the
// nearest setting that works with the channel count, "channels" when only another count
// works, "none" when nothing does, "silent" when the input has no sound to encode.
int runFitAudio(const std::vector<std::string>& args);

} // namespace vc::tool
