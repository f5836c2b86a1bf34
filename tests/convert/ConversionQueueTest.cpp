#include "convert/ConversionQueue.h"

#include "TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace vc;

namespace {

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

class QueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        script("out time=1.00 bitrate=1\\r\nsleep 150\nexit 0\n");
        qputenv("VC_FAKE_TOOL_SCRIPT", dir.filePath("script").toLocal8Bit());
        queue.setPriority(ConversionQueue::Priority::Normal);
        QObject::connect(&queue, &ConversionQueue::jobStarted, [this](int job) {
            launched << job;
            // The stand-in tool writes nothing; the output stands ready unless a test says not.
            if (writeOutput || emptyOutput) {
                QFile out(queue.record(job).outfile);
                out.open(QIODevice::WriteOnly);
                out.write(writeOutput ? "data" : "");
            }
        });
        QObject::connect(&queue, &ConversionQueue::jobChanged, [this](int job) {
            if (const QString text = statusText(queue.status(job)); !text.isEmpty())
                status[job] = text;
        });
        QObject::connect(&queue, &ConversionQueue::finished, [this] { ++finished; });
    }
    void TearDown() override { qunsetenv("VC_FAKE_TOOL_SCRIPT"); }
    void script(const QByteArray& text) { ASSERT_TRUE(writeBytes(dir.filePath("script"), text)); }
    std::vector<ConversionJob> jobs(int count) {
        std::vector<ConversionJob> out;
        for (int i = 0; i < count; ++i) {
            ConversionInputs in;
            in.outputFolder = dir.path();
            in.title = QStringLiteral("out%1").arg(i);
            in.path = QString::number(i);
            in.source.duration = QStringLiteral("00:00:02");
            in.toEnd = true;
            out.push_back(makeConversionJob(in));
        }
        return out;
    }
    bool waitIdle() {
        return test::waitUntil([this] { return !queue.active() && !queue.busy(); });
    }
    QString output(int job) const { return dir.filePath(QStringLiteral("out%1").arg(job)); }

    QTemporaryDir dir;
    ConversionQueue queue{QStringLiteral(VC_TEST_FAKE_TOOL), dir.path()};
    QMap<int, QString> status;
    QList<int> launched;
    bool writeOutput = true;
    bool emptyOutput = false;
    int finished = 0;
};

} // namespace

TEST_F(QueueTest, JobsConvertInTurnAndFinish) {
    QSignalSpy settled(&queue, &ConversionQueue::settled);
    queue.start(jobs(2), 1);
    EXPECT_TRUE(queue.active());
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(launched, (QList<int>{0, 1}));
    EXPECT_EQ(status, (QMap<int, QString>{{0, "Finish"}, {1, "Finish"}}));
    EXPECT_EQ(queue.status(1).output, output(1));
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(settled.count(), 1);
}

TEST_F(QueueTest, SeveralAtOnceTakeTheJobsInListOrderAndPauseAndStopReachThemAll) {
    script("out time=1.00 bitrate=1\\r\nsleep 1500\nexit 0\n");
    queue.start(jobs(5), 3);
    EXPECT_EQ(launched, (QList<int>{0, 1, 2})); // started together, not one after another
    ASSERT_TRUE(test::waitUntil([&] { return status.value(2) == "50.00%"; }));
    queue.pause();
    for (int job = 0; job < 3; ++job)
        EXPECT_EQ(queue.status(job).state, JobState::Paused) << job;
    const QString paused = queue.barText();
    QTest::qWait(1800); // long enough for a run to end, were it not paused
    EXPECT_EQ(launched.size(), 3);
    EXPECT_EQ(queue.barText(), paused); // the time left holds still
    queue.resume();
    ASSERT_TRUE(test::waitUntil([&] {
        return launched.size() == 5 && status.value(0) == "Finish" && status.value(1) == "Finish" &&
               status.value(2) == "Finish";
    }));
    EXPECT_EQ(launched, (QList<int>{0, 1, 2, 3, 4}));
    queue.stop();
    EXPECT_EQ(status.value(3), "Stop");
    EXPECT_EQ(status.value(4), "Stop");
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(finished, 0);
    const BatchCounts counts(queue.statuses());
    EXPECT_EQ(counts.finished, 3);
    EXPECT_EQ(counts.stopped, 2);
}

