// A disc's titles through the window: the real tool, authored discs, the dialogs faked.
#include "FakePreviewLibrary.h"
#include "MainWindowFixture.h"
#include "convert/ConversionQueue.h"
#include "media/DiscTitles.h"
#include "media/SourceList.h"
#include "shell/ImageButton.h"
#include "shell/TSkin.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>
#include <gmock/gmock.h>

using namespace vc;

namespace {

class DvdWindowTest : public MainWindowTest {
protected:
    // Authoring is slow: one disc serves the program. Titles of 12 s, 14 s and 3 s.
    static void SetUpTestSuite() {
        discs = new QTemporaryDir;
        disc = test::authorDvd(discs->path(), "HOLIDAY", {12, 14, {"en", "fr"}, 3});
    }
    static void TearDownTestSuite() { delete discs; }

    void SetUp() override {
        MainWindowTest::SetUp();
        library = &fake;
        out = QDir(config.path()).filePath("converted");
        QFile f(settingsPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[output]\npath=" + out.toUtf8() + "\n[profiles]\nFinishSelcet=1\n");
    }
    void click(Tfm_main& main, const char* element) {
        emit main.skin()->OnClick(main.skin()->skinObject(&main)->findChild(element));
    }
    static void show(Tfm_main& main, int row) {
        main.lv()->clearSelection();
        main.lv()->topLevelItem(row)->setSelected(true);
        main.sources()->rowClick();
    }
    static QStringList entries(Tfm_main& main, const char* name) {
        auto* box = static_cast<QComboBox*>(main.control(name));
        QStringList texts;
        for (int i = 0; i < box->count(); ++i)
            texts << box->itemText(i);
        return texts;
    }
    static void choose(Tfm_main& main, const char* name, int index) {
        auto* box = static_cast<QComboBox*>(main.control(name));
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    static QComboBox* box(Tfm_main& main, const char* name) {
        return static_cast<QComboBox*>(main.control(name));
    }

    static inline QTemporaryDir* discs = nullptr;
    static inline QString disc;
    test::FakePreviewLibrary fake;
    QString out;
};

} // namespace

TEST_F(DvdWindowTest, TitlesBecomeRowsWithTheirStreamsChosenPerRowAndConvert) {
    Tfm_main& main = start();
    dialogs.discs = {disc};
    click(main, "dvdopen");
    ASSERT_EQ(main.sources()->rows(), 2);
    EXPECT_EQ(main.lv()->topLevelItem(0)->text(0), "HOLIDAY Title 1");
    EXPECT_EQ(main.lv()->topLevelItem(1)->text(0), "HOLIDAY Title 2");
    EXPECT_EQ(main.lv()->topLevelItem(1)->text(SourceList::TimeColumn), "00:00:14");
    EXPECT_EQ(main.lv()->topLevelItem(0)->text(SourceList::SizeColumn), "352x288");
    EXPECT_EQ(main.lv()->topLevelItem(0)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(main.lv()->topLevelItem(1)->checkState(0), Qt::Checked);

    show(main, 0);
    EXPECT_EQ(entries(main, "cb_audio"),
              QStringList({"1: English, AC-3, Stereo", "2: French, AC-3, Stereo"}));
    EXPECT_EQ(entries(main, "cb_subtitle"), QStringList({"None", "English"}));
    EXPECT_TRUE(box(main, "cb_audio")->isEnabled());
    choose(main, "cb_audio", 1);
    choose(main, "cb_subtitle", 1);
    show(main, 1);
    EXPECT_EQ(box(main, "cb_audio")->currentIndex(), 0);
    EXPECT_EQ(box(main, "cb_subtitle")->currentText(), "None");
    show(main, 0);
    EXPECT_EQ(box(main, "cb_audio")->currentText(), "2: French, AC-3, Stereo");
    EXPECT_EQ(box(main, "cb_subtitle")->currentText(), "English");

    // A file row keeps the placeholders.
    dialogs.files = {{test::makeClip(config.path(), "clip.mpg")}};
    click(main, "openfiles");
    ASSERT_EQ(main.sources()->rows(), 3);
    show(main, 2);
    EXPECT_FALSE(box(main, "cb_audio")->isEnabled());
    EXPECT_EQ(box(main, "cb_audio")->count(), 0);
    EXPECT_EQ(box(main, "cb_audio")->placeholderText(), "Default track");

    // An IFO file brings its disc, and so does the disc dropped; a folder without one is
    // refused and adds nothing.
    dialogs.files = {{disc + "/VIDEO_TS/VTS_01_0.IFO"}};
    click(main, "ifoopen");
    EXPECT_EQ(dialogs.filters.last(), QLatin1String(IfoFileFilter));
    EXPECT_EQ(main.sources()->rows(), 5);
    main.sources()->addDropped({disc});
    EXPECT_EQ(main.sources()->rows(), 7);
    QDir().mkpath(config.path() + "/empty");
    dialogs.discs = {config.path() + "/empty"};
    click(main, "dvdopen");
    EXPECT_EQ(main.sources()->rows(), 7);
    EXPECT_EQ(dialogs.texts().last(), "No DVD-Video disc was found here.");

    // The first title alone, with its French track and the subtitle burned in.
    for (int row = 0; row < 7; ++row)
        main.lv()->topLevelItem(row)->setCheckState(0, row == 0 ? Qt::Checked : Qt::Unchecked);
    main.button("bt_start")->click();
    ASSERT_TRUE(test::waitUntil([&] { return !main.converting(); }, 120000));
    EXPECT_EQ(main.lv()->topLevelItem(0)->text(SourceList::StatusColumn), "Finish");
    const QStringList made = QDir(out).entryList({"HOLIDAY Title 1.*"}, QDir::Files);
    ASSERT_EQ(made.size(), 1) << QDir(out).entryList().join(", ").toStdString();
    const test::ProcessResult language = test::runProcess(
        "ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries",
                    "stream_tags=language", "-of", "csv=p=0", out + "/" + made.first()});
    EXPECT_EQ(language.output.trimmed(), "fre");
}

// A film file's languages and subtitles are chosen in the same boxes as a title's.
TEST_F(DvdWindowTest, AFileOffersItsTracksAsATitleDoesAndTheJobTakesTheChoice) {
    Tfm_main& main = start();
    ASSERT_TRUE(main.sources()->addOneFile(test::makeTwoLanguageClip(config.path(), "film.mkv")));
    show(main, 0);
    EXPECT_EQ(entries(main, "cb_audio"),
              QStringList({"1: Japanese, AAC, Mono", "2: English, AAC, Mono"}));
    EXPECT_EQ(box(main, "cb_audio")->currentIndex(), 0); // the file's default track
    EXPECT_EQ(entries(main, "cb_subtitle"), QStringList({"None", "English, SRT", "French, ASS"}));
    EXPECT_EQ(box(main, "cb_subtitle")->currentIndex(), 0);
    choose(main, "cb_audio", 1);
    choose(main, "cb_subtitle", 2);
    main.button("bt_start")->click();
    EXPECT_THAT(main.queue()->record(0).extra.simplified().toStdString(),
                testing::EndsWith("-audio-track 2 -subtitle-track 2"));
    EXPECT_TRUE(test::waitUntil([&] { return !main.converting(); }, 120000));
}
