#pragma once

#include <string>

namespace vc::tool {

// Prints the classic description of a media file on standard output, every line ended by
// CR LF. A file that is not readable media gets one error line and a non-zero status.
int runProbe(const std::string& path);

} // namespace vc::tool