TEST_F(QueueTest, StopDuringTheSecondOfThreeAndAnImmediateRestart) {
    queue.start(jobs(3), 1);
    ASSERT_TRUE(test::waitUntil([&] { return launched.size() >= 2; }));
    queue.stop();
    EXPECT_FALSE(queue.active());
    EXPECT_EQ(status.value(0), "Finish");
    EXPECT_EQ(status.value(1), "Stop");
    EXPECT_EQ(queue.status(2).state, JobState::Waiting);

    // The stopped run ends while the new batch runs; it must not move that batch on.
    status.clear();
    queue.start(jobs(3), 1);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(launched, (QList<int>{0, 1, 0, 1, 2}));
    EXPECT_EQ(status, (QMap<int, QString>{{0, "Finish"}, {1, "Finish"}, {2, "Finish"}}));
    EXPECT_EQ(finished, 1); // only the batch that ran to its end
}

TEST_F(QueueTest, FailuresKeepTheirReasonAndTheBatchGoesOn) {
    script("out frame=   25 fps= 25 q=2.0 size=      16kB time=1.00 bitrate= 131.1kbits/s\\r\n"
           "out Error writing trailer of out.mp3: No space left\\n\n"
           "out size=      48kB time=00:00:04.00 bitrate=  98.3kbits/s speed=8.1x\\r\n"
           "out   Lsize=      48kB time=00:00:04.00 bitrate=  98.3kbits/s\\n\nexit 1\n");
    queue.start(jobs(2), 1);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(status, (QMap<int, QString>{{0, "Failed"}, {1, "Failed"}}));
    // The last words, never a progress report.
    EXPECT_EQ(queue.status(1).reason, "Error writing trailer of out.mp3: No space left");
    EXPECT_EQ(finished, 1);

    // Exit 0 without an output file fails too.
    script("exit 0\n");
    writeOutput = false;
    QFile::remove(output(0));
    queue.start(jobs(1), 1);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(queue.status(0).state, JobState::Failed);
    EXPECT_EQ(queue.status(0).reason, "The converter tool wrote no output file.");

    // A missing tool fails every job with the system's reason, naming the tool.
    queue.setToolPath(dir.filePath("missing tool"));
    queue.start(jobs(2), 2);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(queue.status(1).state, JobState::Failed);
    EXPECT_TRUE(queue.status(1).reason.startsWith(dir.filePath("missing tool") + ": "))
        << queue.status(1).reason.toStdString();
}

TEST_F(QueueTest, TheProgramRemovesNoOutputAndAStopLetsTheToolFinish) {
    script("out Error while opening encoder\n\nexit 1\n");
    // Whatever lies under an output name when a run fails is not the run's: the tool takes
    // away what it wrote itself.
    emptyOutput = true;
    writeOutput = false;
    queue.start(jobs(1), 1);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(status.value(0), "Failed");
    EXPECT_TRUE(QFileInfo::exists(output(0)));

    // Stop asks the tool to end, and it may still name its file: the run is followed to its
    // end. A tool that does not end is killed a few seconds later.
    script("deaf\nsleep 60000\nexit 0\n");
    QSignalSpy settled(&queue, &ConversionQueue::settled);
    queue.start(jobs(1), 1);
    // The tool must be under way, its signal handling in place, before Stop.
    QTest::qWait(300);
    queue.stop();
    EXPECT_EQ(status.value(0), "Stop");
    QTest::qWait(1000); // a tool deaf to the request is given its grace time
    EXPECT_TRUE(queue.busy());
    EXPECT_TRUE(settled.isEmpty());
    EXPECT_TRUE(settled.wait(20000));
    EXPECT_FALSE(queue.busy());
}

TEST_F(QueueTest, AJobWhoseOutputIsThereIsSkippedWhenAsked) {
    ASSERT_TRUE(writeBytes(output(1), "an earlier run's file"));
    ASSERT_TRUE(writeBytes(output(0), "")); // empty: holds no conversion
    queue.setSkipExisting(true);
    queue.start(jobs(2), 2);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(launched, QList<int>{0});
    EXPECT_EQ(status.value(1), "Skipped");
    EXPECT_EQ(finished, 1);
}
