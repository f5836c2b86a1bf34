#include "shell/SettingsStore.h"

#include "shell/Dialogs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vc;

namespace {
class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { qputenv("VIDEOCONVERTER_CONFIG_DIR", dir.path().toLocal8Bit()); }
    void TearDown() override { qunsetenv("VIDEOCONVERTER_CONFIG_DIR"); }
    QByteArray fileText(const QString& name) const {
        QFile f(QDir(dir.path()).filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir dir;
};
} // namespace

TEST_F(SettingsStoreTest, FirstRunGivesTheDefaults) {
    SettingsStore store("iPod Converter");
    const Settings s = store.load(43);
    EXPECT_TRUE(s.videoFirstPage);
    EXPECT_TRUE(s.audioFirstPage);
    EXPECT_EQ(s.outputFolder, SettingsStore::defaultOutputFolder());
    EXPECT_TRUE(s.outputFolder.endsWith(QDir::separator()));
    EXPECT_EQ(s.category, 1);
    EXPECT_EQ(s.profile, 43);
    EXPECT_EQ(s.finishAction, 0);
    EXPECT_FALSE(QFile::exists(store.settingsFile().path())); // loading writes nothing
}

TEST_F(SettingsStoreTest, RoundTripUsesTheProgramsOwnFilesAndKeyNames) {
    Settings s;
    s.videoFirstPage = false;
    s.audioFirstPage = true;
    s.outputFolder = "/home/u/My Out";
    s.category = 7;
    s.profile = 120;
    s.finishAction = 2;
    ASSERT_TRUE(SettingsStore("iPod Converter").save(s));
    EXPECT_EQ(SettingsStore("iPod Converter").load(1), s);
    EXPECT_EQ(SettingsStore("Other").load(5).profile, 5);

    const QByteArray text = fileText("iPod Converter.ini");
    for (const char* key : {"selcetindex=7", "selcetsubindex=120", "FinishSelcet=2", "video=0",
                            "audio=1", "path=/home/u/My Out"})
        EXPECT_TRUE(text.contains(key)) << key;
    EXPECT_EQ(SettingsStore("iPod Converter").parameterStore().path(),
              QDir(dir.path()).filePath("pro iPod Converter.ini"));
}

// The newer formats are new numbers: an older build reads them as numbers it lacks, which
// fall back to its defaults, and every number it knows keeps its meaning.
TEST_F(SettingsStoreTest, TheNewerFormatsCategoryAndProfilesAreKept) {
    Settings s;
    s.outputFolder = "/out";
    s.category = 14;
    s.profile = 137;
    ASSERT_TRUE(SettingsStore("VideoConverter").save(s));
    EXPECT_EQ(SettingsStore("VideoConverter").load(1), s);
}

TEST_F(SettingsStoreTest, AFailedSaveLeavesTheStoredSettingsAlone) {
    Settings s;
    s.outputFolder = "/keep";
    s.profile = 9;
    ASSERT_TRUE(SettingsStore("VideoConverter").save(s));
    const QByteArray before = fileText("VideoConverter.ini");
    // A folder of the settings file's name makes every write fail.
    QDir(dir.path()).mkpath("Broken.ini");
    SettingsStore broken("Broken");
    EXPECT_FALSE(broken.save(s));
    EXPECT_EQ(fileText("VideoConverter.ini"), before);
}

TEST(ShellActions, OnlyWebAndMailAddressesAreOpenable) {
    EXPECT_TRUE(isOpenableAddress("https://example.com/help"));
    EXPECT_TRUE(isOpenableAddress("http://example.com"));
    EXPECT_TRUE(isOpenableAddress("mailto:support@example.com"));
    EXPECT_FALSE(isOpenableAddress("file:///etc/passwd"));
    EXPECT_FALSE(isOpenableAddress("/usr/bin/xterm"));
    EXPECT_FALSE(isOpenableAddress("javascript:alert(1)"));
    EXPECT_FALSE(isOpenableAddress("http://"));
    EXPECT_FALSE(isOpenableAddress(""));
}
