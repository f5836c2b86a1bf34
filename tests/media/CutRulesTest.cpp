#include "media/CutRules.h"

#include <gtest/gtest.h>

namespace vc {

TEST(CutRules, AnEmptyRangeBecomesTheClipAndAnEndStaysInIt) {
    Tcutinfo cut{100, 50, 50};
    repairCut(cut);
    EXPECT_EQ(cut, (Tcutinfo{100, 0, 100}));
    setCutEnd(cut, 500); // past the clip: clamped
    EXPECT_EQ(cut.cutend, 100);
}

} // namespace vc
