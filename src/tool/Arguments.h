#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vc::tool {

using Args = std::vector<std::string>;

// What a conversion call asks for, as far as the adapter must understand it. The options
// themselves stay ffmpeg's business; only the input, the output and a few options that
// change how ffmpeg has to be driven are looked at.
struct ConvertCall {
    Args args;                         // the caller's arguments, program name excluded
    std::optional<std::size_t> input;  // index of the value after the last "-i"
    std::optional<std::size_t> output; // index of the last argument, when it is an output
};

ConvertCall parseCall(const Args& args);

// Lower-case extension of a file name without the dot, "" when there is none.
std::string extensionOf(const std::string& path);

// True when some option of `names` (exact) or one starting with a `prefixes` entry occurs.
bool hasOption(const ConvertCall& call, const std::vector<std::string>& names,
               const std::vector<std::string>& prefixes = {});

// Value of the last occurrence of any of the named options, if any.
std::optional<std::string> optionValue(const ConvertCall& call,
                                       const std::vector<std::string>& names);

// Value of the last occurrence of any of the named options among the output options.
std::optional<std::string> outputOptionValue(const ConvertCall& call,
                                             const std::vector<std::string>& names);

// The call with every output-side occurrence of the named options set to `value`, or with
// `names.front()` and `value` added before the output when none occurs.
ConvertCall withOutputOption(const ConvertCall& call, const std::vector<std::string>& names,
                             const std::string& value);

// A path as ffmpeg must see it so that no name is ever read as an option or a protocol.
std::string literalPath(const std::string& path);

// "00:01:23", "83" or "83.5" as seconds.
std::optional<double> clockSeconds(const std::string& text);

// Bits per second from an ffmpeg rate such as "12200", "12.2k" or "1M".
std::optional<long> parseRate(const std::string& text);

// The ffmpeg argument list for an ordinary conversion: the caller's arguments with the
// paths made literal, an output-side "-ss" moved before the input so that ffmpeg seeks
// instead of decoding everything before the start point (where the container seeks
// exactly; see outputSeek), the defaults Debian's ffmpeg
// lacks filled in, a sized picture fitted into its frame (see fitPicture), and `progressFd`
// receiving the machine-readable progress.
Args ffmpegConvertArgs(const ConvertCall& call, int progressFd);

// The ffmpeg argument list that decodes the call's input to raw 8000 Hz mono s16le on
// standard output, for outputs the adapter encodes itself.
Args ffmpegPcmArgs(const ConvertCall& call);

} // namespace vc::tool
