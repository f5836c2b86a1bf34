#include "tool/OutputFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

QStringList entries(const QTemporaryDir& dir) {
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// Where a folder takes no unnamed file (NFS, FAT), the file being written has a hidden name
// no scan takes, goes with a run that does not keep it, and never replaces a file.
TEST(OutputFile, APartialNameIsHiddenAndGoesUnlessKept) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string folder = dir.path().toStdString() + "/";
    {
        vc::tool::OutputFile dropped;
        ASSERT_TRUE(dropped.open(folder + "clip.mp4", false));
        ASSERT_EQ(::write(dropped.fd(), "new", 3), 3);
        ASSERT_EQ(entries(dir).size(), 1);
        EXPECT_TRUE(entries(dir)[0].startsWith(".clip.mp4.") && entries(dir)[0].endsWith(".part"))
            << entries(dir)[0].toStdString();
    }
    EXPECT_TRUE(entries(dir).isEmpty());

    QFile old(dir.filePath("clip.mp4"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    vc::tool::OutputFile kept;
    ASSERT_TRUE(kept.open(folder + "clip.mp4", false));
    ASSERT_EQ(::write(kept.fd(), "new", 3), 3);
    EXPECT_EQ(kept.keep(), folder + "clip_1.mp4");
    EXPECT_EQ(entries(dir), (QStringList{"clip.mp4", "clip_1.mp4"}));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "old");
}

} // namespace
