#include "shell/SettingsWindows.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
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

    // The result stays for the next showing; Cancel clears it.
    window.setCurrentFolder(dir.filePath("My Out/sub"));
    EXPECT_EQ(window.result(), QDir::toNativeSeparators(dir.filePath("My Out")));
    window.bt_cancelClick();
    EXPECT_TRUE(window.result().isEmpty());
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
