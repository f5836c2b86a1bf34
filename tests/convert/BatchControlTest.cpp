#include "convert/BatchControl.h"

#include "TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace vc;

namespace {

class BatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        QFile f(dir.filePath("script"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("out time=1.00 bitrate=1\\r\nsleep 150\nexit 0\n");
        f.close();
        qputenv("VC_FAKE_TOOL_SCRIPT", dir.filePath("script").toLocal8Bit());
        runner.setIdlePriority(false);
        job.toolpath = QStringLiteral(VC_TEST_FAKE_TOOL);
        job.workdir = dir.path();
        BatchControl::Hooks h;
        h.previewPlaying = [this] {
            return playing;
        };
        h.rows = [this] {
            return static_cast<int>(ticks.size());
        };
        h.ticked = [this](int row) {
            return ticks[row];
        };
        h.prepare = [this](int row, intputrec& j) {
            launched << row;
            j.infile = QString::number(row);
            j.outfile = dir.filePath(QStringLiteral("out%1").arg(row));
            j.seconds = 2;
            // The stand-in tool writes nothing; the output stands ready unless a test says not.
            if (writeOutput || emptyOutput) {
                QFile out(j.outfile);
                out.open(QIODevice::WriteOnly);
                out.write(writeOutput ? "data" : "");
            }
            return true;
        };
        h.setStatus = [this](int row, const QString& s) {
            status[row] = s;
        };
        h.refreshCommands = [this] {
            ++refreshes;
        };
        h.refuse = [this](int id) {
            refused << id;
        };
        h.inform = [this](const QString& t) {
            informed << t;
        };
        h.batchFinished = [this] {
            ++finished;
        };
        batch = std::make_unique<BatchControl>(runner, job, h);
    }
    void TearDown() override { qunsetenv("VC_FAKE_TOOL_SCRIPT"); }
    bool waitIdle(int ms = 20000) {
        return test::waitUntil([this] { return !batch->converting() && !runner.active(); }, ms);
    }

    QTemporaryDir dir;
    ConvertRunner runner;
    intputrec job;
    std::unique_ptr<BatchControl> batch;
    std::vector<bool> ticks{true, false, true};
    QMap<int, QString> status;
    QList<int> launched;
    QList<int> refused;
    QStringList informed;
    bool playing = false;
    bool writeOutput = true;
    bool emptyOutput = false;
    int refreshes = 0;
    int finished = 0;
};

} // namespace

TEST_F(BatchTest, TickedRowsConvertInTurnAndFinish) {
    batch->bt_startClick();
    EXPECT_TRUE(batch->converting());
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(launched, (QList<int>{0, 2}));
    EXPECT_EQ(status.value(0), "Finish");
    EXPECT_FALSE(status.contains(1));
    EXPECT_EQ(status.value(2), "Finish");
    EXPECT_EQ(finished, 1);
    EXPECT_GT(refreshes, 1);
}

TEST_F(BatchTest, StopMarksTheRowAndEndsTheBatch) {
    batch->bt_startClick();
    QTest::qWait(50);
    batch->Bt_ConvertstopClick();
    EXPECT_FALSE(batch->converting());
    EXPECT_EQ(status.value(0), "Stop");
    EXPECT_EQ(batch->currentItem(), 3);
    QSignalSpy ended(&runner, &ConvertRunner::ended);
    ASSERT_TRUE(ended.wait(20000));
    EXPECT_EQ(launched, QList<int>{0}); // the late end report launches nothing
    EXPECT_EQ(finished, 0);
}

TEST_F(BatchTest, StopDuringTheSecondOfThreeAndAnImmediateRestart) {
    ticks = {true, true, true};
    batch->bt_startClick();
    ASSERT_TRUE(test::waitUntil([&] { return launched.size() >= 2; }));
    ASSERT_EQ(launched, (QList<int>{0, 1}));
    batch->Bt_ConvertstopClick();
    EXPECT_EQ(status.value(0), "Finish");
    EXPECT_EQ(status.value(1), "Stop");
    EXPECT_FALSE(status.contains(2));

    // The stopped run ends while the new batch runs; it must not move that batch on.
    batch->bt_startClick();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(launched, (QList<int>{0, 1, 0, 1, 2}));
    EXPECT_EQ(status.value(1), "Finish");
    EXPECT_EQ(status.value(2), "Finish");
    EXPECT_EQ(finished, 1); // only the batch that ran to its end
}

