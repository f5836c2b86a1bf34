#pragma once

#include "media/SourceRecords.h"

namespace vc {

// Keeps a cut range non-empty and in order. Setting a begin at or past the end moves the end
// to the clip's end; setting an end at or before the begin moves the begin to the start. A
// range that is still empty becomes the whole clip.
void setCutBegin(Tcutinfo& cut, int seconds);
void setCutEnd(Tcutinfo& cut, int seconds);
void repairCut(Tcutinfo& cut);

} // namespace vc
