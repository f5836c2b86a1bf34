#pragma once

#include <optional>
#include <string>

namespace vc::tool {

// Prints the classic description of a media file on standard output, every line ended by
// CR LF. A file that is not readable media gets one error line and a non-zero status.
int runProbe(const std::string& path);

// The playing time of a finished media file in seconds, when its container tells it.
std::optional<double> mediaDuration(const std::string& path);

} // namespace vc::tool
