#include "preview/Snapshot.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

vc::SnapshotInputs inputs(const QString& folder) {
    vc::SnapshotInputs in;
    in.conversion.outputFolder = folder;
    in.conversion.title = QStringLiteral("  my clip");
    in.conversion.path = QStringLiteral("/media/my clip.avi");
    in.conversion.source = {"00:01:40", "640x480", "1150", "128"};
    in.conversion.cutbegin = 10;
    in.conversion.profile.number = 1;
    in.conversion.profile.extension = QStringLiteral(".avi");
    in.conversion.profile.options = QStringLiteral(" -vcodec mpeg4 ");
    in.conversion.choice = {0, "320x240(QVGA)", 2, "Normal", 2, "Normal", 1};
    in.playTime = QStringLiteral("00:01:23");
    return in;
}

TEST(Snapshot, OneFrameAtThePlayTimeIntoTheOutputFolder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("My Shots"));
    ASSERT_TRUE(QDir().mkdir(folder));

    vc::intputrec job;
    job.toolpath = QStringLiteral("/opt/vc/register.dat");
    job.workdir = QStringLiteral("/opt/vc");
    job.seconds = 77;
    job.vbitrate = QStringLiteral(" -r 25 -b 872000");
    job.achannels = QStringLiteral(" -ac 2");
    vc::fillSnapshotJob(job, inputs(folder), vc::lookOnDisk);

    EXPECT_EQ(vc::commandLine(job),
              "/opt/vc/register.dat -y  -i \"/media/my clip.avi\" -ss 00:01:23 -t 0.01 "
              "-s 320x240  -f image2  -sn \"" +
                  folder + "/my clip.bmp\"");
    EXPECT_EQ(job.seconds, 77);

    // Existing bitmaps are kept: the next ones get _1 and _2.
    QFile(folder + "/my clip.bmp").open(QIODevice::WriteOnly);
    vc::fillSnapshotJob(job, inputs(folder), vc::lookOnDisk);
    EXPECT_EQ(job.outfile, folder + "/my clip_1.bmp");
    QFile(folder + "/my clip_1.bmp").open(QIODevice::WriteOnly);
    vc::fillSnapshotJob(job, inputs(folder + "/"), vc::lookOnDisk);
    EXPECT_EQ(job.outfile, folder + "/my clip_2.bmp");
}

} // namespace
