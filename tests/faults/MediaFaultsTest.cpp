// Sources that are no media, are cut short, lack a stream, are very large or oddly sized, or
// have names a shell or an option parser would take for something else.
#include "FaultFixture.h"

using namespace vc;

TEST_F(FaultTest, FilesTheToolCannotDescribeAreRefusedByNameAndTheRestStillAdded) {
    Tfm_main& main = open();
    const QString empty = QDir(media).filePath("empty.mpg");
    const QString text = QDir(media).filePath("notes.avi");
    ASSERT_TRUE(test::writeBytes(empty, {}));
    ASSERT_TRUE(test::writeBytes(text, "This is not a video.\n"));
    const QString good = clip("good.mpg");
    const QString cut = clip("cut.mpg", 2.0);
    const QByteArray whole = test::readBytes(cut);
    ASSERT_TRUE(test::writeBytes(cut, whole.left(whole.size() * 2 / 5)));
    const auto before = test::digests(media);

    add(main, {empty, text, good, cut});
    const QStringList refused = messages().join('\n').split('\n');
    EXPECT_TRUE(refused.contains("empty.mpg is damaged: nothing in it can be read."))
        << refused.join('|').toStdString();
    EXPECT_TRUE(refused.contains("notes.avi is damaged: nothing in it can be read."));
    ASSERT_GE(main.sources()->rows(), 1);
    EXPECT_EQ(main.lv()->topLevelItem(0)->text(0), "good");

    ASSERT_TRUE(convert(main));
    for (int row = 0; row < main.sources()->rows(); ++row) {
        const QString title = main.lv()->topLevelItem(row)->text(0);
        const QFileInfo made(QDir(out).filePath(title + ".asf"));
        if (status(main, row) == "Finish")
            EXPECT_GT(made.size(), 0) << title.toStdString();
        else
            EXPECT_EQ(status(main, row), "Failed") << title.toStdString();
    }
    EXPECT_EQ(status(main, 0), "Finish");
    EXPECT_EQ(test::digests(media), before);
    main.close();
    expectSettingsKept();
}

TEST_F(FaultTest, UnusualButSoundMediaAndNamesConvertUnderTheirOwnNames) {
    const QStringList names = {"tone.mp3",
                               "silent.mpg",
                               "big.mpg",
                               "odd.mpg",
                               "-lead.mpg",
                               "cost $HOME `id`.mpg",
                               "say \"hi\" it's.mpg",
                               "Grüße – 日本.mpg"};
    const QStringList files = {
        test::makeClip(media, names[0], {}, 1.0, "160x120", false, true),
        test::makeClip(media, names[1], {}, 1.0, "160x120", true, false),
        test::makeClip(media, names[2], {}, 0.2, "3840x2160"),
        test::makeClip(media, names[3], {}, 1.0, "161x97"),
        clip(names[4]),
        clip(names[5]),
        clip(names[6]),
        clip(names[7]),
    };
    const auto sources = test::digests(media);
    const auto programFolder = test::digests(folder.path());

    Tfm_main& main = open();
    add(main, files);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
    ASSERT_EQ(main.sources()->rows(), names.size());
    EXPECT_EQ(main.lv()->topLevelItem(2)->text(SourceList::SizeColumn), "3840x2160");
    EXPECT_EQ(main.lv()->topLevelItem(4)->text(0), "-lead");

    ASSERT_TRUE(convert(main));
    EXPECT_EQ(statuses(main), QStringList(names.size(), "Finish"));
    QStringList expected;
    for (const QString& name : names)
        expected << QFileInfo(name).completeBaseName() + ".asf";
    QStringList made = QDir(out).entryList(QDir::Files);
    made.sort();
    expected.sort();
    EXPECT_EQ(made, expected);
    for (const QString& name : made)
        EXPECT_GT(QFileInfo(QDir(out).filePath(name)).size(), 0) << name.toStdString();
    // Nothing appeared anywhere else, and no source changed.
    EXPECT_EQ(test::digests(media), sources);
    EXPECT_EQ(test::digests(folder.path()).keys(), programFolder.keys());
    main.close();
    expectSettingsKept();
}
