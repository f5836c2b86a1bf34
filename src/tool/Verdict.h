#pragma once

#include "Arguments.h"
#include "StatusLine.h"

#include <optional>
#include <string>

namespace vc::tool {

// A run's output judged by ffmpeg's last progress report, so that no run that wrote nothing
// of use passes for a conversion and no second process has to read the output back.

// The source as the user knows it: the file name, or a disc title.
std::string sourceName(const ConvertCall& call);

// The length asked for with "-t", if any; without it the input is read to its real end.
std::optional<double> askedLength(const ConvertCall& call);

// The length written: ffmpeg's last time is where the last packet starts, so a picture at a
// known rate counts its frames too.
double writtenSeconds(const ConvertCall& call, const Status& last);

// What a run that ffmpeg ended well lacks, as the sentence to end on: no picture in a video
// output, no sound in a sound-only one, or a length more than half a second off the one
// asked for. Nothing when the output holds what was asked.
std::optional<std::string> missingFromOutput(const ConvertCall& call,
                                             const std::optional<Status>& last);

// ffmpeg ends well although the end of its output could not be written (a full disk).
bool outputUnfinished(const std::string& errors);

// Why ffmpeg failed, as the last line to show: a sentence when the cause is known, otherwise
// ffmpeg's own last error line from `errors`, never a status line.
std::string failureReason(const ConvertCall& call, const std::string& errors);

} // namespace vc::tool
