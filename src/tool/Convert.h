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

// Converts to an AMR-NB ".amr" file written into `fd`: ffmpeg decodes, the adapter encodes.
int runAmr(const ConvertCall& call, int fd);

// Where the tool says, as its last line, under which name the output was kept; control
// characters and the backslash as "\xHH".
inline constexpr char OutputLine[] = "Output file: ";

// A conversion whose output carries no final name while it is written, and takes the asked
// one, or the first free "_n", only when the run ends well or is stopped.
int runWritten(const ConvertCall& call);

} // namespace vc::tool
