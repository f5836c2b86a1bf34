#include "profiles/Catalogue.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace vc;

namespace {

const QSet<int> Fillers{26, 52, 67, 74, 82, 90, 98, 101, 109, 117, 124, 132};

} // namespace

TEST(Catalogue, NamesAndFillers) {
    int named = 0;
    for (int n = 1; n <= ProfileCount; ++n) {
        const QString name = profileName(n);
        EXPECT_EQ(name.isEmpty(), Fillers.contains(n)) << n;
        EXPECT_EQ(hasProfile(n), !Fillers.contains(n)) << n;
        if (name.isEmpty())
            continue;
        ++named;
        // Every name ends in "(*" + extension + ")".
        EXPECT_TRUE(name.endsWith(QStringLiteral("(*") + profileExtension(n) + QLatin1Char(')')))
            << n;
    }
    EXPECT_EQ(named, 127);
    EXPECT_TRUE(profileName(0).isEmpty());
    EXPECT_TRUE(profileName(140).isEmpty());
    EXPECT_EQ(profileEntry(140), nullptr);

    // The names keep their spelling and the multiplication sign.
    EXPECT_EQ(profileName(16), QStringLiteral("AC3-Dolby Dingtal AC-3(*.ac3)"));
    EXPECT_EQ(profileName(19), QStringLiteral("RA-Real Auido(*.ra)"));
    EXPECT_EQ(profileName(27), QStringLiteral("iPod(320\u00D7240)MPEG-4 Codec(*.mp4)"));
    EXPECT_EQ(profileName(47), QStringLiteral("Apple TV MPEG-4 720P(1280\u00D7720)(*.mp4)"));
    EXPECT_EQ(profileName(78), QStringLiteral("HP iPAQ hx2000/rx3000/rx1900 series Video(*.wmv)"));
    EXPECT_EQ(profileName(131), QStringLiteral("MKV - WMV Movie(*.mkv)"));
    // The newer formats come after every stored number, so old stores keep their meaning.
    EXPECT_EQ(profileName(133), QStringLiteral("MP4 - H.265/HEVC Video(*.mp4)"));
    EXPECT_EQ(profileName(135), QStringLiteral("WebM - VP9 Video(*.webm)"));
    EXPECT_EQ(profileName(139), QStringLiteral("FLAC - Lossless Audio(*.flac)"));
}

TEST(Catalogue, ExtensionKeepsCase) {
    EXPECT_EQ(extensionOf(QStringLiteral("ASF-Advanced Streaming Format(*.asf)")),
              QStringLiteral(".asf"));
    for (int n : {53, 54, 55, 123})
        EXPECT_EQ(profileExtension(n), QStringLiteral(".MP4")) << n;
    EXPECT_EQ(profileExtension(122), QStringLiteral(".mp4"));
    EXPECT_EQ(profileExtension(22), QStringLiteral(".aiff"));
    EXPECT_TRUE(extensionOf(QStringLiteral("no star")).isEmpty());
}

TEST(Catalogue, PanelsCategoriesAndButtons) {
    EXPECT_STREQ(profileEntry(7)->panel, "pl_video1");
    EXPECT_STREQ(profileEntry(8)->panel, "pl_video2");
    EXPECT_STREQ(profileEntry(109)->panel, "pl_avi");
    EXPECT_STREQ(profileEntry(132)->panel, "pl_mkv");
    EXPECT_EQ(categoryOf(1), 1);
    EXPECT_EQ(categoryOf(14), 1);
    EXPECT_EQ(categoryOf(15), 2);
    EXPECT_EQ(categoryOf(26), 2);
    EXPECT_EQ(categoryOf(27), 3);
    EXPECT_EQ(categoryOf(98), 12);
    EXPECT_EQ(categoryOf(101), 13);
    EXPECT_EQ(categoryOf(102), 1); // sub-panels belong to the general video category
    EXPECT_EQ(categoryOf(132), 1);
    EXPECT_EQ(categoryOf(133), 14);
    EXPECT_EQ(categoryOf(139), 14);
    EXPECT_EQ(categoryOf(0), 0);
    EXPECT_EQ(categoryOfPanel(QStringLiteral("pl_audio2")), 2);
    EXPECT_EQ(categoryOfPanel(QStringLiteral("pl_none")), 0);
    EXPECT_STREQ(category(6)->stripImage, "img_appletv");
    EXPECT_STREQ(category(14)->stripImage, "img_modern");
    EXPECT_EQ(category(15), nullptr);
    for (int c = 1; c <= CategoryCount; ++c)
        for (int n = category(c)->first; n <= category(c)->last; ++n)
            EXPECT_EQ(categoryOf(n), c) << n;

    const char* opened[] = {"pl_avi", "pl_mpeg", "pl_mp4", "pl_mkv"};
    for (int n = 2; n <= 5; ++n) {
        EXPECT_EQ(profileEntry(n)->role, ButtonRole::OpensSubPanel);
        EXPECT_STREQ(profileEntry(n)->subPanel, opened[n - 2]);
    }
    EXPECT_EQ(profileEntry(13)->role, ButtonRole::NoClick);
    EXPECT_EQ(profileEntry(14)->role, ButtonRole::NoClick);
    for (int n : {26, 52, 67, 74, 82, 90})
        EXPECT_EQ(profileEntry(n)->role, ButtonRole::ClickableFiller) << n;
    for (int n : {98, 101, 109, 117, 124, 132})
        EXPECT_EQ(profileEntry(n)->role, ButtonRole::Filler) << n;
    EXPECT_EQ(profileEntry(1)->role, ButtonRole::Selects);
    EXPECT_EQ(profileEntry(1)->subPanel, nullptr);
    for (int n = 1; n <= ProfileCount + 1; ++n)
        EXPECT_EQ(inSubPanel(n), n >= 102 && n <= 132) << n;
}

