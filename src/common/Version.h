#pragma once

#include <QString>

namespace vc {

// The release, from the build's project version.
QString programVersion();

} // namespace vc
