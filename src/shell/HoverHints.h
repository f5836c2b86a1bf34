#pragma once

#include <QString>

namespace vc {

// The text id of a skin element's hover hint; every unlisted name gets the general hint.
int hintIdFor(const QString& elementName);

} // namespace vc
