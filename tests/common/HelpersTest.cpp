#include "common/Clock.h"
#include "common/Quote.h"
#include "common/Rounding.h"

#include <gtest/gtest.h>

using namespace vc;

TEST(Clock, ParsesByPositionAndRejectsAnyBadPiece) {
    EXPECT_EQ(clockToSeconds("00:01:15"), 75);
    EXPECT_EQ(clockToSeconds("01:00:00.45"), 3600);
    EXPECT_EQ(clockToSeconds("99:59:59"), 99 * 3600 + 59 * 60 + 59);
    // Positions, not separators, decide: any separator character is ignored.
    EXPECT_EQ(clockToSeconds("00-02.03"), 123);
    EXPECT_EQ(clockToSeconds("N/A, sta"), 0);
    EXPECT_EQ(clockToSeconds("00:01:xx"), 0);
    EXPECT_EQ(clockToSeconds("00:01"), 0);
    EXPECT_EQ(clockToSeconds(""), 0);
    EXPECT_EQ(clockToSeconds(" 1:02:03"), 3723); // a leading blank in a piece still reads
}

TEST(Clock, FormatsWithTwoDigitsAndWideHours) {
    EXPECT_EQ(secondsToClock(0), "00:00:00");
    EXPECT_EQ(secondsToClock(75), "00:01:15");
    EXPECT_EQ(secondsToClock(3600 * 123 + 61), "123:01:01");
    EXPECT_EQ(secondsToClock(-5), "00:00:00");
    for (std::int64_t s : {0, 1, 59, 60, 3599, 3600, 86399, 359999})
        EXPECT_EQ(clockToSeconds(secondsToClock(s)), s) << s;
}

TEST(Clock, IntegerReadingFollowsTextFieldRules) {
    std::int64_t v = 0;
    EXPECT_TRUE(parseInteger(u"  42", v));
    EXPECT_EQ(v, 42);
    EXPECT_TRUE(parseInteger(u"-7", v));
    EXPECT_EQ(v, -7);
    EXPECT_FALSE(parseInteger(u"42 ", v));
    EXPECT_FALSE(parseInteger(u"", v));
    EXPECT_FALSE(parseInteger(u"-", v));
    EXPECT_FALSE(parseInteger(u"99999999999999999999", v));
}

TEST(Quote, WrapsExactlyWhenABlankIsPresent) {
    EXPECT_EQ(Q("/a/b.avi"), "/a/b.avi");
    EXPECT_EQ(Q("/my video/b.avi"), "\"/my video/b.avi\"");
    EXPECT_EQ(Q("tab\there"), "tab\there");
    EXPECT_EQ(Q("it's \"x\""), "\"it's \"x\"\"");
    EXPECT_EQ(Q(""), "");
}

TEST(Rounding, MulDivRoundsHalvesAwayFromZero) {
    EXPECT_EQ(mulDivRound(1234, 10000, 100), 123400);
    EXPECT_EQ(mulDivRound(1, 1, 2), 1);
    EXPECT_EQ(mulDivRound(-1, 1, 2), -1);
    EXPECT_EQ(mulDivRound(1, 1, 3), 0);
    EXPECT_EQ(mulDivRound(2, 1, 3), 1);
    EXPECT_EQ(mulDivRound(91, 10000, 90), 10111);
    EXPECT_EQ(mulDivRound(5, 447, 10000), 0);  // 0.2235
    EXPECT_EQ(mulDivRound(12, 447, 10000), 1); // 0.5364
    EXPECT_EQ(mulDivRound(7, -1, 2), -4);
    // The product needs more than 32 bits.
    EXPECT_EQ(mulDivRound(100000, 10000, 3), 333333333);
    EXPECT_EQ(mulDivRound(3'000'000'000LL, 3, 2), 4'500'000'000LL);
    EXPECT_FALSE(mulDivRound(1, 1, 0).has_value());
}

TEST(Rounding, HalfEvenGoesToTheEvenNeighbour) {
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(-3.5), -4);
    EXPECT_EQ(roundHalfEven(2.4999), 2);
    EXPECT_EQ(roundHalfEven(2.5001), 3);
    EXPECT_EQ(roundHalfEven(-0.4), 0);
}