// An opener's picture names the format of every profile it leads to, whatever its own name says.
TEST(Catalogue, OpenersAreCaptionedWithWhatTheirSubPanelsHold) {
    int openers = 0;
    for (int n = 1; n <= ProfileCount; ++n) {
        const OpenerCaption* caption = openerCaption(n);
        if (profileEntry(n)->role != ButtonRole::OpensSubPanel) {
            EXPECT_EQ(caption, nullptr) << n;
            continue;
        }
        ++openers;
        ASSERT_NE(caption, nullptr) << n;
        const QString format = QString::fromUtf8(caption->title).section(' ', 0, 0);
        int held = 0;
        for (int m = 1; m <= ProfileCount; ++m) {
            if (!hasProfile(m) ||
                QLatin1String(profileEntry(m)->panel) != QLatin1String(profileEntry(n)->subPanel))
                continue;
            ++held;
            EXPECT_TRUE(profileName(m).contains(format))
                << caption->title << " opens " << profileName(m).toStdString();
        }
        EXPECT_GE(held, 6) << n;
    }
    EXPECT_EQ(openers, 4);
    EXPECT_STREQ(openerCaption(3)->title, "MPEG / VCD / SVCD / DVD");
    EXPECT_STREQ(openerCaption(5)->title, "MKV Movie");
}

TEST(Catalogue, ClassesByNumberRange) {
    EXPECT_TRUE(isComputedRate(1));
    EXPECT_TRUE(isComputedRate(14));
    EXPECT_FALSE(isComputedRate(15));
    EXPECT_TRUE(isDataFileRate(15));
    EXPECT_TRUE(isDataFileRate(101));
    EXPECT_FALSE(isDataFileRate(102));
    EXPECT_TRUE(isComputedRate(111));
    for (int n = 112; n <= 114; ++n) {
        EXPECT_TRUE(isDiscTarget(n));
        EXPECT_FALSE(isComputedRate(n));
    }
    EXPECT_TRUE(isComputedRate(115));
    EXPECT_TRUE(isComputedRate(131));
    EXPECT_FALSE(isComputedRate(132));
    for (int n = 133; n <= 137; ++n)
        EXPECT_TRUE(isComputedRate(n) && offersOriginalSize(n)) << n;
    EXPECT_FALSE(isComputedRate(138) || isComputedRate(139) || isComputedRate(140));
    EXPECT_FALSE(offersOriginalSize(118) || offersOriginalSize(138));
    EXPECT_TRUE(offersOriginalSize(102));

    const QSet<int> audioOnly{15, 16, 17, 18, 19, 20, 21, 22,  23, 24,
                              25, 33, 40, 45, 59, 71, 80, 138, 139};
    for (int n = 0; n <= ProfileCount + 1; ++n) {
        EXPECT_EQ(isAudioOnly(n), audioOnly.contains(n)) << n;
        EXPECT_EQ(isLossless(n), n == 139) << n;
    }

    EXPECT_EQ(factorRow(118), FactorRow::Mini);
    EXPECT_EQ(factorRow(121), FactorRow::Mini);
    EXPECT_EQ(factorRow(119), FactorRow::Normal);
    EXPECT_EQ(factorRow(123), FactorRow::Excellent);
    EXPECT_EQ(factorRow(117), FactorRow::Generic);
    EXPECT_EQ(factorRow(124), FactorRow::Generic);
    for (int n : {133, 134})
        EXPECT_EQ(factorRow(n), FactorRow::Hevc) << n;
    EXPECT_EQ(factorRow(135), FactorRow::Vp9);
    for (int n : {136, 137})
        EXPECT_EQ(factorRow(n), FactorRow::Av1) << n;
}