TEST_F(BatchTest, PauseAndContinueToggleTheRun) {
    batch->bt_startClick();
    QTest::qWait(30);
    batch->bt_pauseClick();
    EXPECT_FALSE(runner.running());
    EXPECT_EQ(batch->pauseCaption(), "Continue");
    batch->bt_pauseClick();
    EXPECT_TRUE(runner.running());
    EXPECT_EQ(batch->pauseCaption(), "Pause");
    ASSERT_TRUE(waitIdle());
}

TEST_F(BatchTest, RefusalsAndAMissingTool) {
    playing = true;
    batch->bt_startClick();
    EXPECT_EQ(refused, QList<int>{27});
    playing = false;
    ticks = {false, false};
    struct : TextFacet {
        QString line;
        QString text() const override { return line; }
        void setText(const QString& t) override { line = t; }
        void redraw() override {}
    } hint;
    runner.setDisplay(&hint, nullptr);
    batch->bt_startClick();
    EXPECT_EQ(informed, QStringList{"Please select one file."});
    EXPECT_EQ(hint.line, "Tick the files to convert in the first column.");
    runner.setDisplay(nullptr, nullptr);
    EXPECT_FALSE(batch->converting());

    ticks = {true, true};
    job.toolpath = dir.filePath("missing tool");
    batch->bt_startClick();
    ASSERT_TRUE(waitIdle());
    // Each row fails, the batch goes on, and the reason is told once.
    EXPECT_EQ(status.value(0), "Failed");
    EXPECT_EQ(status.value(1), "Failed");
    EXPECT_EQ(informed.size(), 2);
}

TEST_F(BatchTest, ARunThatFailsOrLeavesNoFileIsMarkedFailed) {
    QFile f(dir.filePath("script"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("out Unknown encoder 'nothing'\n\nexit 1\n");
    f.close();
    batch->bt_startClick();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(status.value(0), "Failed");
    EXPECT_EQ(status.value(2), "Failed"); // the batch went on
    EXPECT_EQ(finished, 1);

    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("exit 0\n");
    f.close();
    writeOutput = false;
    QFile::remove(dir.filePath("out0"));
    QFile::remove(dir.filePath("out2"));
    batch->bt_startClick();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(status.value(0), "Failed"); // exit 0 but no output file
}

TEST_F(BatchTest, TheProgramRemovesNoOutputAndAStopLetsTheToolFinish) {
    QFile f(dir.filePath("script"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("out Error while opening encoder\n\nexit 1\n");
    f.close();
    // Whatever lies under an output name when a run fails is not the run's: the tool takes
    // away what it wrote itself.
    emptyOutput = true;
    writeOutput = false;
    batch->bt_startClick();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(status.value(0), "Failed");
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("out0")));

    // Stop asks the tool to end, and it may still name its file: the run is followed to its
    // end. A tool that does not end is killed a few seconds later.
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("deaf\nsleep 60000\nexit 0\n");
    f.close();
    batch->bt_startClick();
    // The tool must be under way, its signal handling in place, before Stop.
    ASSERT_TRUE(test::waitUntil([&] { return runner.running(); }));
    QTest::qWait(300);
    batch->Bt_ConvertstopClick();
    EXPECT_EQ(status.value(0), "Stop");
    QTest::qWait(1000); // a tool deaf to the request is given its grace time
    EXPECT_TRUE(runner.active());
    EXPECT_TRUE(test::waitUntil([&] { return !runner.active(); }));
}

// A failed run's reason is its last words: no progress report, nor what one left behind them.
TEST_F(BatchTest, AFailedRunIsExplainedByItsLastErrorNeverByAStatusLine) {
    QFile f(dir.filePath("script"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("out frame=   25 fps= 25 q=2.0 size=      16kB time=1.00 bitrate= 131.1kbits/s\\r\n"
            "out Error writing trailer of out.mp3: No space left\\n\n"
            "out size=      48kB time=00:00:04.00 bitrate=  98.3kbits/s speed=8.1x\\r\n"
            "out   Lsize=      48kB time=00:00:04.00 bitrate=  98.3kbits/s\\n\nexit 1\n");
    f.close();
    ticks = {true};
    batch->bt_startClick();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(status.value(0), "Failed");
    EXPECT_EQ(batch->words().last(), "Error writing trailer of out.mp3: No space left");
}
