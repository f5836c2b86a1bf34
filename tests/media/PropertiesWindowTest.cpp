#include "media/PropertiesWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

using namespace vc;

namespace {

Toriginalinfo mpegRow() {
    Toriginalinfo info;
    info.path = "/media/clip one.mpg";
    info.resolution = "352x240";
    info.duration = "00:01:30";
    info.videobit = "1150";
    info.audiobit = "224";
    info.videoformat = "mpeg1video";
    info.audioformat = "mp2";
    info.sample = " 44100 Hz";
    info.channels = " stereo";
    info.frame = " 29.97 tb(r)";
    return info;
}

// Each group's labels and the edit boxes beside them, in order.
QList<QStringList> groupRows(const Tfm_info& window) {
    QList<QStringList> rows;
    for (const QGroupBox* group : window.findChildren<QGroupBox*>()) {
        QStringList row{group->title()};
        const auto* form = qobject_cast<QFormLayout*>(group->layout());
        for (int i = 0; form && i < form->rowCount(); ++i) {
            const auto* label =
                qobject_cast<QLabel*>(form->itemAt(i, QFormLayout::LabelRole)->widget());
            const QWidget* field = form->itemAt(i, QFormLayout::FieldRole)->widget();
            row << label->text() + " " + field->objectName();
        }
        rows << row;
    }
    return rows;
}

} // namespace

TEST(PropertiesTexts, RatesGetTheUnitAndEverythingElseIsShownAsStored) {
    const InfoTexts texts = infoTexts(mpegRow());
    EXPECT_EQ(texts, (InfoTexts{"00:01:30", "1150 Kb/s", "mpeg1video", "352x240", " 29.97 tb(r)",
                                "mp2", "224 Kb/s", " 44100 Hz", " stereo"}));

    // The row holds what the add step made of the probe: its "128" for an audio rate of "0",
    // a negative remainder, a length the tool could not read.
    Toriginalinfo odd = mpegRow();
    odd.audiobit = "128";
    odd.videobit = "-24";
    odd.duration = "N/A, sta";
    odd.videoformat.clear();
    const InfoTexts oddTexts = infoTexts(odd);
    EXPECT_EQ(oddTexts.audiobit, "128 Kb/s");
    EXPECT_EQ(oddTexts.videobit, "-24 Kb/s");
    EXPECT_EQ(oddTexts.duration, "N/A, sta");
    EXPECT_EQ(oddTexts.videoformat, "");
}

TEST(PropertiesWindow, HasTheFixedCaptionSizeGroupsAndSingleButton) {
    Tfm_info window;
    EXPECT_EQ(window.objectName(), "Tfm_info");
    EXPECT_EQ(window.windowTitle(), "Properties-test");
    EXPECT_EQ(window.minimumSize(), QSize(556, 484));
    EXPECT_EQ(window.maximumSize(), QSize(556, 484));

    const QList<QStringList> expected{
        {"Basic Info", "Duration: ed_duration", "Bit Rate: ed_videobit"},
        {"Basic Info", "Format: ed_videoformat", "Resolution: ed_resolution",
         "Frame Rate: ed_frame"},
        {"Basic Info", "Format: ed_audioformat", "Bit Rate: ed_audiobit", "Sample Rate: ed_sample",
         "Channels: ed_channels"}};
    EXPECT_EQ(groupRows(window), expected);

    const QList<QLineEdit*> edits = window.findChildren<QLineEdit*>();
    EXPECT_EQ(edits.size(), 9);
    for (const QLineEdit* edit : edits)
        EXPECT_TRUE(edit->isReadOnly()) << edit->objectName().toStdString();

    const QList<QPushButton*> buttons = window.findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons.front()->text(), "OK");

    // Everything fits the fixed client area.
    window.show();
    QApplication::processEvents();
    EXPECT_EQ(window.size(), QSize(556, 484));
    for (const QWidget* child : window.findChildren<QWidget*>())
        EXPECT_TRUE(window.rect().contains(child->geometry())) << child->objectName().toStdString();
}

TEST(PropertiesWindow, EveryShowingDescribesTheRowSetBeforeIt) {
    Tfm_info window;
    window.setInfo(mpegRow());
    // Filled by the showing, not by setting the row.
    EXPECT_EQ(window.ed_duration()->text(), "");
    window.show();
    EXPECT_EQ(window.ed_duration()->text(), "00:01:30");
    EXPECT_EQ(window.ed_videobit()->text(), "1150 Kb/s");
    EXPECT_EQ(window.ed_videoformat()->text(), "mpeg1video");
    EXPECT_EQ(window.ed_resolution()->text(), "352x240");
    EXPECT_EQ(window.ed_frame()->text(), " 29.97 tb(r)");
    EXPECT_EQ(window.ed_audioformat()->text(), "mp2");
    EXPECT_EQ(window.ed_audiobit()->text(), "224 Kb/s");
    EXPECT_EQ(window.ed_sample()->text(), " 44100 Hz");
    EXPECT_EQ(window.ed_channels()->text(), " stereo");
    window.hide();

    // A video-only row whose length the cutter has since rewritten: nothing of the first row
    // may linger.
    Toriginalinfo cut;
    cut.resolution = "640x480";
    cut.duration = "00:00:12";
    cut.videobit = "872";
    cut.audiobit = "128";
    cut.videoformat = "mpeg4";
    cut.frame = " 25.00 tb(r)";
    window.setInfo(cut);
    window.show();
    EXPECT_EQ(window.ed_duration()->text(), "00:00:12");
    EXPECT_EQ(window.ed_videobit()->text(), "872 Kb/s");
    EXPECT_EQ(window.ed_resolution()->text(), "640x480");
    EXPECT_EQ(window.ed_audioformat()->text(), "");
    EXPECT_EQ(window.ed_sample()->text(), "");
    EXPECT_EQ(window.ed_channels()->text(), "");
    EXPECT_EQ(window.ed_audiobit()->text(), "128 Kb/s");
}

TEST(PropertiesWindow, ShowInfoIsModalAndOkOrTheTitleBarClosesIt) {
    Tfm_info window;
    bool sawRow = false;
    QTimer::singleShot(0, &window, [&] {
        sawRow = window.isModal() && window.isVisible() &&
                 window.ed_videoformat()->text() == "mpeg1video";
        window.bt_ok()->click();
    });
    window.showInfo(mpegRow());
    EXPECT_TRUE(sawRow);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);

    QTimer::singleShot(0, &window, [&] { window.close(); });
    window.showInfo(mpegRow());
    EXPECT_FALSE(window.isVisible());
}

TEST(PropertiesWindow, IsCentredOnTheMainWindowAtEveryShowing) {
    QWidget owner;
    owner.setGeometry(100, 80, 900, 700);
    owner.show();
    Tfm_info window(&owner);
    EXPECT_TRUE(window.isWindow());

    window.show();
    QApplication::processEvents();
    EXPECT_EQ(window.frameGeometry().center(), owner.frameGeometry().center());
    window.hide();

    owner.move(400, 300);
    QApplication::processEvents();
    window.show();
    QApplication::processEvents();
    EXPECT_EQ(window.frameGeometry().center(), owner.frameGeometry().center());
}
