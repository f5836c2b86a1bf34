#pragma once

#include "DiscArguments.h"

#include <string>

namespace vc::tool {

// "--list-titles PATH": the disc's titles with their lengths and streams.
int runListTitles(const std::string& path);

// The probe's description of a title, in the dialect of a file's.
int runDvdProbe(const DvdAddress& address);

} // namespace vc::tool
