#pragma once

#include "Arguments.h"

namespace vc::tool {

// Runs ffmpeg for an ordinary conversion or snapshot, turning its machine-readable
// progress into classic status lines on standard output. Gives ffmpeg's exit status.
int runConvert(const ConvertCall& call);

// Converts to an AMR-NB ".amr" file: ffmpeg decodes, the adapter encodes.
int runAmr(const ConvertCall& call);

} // namespace vc::tool
