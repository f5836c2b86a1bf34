#include "profiles/ProfileSelector.h"
#include "TestSupport.h"

#include <QComboBox>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vc;

namespace {

class Selector : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        store = std::make_unique<IniFile>(dir.filePath(QStringLiteral("pro Test.ini")));
    }

    std::unique_ptr<ProfileSelector> make(const QString& dataFile) {
        ProfileSelector::Hooks hooks;
        hooks.showProfile = [this](int n) {
            events << QStringLiteral("show %1").arg(n);
        };
        hooks.showError = [this](const QString&) {
            events << QStringLiteral("error");
        };
        hooks.refreshEstimates = [this] {
            events << QStringLiteral("refresh %1 %2").arg(size.currentText(), video.currentText());
        };
        return std::make_unique<ProfileSelector>(ParameterBoxes{&size, &video, &audio, &channel},
                                                 *store, dataFile, hooks);
    }

    QTemporaryDir dir;
    std::unique_ptr<IniFile> store;
    QComboBox size, video, audio, channel;
    QStringList events;
};

} // namespace

TEST_F(Selector, FillsTheBoxesAndRefreshesOnce) {
    auto selector = make(profileDataPath(test::programDir()));
    EXPECT_EQ(video.count(), 5);
    EXPECT_EQ(channel.currentText(), QStringLiteral("Stereo"));
    QSignalSpy changes(&size, &QComboBox::currentIndexChanged);

    ASSERT_TRUE(selector->select(27));
    EXPECT_EQ(events, QStringList({"show 27", "refresh 320x240 Normal"}));
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(selector->selected(), 27);
    EXPECT_EQ(selector->choice().sizeText, QStringLiteral("320x240"));

    ASSERT_TRUE(selector->select(17));
    EXPECT_FALSE(size.isEnabled());
    EXPECT_FALSE(video.isEnabled());
    EXPECT_EQ(video.currentText(), QStringLiteral("No Video"));

    // The user's change in the box is what gets remembered.
    audio.setCurrentIndex(4);
    ASSERT_TRUE(selector->select(1));
    EXPECT_TRUE(size.isEnabled());
    EXPECT_TRUE(video.isEnabled());
    EXPECT_EQ(video.findText(QStringLiteral("No Video")), -1);
    EXPECT_EQ(video.currentText(), QStringLiteral("The Original Video Quliay"));
    EXPECT_EQ(store->readInt(QStringLiteral("17"), QStringLiteral("audio bitrate"), -9), 4);
}

TEST_F(Selector, UnreadableDataFileShowsThePreviousProfileAgain) {
    const QString dataFile = dir.filePath(QStringLiteral("profiles.pop"));
    ASSERT_TRUE(QFile::copy(profileDataPath(test::programDir()), dataFile));
    auto selector = make(dataFile);
    ASSERT_TRUE(selector->select(29));
    size.setCurrentIndex(1);
    ASSERT_TRUE(QFile::remove(dataFile));
    events.clear();

    EXPECT_FALSE(selector->select(1));
    EXPECT_EQ(events, QStringList({"show 1", "error", "show 29"}));
    EXPECT_EQ(selector->selected(), 29);
    EXPECT_EQ(size.currentText(), QStringLiteral("360x240"));
    EXPECT_EQ(store->readInt(QStringLiteral("29"), QStringLiteral("size"), -9), 1);
}
