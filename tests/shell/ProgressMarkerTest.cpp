#include "common/ProgressMarker.h"

#include <gtest/gtest.h>

namespace {

struct RecordingShape : vc::ShapeFacet {
    QRect r;
    int redraws = 0;
    QRect rect() const override { return r; }
    void setRect(const QRect& rect) override { r = rect; }
    void setVisible(bool) override {}
    void redraw() override { ++redraws; }
};

TEST(ProgressMarkerTest, RightEdgeFollowsTheValueUpToTheFullWidth) {
    const QRect start(69, 516, 447, 6);
    struct Case {
        int width;
        std::int64_t value;
        int expected;
    };
    const Case cases[] = {
        {vc::PlayposWidth, 0, 0},          {vc::PlayposWidth, 5000, 101}, // 100.5 rounds up
        {vc::PlayposWidth, 10000, 201},    {vc::PlayposWidth, 12000, 201},
        {vc::ConvertposWidth, 0, 0},       {vc::ConvertposWidth, 5000, 224},
        {vc::ConvertposWidth, 10000, 447}, {vc::ConvertposWidth, 12000, 447},
        {vc::CutplayposWidth, 0, 0},       {vc::CutplayposWidth, 5000, 250},
        {vc::CutplayposWidth, 10000, 500}, {vc::CutplayposWidth, 12000, 500},
        {vc::ConvertposWidth, 1, 0},       {vc::ConvertposWidth, 12, 1}, // 0.5364
        {vc::ConvertposWidth, -50, 0},
    };
    for (const Case& c : cases) {
        const QRect r = vc::markerRect(start, c.width, c.value);
        EXPECT_EQ(r.width(), c.expected) << c.width << " at " << c.value;
        EXPECT_EQ(r.left(), 69);
        EXPECT_EQ(r.top(), 516);
        EXPECT_EQ(r.height(), 6);
    }
}

TEST(ProgressMarkerTest, KeepsTheStartingCornerSoAnEmptyBarGrowsAgain) {
    RecordingShape shape;
    shape.r = QRect(528, 277, 201, 4);
    vc::ProgressMarker marker(&shape, vc::PlayposWidth);
    marker.show(0);
    EXPECT_EQ(shape.r, QRect(528, 277, 0, 4));
    marker.show(10000);
    EXPECT_EQ(shape.r, QRect(528, 277, 201, 4));
    EXPECT_EQ(shape.redraws, 2);

    vc::ProgressMarker none; // no element: nothing to move, nothing to crash
    none.show(5000);
}

} // namespace
