#include "convert/Progress.h"
#include "common/ProgressMarker.h"

#include <gtest/gtest.h>

using namespace vc;

TEST(Progress, ReadsWholeSecondsBeforeTheBitrate) {
    EXPECT_EQ(
        reportedSeconds("frame= 250 fps= 50 q=2.0 size= 1024kB time=12.34 bitrate= 900.0kbits/s"),
        12);
    EXPECT_EQ(reportedSeconds("time=   7.00 bitrate=N/A"), 7);
    EXPECT_EQ(reportedSeconds("time=100000.0 bitrate="), 100000);
    // The "." may be found as late as the start of "bitrate=": still no integer.
    EXPECT_EQ(reportedSeconds("time=12 bitrate=1.0"), 0);
}

TEST(Progress, LinesWithoutAUsableReportYieldZero) {
    EXPECT_EQ(reportedSeconds("time=00:00:12.34 bitrate= 900.0kbits/s"), 0);
    EXPECT_EQ(reportedSeconds("bitrate= 900.0kbits/s time=12.34"), 0);
    EXPECT_EQ(reportedSeconds("time=12.34"), 0);
    EXPECT_EQ(reportedSeconds("bitrate=1.0"), 0);
    EXPECT_EQ(reportedSeconds("time=.5 bitrate=1"), 0);
    EXPECT_EQ(reportedSeconds("time=100001.0 bitrate="), 0);
    EXPECT_EQ(reportedSeconds("time=-3.0 bitrate="), 0);
    EXPECT_EQ(reportedSeconds("time=99999999999999999999999.0 bitrate="), 0);
    EXPECT_EQ(reportedSeconds(""), 0);
}

TEST(Progress, ValueAndStatusText) {
    EXPECT_EQ(progressValue(12, 100), 1200);
    EXPECT_EQ(progressValue(91, 90), 10111);
    EXPECT_FALSE(progressValue(5, 0).has_value());
    EXPECT_EQ(progressStatusText(7), "00.07%");
    EXPECT_EQ(progressStatusText(5034), "50.34%");
    EXPECT_EQ(progressStatusText(10000), "100.00%");
    EXPECT_EQ(progressStatusText(10111), "101.11%");
}

TEST(Progress, BarWidthIsCappedAtFull) {
    const QRect start(10, 20, 1, 8);
    EXPECT_EQ(markerRect(start, 447, 0).width(), 0);
    EXPECT_EQ(markerRect(start, 447, 5000).width(), 224); // 223.5 rounds away from zero
    EXPECT_EQ(markerRect(start, 447, 10000).width(), 447);
    EXPECT_EQ(markerRect(start, 447, 10111).width(), 447);
}
