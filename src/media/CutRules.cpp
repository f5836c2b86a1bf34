#include "media/CutRules.h"

#include <algorithm>

namespace vc {

void setCutBegin(Tcutinfo& cut, int seconds) {
    cut.cutbegin = std::clamp(seconds, 0, std::max(0, cut.totalsecs));
    if (cut.cutbegin >= cut.cutend)
        cut.cutend = cut.totalsecs;
    repairCut(cut);
}

void setCutEnd(Tcutinfo& cut, int seconds) {
    cut.cutend = std::clamp(seconds, 0, std::max(0, cut.totalsecs));
    if (cut.cutend <= cut.cutbegin)
        cut.cutbegin = 0;
    repairCut(cut);
}

void repairCut(Tcutinfo& cut) {
    if (cut.cutend <= cut.cutbegin) {
        cut.cutbegin = 0;
        cut.cutend = cut.totalsecs;
    }
}

} // namespace vc
