#pragma once

#include <QString>

namespace vc::tools {

inline constexpr int ProfileCount = 132;

// The catalogue's display name of a profile number, or empty for the fillers.
QString profileDisplayName(int number);

} // namespace vc::tools
