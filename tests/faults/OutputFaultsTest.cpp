// Sources that vanish, output folders that cannot take a file, settings that cannot be
// written.
#include "FaultFixture.h"
#include "common/SkinFacets.h"

#include <QLineEdit>
#include <QScopeGuard>

using namespace vc;

TEST_F(FaultTest, ASourceRemovedAfterAddingFailsOnlyItsOwnRow) {
    Tfm_main& main = open();
    add(main, {clip("a.mpg"), clip("b.mpg"), clip("c.mpg")});
    ASSERT_EQ(main.sources()->rows(), 3);
    ASSERT_TRUE(QFile::remove(QDir(media).filePath("b.mpg")));
    ASSERT_TRUE(convert(main));
    EXPECT_EQ(statuses(main), (QStringList{"Finish", "Failed", "Finish"}));
    EXPECT_EQ(QDir(out).entryList(QDir::Files), (QStringList{"a.asf", "c.asf"}));
    main.close();
    expectSettingsKept();
}

TEST_F(FaultTest, OutputFoldersThatCannotTakeTheFileStartNothingAndStayAsTheyWere) {
    Tfm_main& main = open();
    add(main, {clip("a.mpg")});
    ASSERT_EQ(main.sources()->rows(), 1);
    const QString file = QDir(out).filePath("a file");
    ASSERT_TRUE(test::writeBytes(file, "not a folder\n"));
    const auto before = test::digests(config.path());

    // Only one missing level is made; a missing parent is not.
    for (const QString& bad : {QDir(out).filePath("gone/deeper"), file}) {
        main.ed_output()->setText(bad);
        dialogs.shown.clear();
        ASSERT_TRUE(convert(main)) << bad.toStdString();
        EXPECT_EQ(status(main, 0), "Status") << bad.toStdString();
        ASSERT_EQ(messages().size(), 1) << bad.toStdString();
        EXPECT_TRUE(messages()[0].startsWith("The output folder " + bad + " cannot be used: "));
        EXPECT_EQ(test::digests(config.path()), before) << bad.toStdString();
        EXPECT_FALSE(QFileInfo::exists(QDir(out).filePath("gone")));
    }

    main.ed_output()->setText(out);
    ASSERT_TRUE(convert(main));
    EXPECT_EQ(status(main, 0), "Finish");
    EXPECT_EQ(test::readBytes(file), "not a folder\n");
    main.close();
    expectSettingsKept();
}

TEST_F(FaultTest, AReadOnlyOutputFolderStartsNothing) {
    const QString locked = QDir(out).filePath("locked");
    ASSERT_TRUE(QDir().mkpath(locked));
    ASSERT_TRUE(test::writeBytes(QDir(locked).filePath("a.asf"), "mine\n"));
    const auto unlock = qScopeGuard([&] { test::unlockFolder(locked); });
    if (!test::lockFolder(locked))
        GTEST_SKIP() << "no way to make a folder read-only for this user here";
    Tfm_main& main = open();
    add(main, {clip("a.mpg")});
    main.ed_output()->setText(locked);
    const bool ended = convert(main);
    test::unlockFolder(locked);
    ASSERT_TRUE(ended);
    EXPECT_EQ(status(main, 0), "Status");
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].startsWith("The output folder " + locked + " cannot be used: "));
    EXPECT_EQ(QDir(locked).entryList(QDir::Files), QStringList{"a.asf"});
    EXPECT_EQ(test::readBytes(QDir(locked).filePath("a.asf")), "mine\n");
}

TEST_F(FaultTest, SettingsThatCannotBeWrittenAreReportedAndTheProgramGoesOn) {
    // A folder below a regular file cannot be made or written, whoever runs the test.
    const QString blocker = QDir(config.path()).filePath("blocker");
    ASSERT_TRUE(test::writeBytes(blocker, "a file\n"));
    qputenv("VIDEOCONVERTER_CONFIG_DIR", QDir(blocker).filePath("settings").toLocal8Bit());
    Tfm_main& main = open();
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.texts().join('|').toStdString();
    EXPECT_TRUE(main.settingsLoaded());
    main.selectProfile(8); // remembers the old profile's choice, which fails quietly
    EXPECT_EQ(main.selectedProfile(), 8);
    add(main, {clip("a.mpg")});
    main.ed_output()->setText(out);
    ASSERT_TRUE(convert(main));
    EXPECT_EQ(status(main, 0), "Finish");
    main.close();
    EXPECT_FALSE(main.isVisible());
    ASSERT_FALSE(dialogs.shown.isEmpty());
    EXPECT_TRUE(dialogs.texts().last().contains("could not be saved"))
        << dialogs.texts().last().toStdString();
    EXPECT_EQ(test::readBytes(blocker), "a file\n");
    program.reset();

    // A settings folder the user may not write keeps what it held.
    qputenv("VIDEOCONVERTER_CONFIG_DIR", config.path().toLocal8Bit());
    const auto unlock = qScopeGuard([&] { test::unlockFolder(config.path()); });
    if (!test::lockFolder(config.path()))
        return; // no way to make a folder read-only for this user here
    dialogs.shown.clear();
    Tfm_main& again = open();
    again.selectProfile(8);
    again.close();
    test::unlockFolder(config.path());
    ASSERT_FALSE(dialogs.shown.isEmpty());
    EXPECT_TRUE(dialogs.texts().last().contains("could not be saved"));
    expectSettingsKept();
}

TEST_F(FaultTest, ARelativeOutputFolderIsTheOneMadeAndWrittenWhateverTheToolsFolder) {
    // The program is not started from its own folder, and that folder has the same name in it.
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(config.path()));
    const QString theirs = QDir(folder.path()).filePath("rel out");
    ASSERT_TRUE(QDir().mkpath(theirs));
    ASSERT_TRUE(test::writeBytes(QDir(theirs).filePath("a.asf"), "not to be overwritten\n"));
    Tfm_main& main = open();
    add(main, {clip("a.mpg")});
    main.ed_output()->setText("rel out");
    const bool ended = convert(main);
    QDir::setCurrent(before);
    ASSERT_TRUE(ended);
    EXPECT_EQ(status(main, 0), "Finish");
    EXPECT_GT(QFileInfo(QDir(config.path()).filePath("rel out/a.asf")).size(), 0);
    EXPECT_EQ(test::readBytes(QDir(theirs).filePath("a.asf")), "not to be overwritten\n");
}

TEST_F(FaultTest, AnEmptyOutputFieldConvertsIntoTheDefaultFolderNotTheRoot) {
    ASSERT_TRUE(QDir().mkpath(QString::fromLocal8Bit(qgetenv("HOME"))));
    const QString expected = SettingsStore::defaultOutputFolder();
    ASSERT_TRUE(expected.startsWith(QDir(config.path()).filePath("home")))
        << expected.toStdString();
    const bool rootHadOne = QFileInfo::exists("/a.asf");
    Tfm_main& main = open();
    add(main, {clip("a.mpg")});
    main.ed_output()->setText("  ");
    ASSERT_TRUE(convert(main));
    EXPECT_EQ(status(main, 0), "Finish");
    EXPECT_EQ(main.ed_output()->text(), expected);
    EXPECT_GT(QFileInfo(QDir(expected).filePath("a.asf")).size(), 0);
    EXPECT_EQ(QFileInfo::exists("/a.asf"), rootHadOne);
}
