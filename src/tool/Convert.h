#pragma once

#include "Arguments.h"

#include <string>

namespace vc::tool {

// Runs ffmpeg for an ordinary conversion or snapshot, turning its machine-readable
// progress into classic status lines on standard output. Gives ffmpeg's exit status.
int runConvert(const ConvertCall& call);

// Writes the sentence that says why a run failed as the tool's last line on standard output,
// where the caller looks for it.
void sayLast(const std::string& sentence);

// Converts to an AMR-NB ".amr" file: ffmpeg decodes, the adapter encodes.
int runAmr(const ConvertCall& call);

} // namespace vc::tool
