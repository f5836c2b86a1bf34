#include "media/SourceRecords.h"
#include "profiles/Catalogue.h"

#include <gtest/gtest.h>

using namespace vc;

namespace {
Toriginalinfo at(const QString& path) {
    Toriginalinfo info;
    info.path = path;
    return info;
}

ProbeResult probe(std::string total, std::string video, std::string audio) {
    ProbeResult r;
    r.bitrate = std::move(total);
    r.videobit = std::move(video);
    r.audiobit = std::move(audio);
    r.duration = "00:01:30";
    r.resolution = "640x480";
    return r;
}
} // namespace

TEST(SourceItem, MissingRatesComeFromTheTotal) {
    auto item = makeSourceItem("/v/a.avi", probe("1000", "", "128"));
    ASSERT_TRUE(item);
    EXPECT_EQ(item->info.videobit, "872");
    EXPECT_EQ(item->info.audiobit, "128");
    EXPECT_FALSE(item->info.audiobitGuessed);

    item = makeSourceItem("/v/a.avi", probe("1000", "", ""));
    ASSERT_TRUE(item);
    EXPECT_EQ(item->info.videobit, "1000");
    EXPECT_EQ(item->info.audiobit, "128"); // nothing left over for audio
    EXPECT_TRUE(item->info.audiobitGuessed);

    item = makeSourceItem("/v/a.avi", probe("1000", "1200", ""));
    ASSERT_TRUE(item);
    EXPECT_EQ(item->info.audiobit, "128"); // less than nothing: treated as unknown too

    item = makeSourceItem("/v/a.avi", probe("1000", "900", "0"));
    ASSERT_TRUE(item);
    EXPECT_EQ(item->info.audiobit, "128");

    item = makeSourceItem("/v/a.avi", probe("1000", "0900", "x"));
    ASSERT_TRUE(item);
    EXPECT_EQ(item->info.videobit, "900");
    EXPECT_EQ(item->info.audiobit, "128");
    EXPECT_TRUE(item->info.audiobitGuessed);
}

TEST(SourceItem, ASparseFileOrAnOversizedStreamRateFallsBackInsteadOfGoingToZero) {
    auto item = makeSourceItem("/v/long.mkv", probe("0", "", ""));
    ASSERT_TRUE(item);
    EXPECT_EQ(item->info.videobit, "768");
    EXPECT_EQ(item->info.audiobit, "128");
    item = makeSourceItem("/v/a.avi", probe("1000", "", "1200"));
    ASSERT_TRUE(item);
    EXPECT_EQ(item->info.videobit, "768");
    EXPECT_EQ(item->info.audiobit, "1200");
}

TEST(SourceItem, UnsupportedWithoutAnIntegerTotalOrFillIn) {
    EXPECT_FALSE(makeSourceItem("/v/a.avi", probe("", "100", "100")));
    EXPECT_FALSE(makeSourceItem("/v/a.avi", probe("N/A", "100", "100")));
    EXPECT_FALSE(makeSourceItem("/v/a.avi", probe("1000", "", "12a")));
    EXPECT_FALSE(makeSourceItem("/v/a.avi", probe("1000", "abc", "")));
}

TEST(SourceItem, RowValuesAndCutRange) {
    ProbeResult p = probe("1000", "800", "128");
    p.resolution.clear();
    p.duration = "N/A, sta";
    auto item = makeSourceItem("/v/movie.final.AVI", p);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->title, "movie.final");
    EXPECT_EQ(item->info.resolution, "320x240");
    EXPECT_EQ(item->cut, (Tcutinfo{0, 0, 0}));
    item = makeSourceItem("/v/noext", probe("1000", "800", "128"));
    EXPECT_EQ(item->title, "noext");
    EXPECT_EQ(item->cut, (Tcutinfo{90, 0, 90}));
}

TEST(SourceRecords, RemoveShiftsClearKeepsAndAddTruncates) {
    SourceRecords r;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(r.add(at(QString::number(i)), {i, 0, i}), i);
    const RemovePlan plan = planRemove({false, true, false, true, false});
    EXPECT_EQ(plan.deleteAt, (QList<int>{1, 2}));
    EXPECT_EQ(plan.selectAfter, 2);
    for (int at : plan.deleteAt)
        r.remove(at);
    ASSERT_EQ(r.rows(), 3);
    EXPECT_EQ(r.info(0).path, "0");
    EXPECT_EQ(r.info(1).path, "2");
    EXPECT_EQ(r.info(2).path, "4");
    EXPECT_EQ(r.cut(2).totalsecs, 4);
    EXPECT_EQ(r.capacity(), 5); // removing does not shrink

    r.clear();
    EXPECT_EQ(r.rows(), 0);
    EXPECT_EQ(r.capacity(), 5);
    EXPECT_EQ(r.add(at("new"), {}), 0);
    EXPECT_EQ(r.capacity(), 1); // stale elements go at the next add
}

TEST(SourceRecords, RemovePlans) {
    EXPECT_EQ(planRemove({true, true, true}).deleteAt, (QList<int>{0, 0, 0}));
    EXPECT_EQ(planRemove({true, true, true}).selectAfter, -1);
    EXPECT_EQ(planRemove({false, false, true}).selectAfter, 1); // past the end: the last row
    EXPECT_TRUE(planRemove({false, false}).deleteAt.isEmpty());
    EXPECT_EQ(planRemove({false, false}).selectAfter, -1);
}

TEST(SourceRecords, AFolderScanTakesEverythingTheDialogOffers) {
    EXPECT_TRUE(isScannedExtension("movie.final.AVI"));
    EXPECT_TRUE(isScannedExtension("a.RmVb"));
    EXPECT_FALSE(isScannedExtension("avi"));
    EXPECT_FALSE(isScannedExtension("notes.txt"));
    const QString filter = openFileFilter();
    const QString all = filter.section(";;", 0, 0);
    for (const QString extension :
         {"mkv", "mov", "ts", "m2ts", "3g2", "dat", "webm", "ogv", "mts", "m2t", "m4a", "mp3",
          "wav", "ogg", "opus", "flac", "aac", "wma"}) {
        EXPECT_TRUE(isScannedExtension("clip." + extension)) << extension.toStdString();
        EXPECT_TRUE(all.contains("*." + extension + ' ') || all.endsWith("*." + extension + ')'))
            << extension.toStdString();
    }
    // What the program writes, and what phones, camcorders, disc recorders and music
    // libraries hand it, can be added again.
    for (int number = 1; number <= 139; ++number) {
        if (const QString ext = profileExtension(number); !ext.isEmpty()) {
            EXPECT_TRUE(isScannedExtension("clip" + ext)) << number;
        }
    }
    for (const QString extension : {"oga", "mka", "m4b", "aif", "dv", "mod", "tod", "vro", "mxf",
                                    "f4v", "m2v", "wv", "ape", "caf", "weba"}) {
        EXPECT_TRUE(all.contains("*." + extension + ' ') || all.endsWith("*." + extension + ')'))
            << extension.toStdString();
    }
    for (const QString& pattern : all.section('(', 1).chopped(1).split(' '))
        EXPECT_TRUE(isScannedExtension("clip" + pattern.mid(1))) << pattern.toStdString();
    EXPECT_EQ(filter.count(";;"), 12);
    EXPECT_TRUE(filter.section(";;", 11, 11).startsWith("WebM and Ogg"));
    EXPECT_EQ(filter.section(";;", 12, 12), "All File(*.*) (*)");
}
