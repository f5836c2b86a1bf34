#include "cli/BatchProgress.h"

#include <gtest/gtest.h>

namespace vc::cli {

TEST(BatchProgress, WeighsFilesByLengthAndRatesWhatWasConverted) {
    BatchProgress progress({30, 10, 0, 20}); // the third is of unknown length: 20 s, as average
    EXPECT_EQ(progress.text(5), "Done 0 of 4, 0.0%, time left not known yet");

    progress.setPercent(0, 50);
    EXPECT_EQ(progress.text(0.5), "Done 0 of 4, 18.7%, time left not known yet");
    // 15 media seconds in 5 s: the 65 left take 22 s.
    EXPECT_EQ(progress.text(5), "Done 0 of 4, 18.7%, about 00:00:22 left");

    // A failed file is behind us; only what it converted counts toward the rate.
    progress.setPercent(1, 40);
    progress.setEnded(1, false);
    progress.setPercent(1, 90); // late words of an ended run count no more
    progress.setEnded(0, true);
    EXPECT_EQ(progress.text(10), "Done 2 of 4, 50.0%, about 00:00:12 left");

    progress.setPercent(2, 130); // past the length asked for is at the end
    EXPECT_EQ(progress.text(10), "Done 2 of 4, 75.0%, about 00:00:04 left");
}

} // namespace vc::cli
