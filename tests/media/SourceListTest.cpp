#include "media/SourceList.h"

#include "FakeShell.h"
#include "TestSupport.h"
#include "media/MediaProbe.h"
#include "shell/LanguageTable.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace vc;

namespace {

class SourceListTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QFile text(dir.filePath("language.info"));
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        for (int i = 1; i <= 37; ++i)
            text.write("text " + QByteArray::number(i) + "\r\n");
        text.close();
        clip = test::makeClip(dir.path(), "clip.mpg", {}, 1.0);
        SourceList::Hooks hooks;
        hooks.converting = [this] {
            return converting;
        };
        hooks.previewPlaying = [this] {
            return playing;
        };
        hooks.estimate = [](const Toriginalinfo& info) {
            return "est " + info.duration;
        };
        hooks.chooseFolder = [this] {
            return folder;
        };
        hooks.rowShown = [this](int row) {
            shown << row;
        };
        list = std::make_unique<SourceList>(&lv, probe, dialogs, language, hooks);
        list->setCheckBoxes(true);
        lv.hide();
    }
    QString copyOf(const QString& name, const QString& into = {}) {
        const QString target = QDir(into.isEmpty() ? dir.path() : into).filePath(name);
        EXPECT_TRUE(QFile::copy(clip, target));
        return target;
    }
    QString junk(const QString& name, const QString& into) {
        const QString target = QDir(into).filePath(name);
        QFile f(target);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("this is not a video");
        return target;
    }
    QStringList captions() const {
        QStringList out;
        for (int i = 0; i < lv.topLevelItemCount(); ++i)
            out << lv.topLevelItem(i)->text(0);
        return out;
    }
    void addFive() {
        QStringList files;
        for (int i = 0; i < 5; ++i)
            files << copyOf(QStringLiteral("f%1.mpg").arg(i));
        dialogs.files = {files};
        list->addFiles();
        ASSERT_EQ(list->rows(), 5);
    }

    QTemporaryDir dir;
    QString clip;
    QString folder;
    bool converting = false;
    bool playing = false;
    QList<int> shown;
    QTreeWidget lv;
    test::FakeDialogs dialogs;
    LanguageTable language{dir.filePath("language.info"), dialogs};
    MediaProbe probe{test::toolPath(), test::programDir()};
    std::unique_ptr<SourceList> list;
};

} // namespace

TEST_F(SourceListTest, AddFilesProbesEachAndReportsTheUnsupportedOnce) {
    QDir(dir.path()).mkdir("in");
    const QString good = copyOf("my clip ü.mpg");
    const QString bad = junk("broken.avi", dir.path());
    dialogs.files = {{good, bad, copyOf("second.mpg")}};
    list->addFiles();
    EXPECT_FALSE(lv.isHidden());
    EXPECT_EQ(captions(), (QStringList{"my clip ü", "second"}));
    EXPECT_EQ(dialogs.texts().last(), "broken.avi is damaged: nothing in it can be read.");
    EXPECT_EQ(dialogs.shown.count() - 1, 1); // one chooser, one report
    QTreeWidgetItem* row = lv.topLevelItem(0);
    EXPECT_EQ(row->text(1), "160x120");
    EXPECT_EQ(row->text(2), "00:00:01");
    EXPECT_EQ(row->text(3), "est 00:00:01");
    EXPECT_EQ(row->text(4), "Status");
    EXPECT_EQ(row->checkState(0), Qt::Checked);
    EXPECT_TRUE(row->isSelected());
    EXPECT_EQ(shown, QList<int>{0});
    EXPECT_EQ(list->currentItem(), 1);
    EXPECT_EQ(list->records().info(0).path, good);
    EXPECT_EQ(list->records().cut(0), (Tcutinfo{1, 0, 1}));
}

// The refusals of one add come in one box that lists them all.
TEST_F(SourceListTest, AnAddGathersItsRefusalsIntoOneBox) {
    folder = dir.filePath("notes");
    QDir().mkpath(folder);
    for (const char* name : {"a.avi", "b.mp4", "c.mkv"})
        junk(name, folder);
    copyOf("good.mpg", folder);
    list->addFolder();
    EXPECT_EQ(list->rows(), 1);
    EXPECT_EQ(dialogs.texts(), QStringList{"3 files are not supported:\n"
                                           "a.avi is damaged: nothing in it can be read.\n"
                                           "b.mp4 is damaged: nothing in it can be read.\n"
                                           "c.mkv is damaged: nothing in it can be read."});
}

