#include "convert/BatchProgress.h"

#include <gtest/gtest.h>

namespace vc {

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

TEST(BatchProgress, TheBarShowsTheTextsShareAndAPauseStopsTheClock) {
    BatchProgress progress({40, 60});
    progress.setPercent(0, 50); // 20 of 100 media seconds in 10 s
    EXPECT_EQ(progress.barText(10), "20.0% \u00b7 about 00:00:40 left");
    EXPECT_EQ(progress.barValue(), 2000);

    // A minute paused: the time left stands still, and the minute is no converting time.
    progress.setPaused(true, 10);
    EXPECT_EQ(progress.barText(70), "20.0% \u00b7 about 00:00:40 left");
    progress.setPaused(false, 70);
    progress.setPercent(0, 100); // 40 in 20 s
    EXPECT_EQ(progress.barText(80), "40.0% \u00b7 about 00:00:30 left");
    EXPECT_EQ(progress.text(80), "Done 0 of 2, 40.0%, about 00:00:30 left");

    progress.setPercent(1, 33.3); // 59.98 of 100: the bar shows the 59.9 the text does
    EXPECT_EQ(progress.barText(80).left(6), "59.9% ");
    EXPECT_EQ(progress.barValue(), 5990);
}

} // namespace vc
