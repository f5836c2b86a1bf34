#include "convert/LineAssembler.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace std::string_literals;

using namespace vc;

namespace {
struct Recorder {
    std::vector<std::string> lines;
    LineAssembler assembler{[this](std::string_view l) {
        lines.emplace_back(l);
    }};
};
} // namespace

TEST(LineAssembler, CarriageReturnOverwritesAndKeepsLongerTail) {
    Recorder r;
    r.assembler.feedPiece("frame=1 time=1.00 long tail\rframe=2 time=2.00\n");
    ASSERT_EQ(r.lines.size(), 2u);
    EXPECT_EQ(r.lines[0], "frame=2 time=2.00 long tail");
    EXPECT_EQ(r.lines[1], ""); // the piece end delivers the fresh, empty line too
}

TEST(LineAssembler, ControlCharacters) {
    Recorder r;
    r.assembler.feedPiece("ab\bX\b\b\b\bY\tZ\0Q\aE\n"s);
    ASSERT_FALSE(r.lines.empty());
    EXPECT_EQ(r.lines[0], "Y        Z Q E"); // the tab overwrote the X
}

TEST(LineAssembler, DeliversCurrentLineAtEveryPieceEnd) {
    Recorder r;
    r.assembler.feedPiece("time=1.99 bitrate=X\r");
    r.assembler.feedPiece("time=2.0");
    r.assembler.feedPiece("0 bitrate=\r");
    EXPECT_EQ(r.lines, (std::vector<std::string>{"time=1.99 bitrate=X", "time=2.09 bitrate=X",
                                                 "time=2.00 bitrate=X"}));
    r.assembler.finish();
    EXPECT_EQ(r.lines.back(), "time=2.00 bitrate=X");
    EXPECT_EQ(r.lines.size(), 4u);
}

TEST(LineAssembler, FinishDeliversOnlyANonEmptyLine) {
    Recorder r;
    r.assembler.feedPiece("done\n");
    const auto before = r.lines.size();
    r.assembler.finish();
    EXPECT_EQ(r.lines.size(), before);
}

TEST(LineAssembler, FeedSplitsIntoPiecesOf1024) {
    Recorder r;
    std::string data(1500, 'a');
    data += "\n";
    r.assembler.feed(data);
    // First piece end shows 1024 characters, second delivers the full line then the empty one.
    ASSERT_EQ(r.lines.size(), 3u);
    EXPECT_EQ(r.lines[0].size(), 1024u);
    EXPECT_EQ(r.lines[1].size(), 1500u);
}

TEST(OutputCollector, GrowsByDoublingThenDropsWhenTooFarBehind) {
    OutputCollector c;
    EXPECT_EQ(c.capacity(), 1024u);
    c.append(std::string(1024, 'a'));
    c.append(std::string(10, 'b'));
    EXPECT_EQ(c.capacity(), 2048u);
    EXPECT_EQ(c.take().size(), 1034u);

    std::string big(OutputCollector::MaxCapacity, 'x');
    c.appendAll(big);
    EXPECT_EQ(c.size(), OutputCollector::MaxCapacity);
    EXPECT_EQ(c.capacity(), OutputCollector::MaxCapacity);
    c.append("tail");
    EXPECT_EQ(c.droppedBytes(), OutputCollector::MaxCapacity);
    EXPECT_EQ(c.take(), "tail");
}