TEST_F(SourceListTest, FolderScanIsSortedCaseInsensitiveAndReportsFolders) {
    folder = dir.filePath("scan");
    QDir().mkpath(folder);
    copyOf("b10.mpg", folder);
    copyOf("b2.mpg", folder);
    copyOf("movie.final.AVI", folder);
    copyOf("skipped.txt", folder);
    QDir(folder).mkdir("sub.avi");
    list->addFolder();
    EXPECT_EQ(captions(), (QStringList{"b2", "b10", "movie.final"}));
    EXPECT_EQ(dialogs.texts(), QStringList{"sub.avi is not support!"});
    EXPECT_TRUE(lv.topLevelItem(0)->isSelected());
    EXPECT_TRUE(shown.isEmpty()); // a folder scan does not click a row

    folder.clear();
    list->addFolder();
    EXPECT_EQ(list->rows(), 3);
}

TEST_F(SourceListTest, RemoveShiftsRecordsAndSelectsTheRememberedRow) {
    addFive();
    lv.clearSelection();
    lv.topLevelItem(1)->setSelected(true);
    lv.topLevelItem(3)->setSelected(true);
    list->remove();
    EXPECT_EQ(captions(), (QStringList{"f0", "f2", "f4"}));
    EXPECT_TRUE(lv.topLevelItem(2)->isSelected());
    EXPECT_TRUE(list->records().info(2).path.endsWith("f4.mpg"));

    lv.selectAll();
    list->remove();
    EXPECT_EQ(list->rows(), 0);
    EXPECT_EQ(lv.topLevelItemCount(), 0);
}

TEST_F(SourceListTest, RefusalsWhileConvertingOrPlaying) {
    addFive();
    playing = true;
    lv.selectAll();
    list->remove();
    list->clear();
    EXPECT_EQ(list->rows(), 5);
    EXPECT_EQ(dialogs.texts().mid(1), (QStringList{"text 27", "text 27"}));
    playing = false;
    converting = true;
    dialogs.shown.clear();
    list->addFiles();
    list->addFolder();
    list->remove();
    EXPECT_EQ(dialogs.texts(), (QStringList{"text 26", "text 26", "text 26"}));
    EXPECT_EQ(list->rows(), 5);
}

TEST_F(SourceListTest, ClearAsksAndKeepsTheArrays) {
    list->clear(); // nothing to ask about
    EXPECT_TRUE(dialogs.shown.isEmpty());
    addFive();
    dialogs.answers = {false};
    list->clear();
    EXPECT_EQ(list->rows(), 5);
    EXPECT_EQ(dialogs.shown.last().text, "text 29");
    dialogs.answers = {true};
    list->clear();
    EXPECT_EQ(list->rows(), 0);
    EXPECT_EQ(list->records().capacity(), 5);
}

TEST_F(SourceListTest, RenameTicksAndCancelledChooserSelectsFirst) {
    addFive();
    lv.clearSelection();
    dialogs.files = {};
    list->addFiles(); // cancelled
    EXPECT_TRUE(lv.topLevelItem(0)->isSelected());

    lv.show();
    list->rename();
    ASSERT_TRUE(list->edt_tit()->isVisible());
    list->edt_tit()->setText("");
    QTest::keyClick(list->edt_tit(), Qt::Key_Return);
    EXPECT_EQ(lv.topLevelItem(0)->text(0), "f0"); // an empty title is not taken
    list->rename();
    list->edt_tit()->setText("Holiday");
    QTest::keyClick(list->edt_tit(), Qt::Key_Return);
    EXPECT_EQ(lv.topLevelItem(0)->text(0), "Holiday");
    EXPECT_FALSE(list->edt_tit()->isVisible());

    list->tickAll(false);
    EXPECT_FALSE(list->isTicked(3));
    list->tickAll(true);
    EXPECT_TRUE(list->isTicked(3));
}

TEST_F(SourceListTest, DroppedFilesAndFoldersAreAddedLikeTheCommands) {
    const QString inner = dir.filePath("dropped");
    QDir().mkpath(inner);
    copyOf("one.mpg", inner);
    copyOf("ignored.txt", inner);
    list->addDropped({copyOf("single.mpg"), inner});
    EXPECT_EQ(captions(), (QStringList{"single", "one"}));
    converting = true;
    list->addDropped({copyOf("late.mpg")});
    EXPECT_EQ(list->rows(), 2);
    EXPECT_EQ(dialogs.texts(), QStringList{"text 26"});
}
