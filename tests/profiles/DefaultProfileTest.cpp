#include "profiles/Catalogue.h"

#include <gtest/gtest.h>

TEST(DefaultProfile, FirstKeywordInOrderDecides) {
    EXPECT_EQ(vc::defaultProfileFor("VideoConverter"), 1);
    EXPECT_EQ(vc::defaultProfileFor("AVI MP3 Converter"), 102);
    EXPECT_EQ(vc::defaultProfileFor("iPod Converter"), 27);
    EXPECT_EQ(vc::defaultProfileFor("iPhone Converter"), 36);
    EXPECT_EQ(vc::defaultProfileFor("gPhone"), 41);
    EXPECT_EQ(vc::defaultProfileFor("Audio Extractor"), 17);
    EXPECT_EQ(vc::defaultProfileFor("MPEG4 Converter"), 110);    // "mpeg" before "mp4"
    EXPECT_EQ(vc::defaultProfileFor("Video Format Factory"), 6); // "rm" inside "format"
    EXPECT_EQ(vc::defaultProfileFor("FLV Converter"), 11);
}
