#include "shell/SettingsWindows.h"

#include "TestSupport.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <functional>
#include <gtest/gtest.h>

using namespace vc;

TEST(OutputDirectoryWindow, OkTakesTheSelectedFolderWithoutTrailingSeparator) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("My Out/sub");
    Tfm_dir window;
    EXPECT_EQ(window.windowTitle(), "Output Directory");

    // Nothing selected: the window stays open and there is no result.
    window.bt_okClick();
    EXPECT_TRUE(window.result().isEmpty());

    window.setCurrentFolder(dir.filePath("My Out/"));
    window.bt_okClick();
    EXPECT_EQ(window.result(), QDir::toNativeSeparators(dir.filePath("My Out")));

    // Cancel, Escape and the title bar's close never hand back an earlier showing's choice.
    const auto leave = [&](const std::function<void()>& how) {
        window.setCurrentFolder(dir.filePath("My Out/sub"));
        window.bt_okClick();
        ASSERT_FALSE(window.result().isEmpty());
        QTimer::singleShot(0, &window, how);
        window.exec();
        EXPECT_TRUE(window.result().isEmpty());
    };
    leave([&] { window.bt_cancelClick(); });
    leave([&] { QTest::keyClick(&window, Qt::Key_Escape); });
    leave([&] { window.close(); });
}

TEST(SettingsWindow, OkReturnsTheChosenActionAndCancelNothing) {
    Tfm_set window;
    EXPECT_EQ(window.rg_finish()->buttons().size(), 3);
    QTimer::singleShot(0, &window, [&] {
        EXPECT_TRUE(window.rg_finish()->button(1)->isChecked());
        window.rg_finish()->button(2)->setChecked(true);
        window.accept();
    });
    EXPECT_EQ(window.choose(1), 2);
    QTimer::singleShot(0, &window, [&] {
        EXPECT_TRUE(window.rg_finish()->button(0)->isChecked());
        window.rg_finish()->button(2)->setChecked(true);
        window.reject();
    });
    EXPECT_EQ(window.choose(0), -1);
}

TEST(OutputDirectoryWindow, OpensAtHomeWithTheCurrentFolderSelectedWholeAndItsPathShown) {
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    const QString name = "A folder for the converted holiday films of the whole family, 2026";
    const QString folder = QDir(home.path()).filePath("Videos/" + name);
    QDir().mkpath(folder);
    {
        Tfm_dir window;
        window.setCurrentFolder(folder);
        window.show();
        // The model reads the folders in the background; the checks below say what is missing.
        test::waitUntil([&] {
            const QTreeView* tree = window.tree();
            return tree->viewport()->rect().intersects(tree->visualRect(tree->currentIndex())) &&
                   tree->columnWidth(0) >= tree->fontMetrics().horizontalAdvance(name);
        });
        const auto* model = static_cast<const QFileSystemModel*>(window.tree()->model());
        EXPECT_EQ(model->filePath(window.tree()->rootIndex()), home.path());
        EXPECT_EQ(model->filePath(window.tree()->currentIndex()), folder);
        EXPECT_EQ(window.field()->text(), folder);
        const QRect shown = window.tree()->visualRect(window.tree()->currentIndex());
        EXPECT_TRUE(window.tree()->viewport()->rect().intersects(shown));
        EXPECT_GE(window.tree()->columnWidth(0),
                  window.tree()->fontMetrics().horizontalAdvance(name));
    }
    qputenv("HOME", oldHome);
}
