#pragma once

#include <QString>

namespace vc {

// The profile a program starts with when the settings hold none, chosen by keywords in its
// lower-cased file name (so "iPod Converter" starts on an iPod profile).
int defaultProfileFor(const QString& programFileName);

} // namespace vc
