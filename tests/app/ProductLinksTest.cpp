#include "app/ProductLinks.h"

#include <gtest/gtest.h>

using namespace vc;

TEST(ProductLinks, TheFirstRecordWithTheExactNameWins) {
    const QByteArray data =
        ProductLinks::record("videoconverter", "x", "https://wrong", "https://wrong") +
        ProductLinks::record("VideoConverter", "x", "https://web/1", "https://support/1") +
        ProductLinks::record("VideoConverter", "x", "https://web/2", "https://support/2");
    const auto links = ProductLinks::find(data, "VideoConverter");
    ASSERT_TRUE(links);
    EXPECT_EQ(links->web, "https://web/1");
    EXPECT_EQ(links->support, "https://support/1");
    EXPECT_FALSE(ProductLinks::find(data, "Video"));
    EXPECT_FALSE(ProductLinks::find({}, "VideoConverter"));
}

TEST(ProductLinks, RecordsKeepToTheirFixedAreas) {
    const QByteArray r = ProductLinks::record("iPod Converter", "first", "https://w", "mailto:s@x");
    ASSERT_EQ(r.size(), 484);
    EXPECT_EQ(r[0], 14);
    EXPECT_EQ(r.mid(1, 14), "iPod Converter");
    EXPECT_EQ(r[182], 9);
    EXPECT_EQ(r.mid(183, 9), "https://w");
    EXPECT_EQ(r.mid(334, 10), "mailto:s@x");
    // Over-long texts are cut to the area, never spilling into the next field.
    const QByteArray longName = ProductLinks::record(QString(50, 'n'), {}, "https://w", {});
    EXPECT_EQ(longName[0], 30);
    EXPECT_EQ(longName[31], 0);
    EXPECT_TRUE(ProductLinks::find(longName, QString(30, 'n')));
}

TEST(ProductLinks, BadDataIsReadSafely) {
    QByteArray data = ProductLinks::record("A", {}, "https://a", {});
    data[182] = char(255); // length beyond the area
    const auto links = ProductLinks::find(data, "A");
    ASSERT_TRUE(links);
    EXPECT_EQ(links->web.size(), 150);
    // A record cut short is not read.
    const QByteArray cut = ProductLinks::record("B", {}, "https://b", {}).left(400);
    EXPECT_FALSE(ProductLinks::find(data + cut, "B"));
}
