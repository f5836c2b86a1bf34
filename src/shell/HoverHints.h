#pragma once

#include <QString>

namespace vc {

// The text id of a skin element's hover hint; every unlisted name gets the general hint.
int hintIdFor(const QString& elementName);

// What a screen reader calls an element whose caption does not name it (an icon, "30s"), or
// empty where the caption does.
QString spokenName(const QString& elementName);

// The skin element whose hint describes an image button ("bt_dvdopen": "dvdopen"), or empty.
QString hintElementOf(const QString& buttonName);

} // namespace vc
