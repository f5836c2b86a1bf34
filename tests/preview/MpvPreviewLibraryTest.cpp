#include "preview/MpvPreviewLibrary.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

using namespace vc;

namespace {

// Positions as the library reports them, from whatever thread it calls on.
class Positions {
public:
    PreviewLibrary::PositionCallback callback() {
        return [this](double seconds) {
            std::lock_guard lock(mutex_);
            seen_.push_back(seconds);
        };
    }
    std::vector<double> all() {
        std::lock_guard lock(mutex_);
        return seen_;
    }
    double last() {
        std::lock_guard lock(mutex_);
        return seen_.empty() ? -1.0 : seen_.back();
    }
    void clear() {
        std::lock_guard lock(mutex_);
        seen_.clear();
    }

private:
    std::mutex mutex_;
    std::vector<double> seen_;
};

// Play blocks, so it runs on a thread of its own as the player runs it.
class PlayThread {
public:
    PlayThread(PreviewLibrary& library, const QString& path) : library_(library) {
        thread_ = std::thread([this, path] {
            library_.Play(path);
            done_ = true;
        });
    }
    ~PlayThread() {
        if (!done_)
            library_.Stop();
        thread_.join();
    }
    // Keeps the GUI thread turning, which draws the frames, until Play has returned.
    bool waitDone(int ms) {
        return QTest::qWaitFor([this] { return done_.load(); }, ms);
    }
    bool done() const { return done_; }

private:
    PreviewLibrary& library_;
    std::thread thread_;
    std::atomic<bool> done_{false};
};

bool isBlack(QRgb pixel) {
    return std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)}) <= 16;
}

bool rowsBlack(const QImage& image, int from, int to) {
    for (int y = from; y < to; ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!isBlack(image.pixel(x, y)))
                return false;
    return true;
}

bool hasPicture(QWidget& panel) {
    const QImage image = panel.grab().toImage();
    return !rowsBlack(image, 0, image.height());
}

class MpvPreviewLibraryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        qputenv("VC_PREVIEW_AO", "null");
        dir_ = new QTemporaryDir;
        // Wider than the panel, so the picture needs bars above and below.
        oddClip_ = test::makeClip(dir_->path(),
                                  QString::fromUtf8("clip 'one' \"two\" \xc3\xbc \xe6\x97\xa5.mp4"),
                                  {}, 2.0, QStringLiteral("320x120"));
        longClip_ = test::makeClip(dir_->path(), QStringLiteral("long.mp4"), {}, 6.0);
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }

    void SetUp() override {
        panel_.resize(200, 150);
        // Black as the window's panel is, so what shows through between playbacks is no picture.
        panel_.setStyleSheet(QStringLiteral("background: black;"));
        panel_.setAttribute(Qt::WA_StyledBackground);
        panel_.show();
        library_.SetEventFuntion(positions_.callback());
    }

    void startWindow() {
        library_.InitPreviewWindow(&panel_, panel_.width(), panel_.height());
        library_.Seek(0);
    }

    bool waitPosition(double atLeast, int ms) {
        return QTest::qWaitFor([&] { return positions_.last() >= atLeast; }, ms);
    }

    static inline QTemporaryDir* dir_ = nullptr;
    static inline QString oddClip_;
    static inline QString longClip_;

    QWidget panel_;
    Positions positions_;
    MpvPreviewLibrary library_;
};

TEST_F(MpvPreviewLibraryTest, PlaysToTheEndDrawingLetterboxedFrames) {
    startWindow();
    PlayThread play(library_, oddClip_);

    // 320x120 in 200x150 is 200x75 with 37 black rows above and below.
    QImage frame;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            frame = panel_.grab().toImage();
            return !rowsBlack(frame, 70, 80);
        },
        5000));
    EXPECT_TRUE(rowsBlack(frame, 0, 34));
    EXPECT_TRUE(rowsBlack(frame, 116, 150));

    ASSERT_TRUE(play.waitDone(8000)) << "Play did not return at the end of the file";
    const std::vector<double> seen = positions_.all();
    ASSERT_GE(seen.size(), 5u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_GE(seen.back(), 1.5);

    library_.DestroyPreviewWindow();
    EXPECT_FALSE(hasPicture(panel_));
    // Nothing of the playback stays over what the panel shows between playbacks.
    for (const QWidget* child : panel_.findChildren<QWidget*>())
        EXPECT_FALSE(child->isVisible());
    library_.DestroyPreviewWindow();
}

TEST_F(MpvPreviewLibraryTest, PlaysADiscTitleByTheProgramsAddress) {
    // The second title, 5 s, is the longer one: positions past the first's 3 s are its own.
    const QString disc = test::authorDvd(dir_->path(), QStringLiteral("DISC"));
    startWindow();
    PlayThread play(library_, QStringLiteral("dvd://2") + disc);
    ASSERT_TRUE(waitPosition(3.5, 15000)) << positions_.last();
    ASSERT_TRUE(play.waitDone(8000));
    library_.DestroyPreviewWindow();
}

TEST_F(MpvPreviewLibraryTest, StopEndsAPendingOrComingPlay) {
    MpvPreviewLibrary untouched;
    untouched.Stop();
    untouched.Pause();
    untouched.Seek(3);
    untouched.Play(longClip_);
    untouched.DestroyPreviewWindow();

    // The worker may reach Play only after the user pressed stop.
    startWindow();
    library_.Stop();
    {
        PlayThread late(library_, longClip_);
        ASSERT_TRUE(late.waitDone(3000));
    }
    EXPECT_LT(positions_.last(), 1.0); // it played no second of the file

    // That Stop was used up: the next Play plays, and a Stop from the GUI thread ends it.
    {
        PlayThread play(library_, longClip_);
        ASSERT_TRUE(waitPosition(0.3, 5000));
        const double stoppedAt = positions_.last();
        library_.Stop();
        ASSERT_TRUE(play.waitDone(2000));
        EXPECT_LT(positions_.last(), stoppedAt + 1.0); // it played no second further
        EXPECT_LT(positions_.last(), 3.0);
    }

    // The stopped file's late end does not end the next Play in the same window.
    positions_.clear();
    PlayThread again(library_, longClip_);
    EXPECT_TRUE(waitPosition(1.0, 5000));
    EXPECT_FALSE(again.done());
}

TEST_F(MpvPreviewLibraryTest, DestroyingTheWindowEndsAPlayStillRunning) {
    startWindow();
    PlayThread play(library_, longClip_);
    ASSERT_TRUE(waitPosition(0.3, 5000));
    library_.DestroyPreviewWindow();
    // The core is gone only after Play let go of it.
    EXPECT_TRUE(QTest::qWaitFor([&] { return play.done(); }, 500));
    EXPECT_FALSE(hasPicture(panel_));
}

TEST_F(MpvPreviewLibraryTest, PauseHoldsThePositionAndSeekMovesIt) {
    startWindow();
    {
        PlayThread play(library_, longClip_);
        ASSERT_TRUE(waitPosition(0.3, 5000));
        library_.Pause();
        QTest::qWait(400); // let the pause take hold
        const double held = positions_.last();
        QTest::qWait(700); // nothing is awaited: the position must not move meanwhile
        EXPECT_EQ(positions_.last(), held);
        EXPECT_LT(held, 2.0);

        library_.Pause();
        EXPECT_TRUE(waitPosition(held + 0.3, 2000));
        library_.Seek(4);
        EXPECT_TRUE(waitPosition(4.0, 2000));
        EXPECT_TRUE(play.waitDone(5000));
    }

    // A seek made before Play is kept until the file is open.
    library_.Seek(4);
    positions_.clear();
    PlayThread play(library_, longClip_);
    ASSERT_TRUE(play.waitDone(8000));
    EXPECT_GE(positions_.last(), 5.0);
    // Played from its start, the file would tell some 75 positions before its third second.
    const std::vector<double> seen = positions_.all();
    EXPECT_LT(std::count_if(seen.begin(), seen.end(), [](double p) { return p < 3.0; }), 5);
}

TEST_F(MpvPreviewLibraryTest, PlayReturnsForWhatIsNoMediaFile) {
    const QString text = QDir(dir_->path()).filePath(QStringLiteral("notes.mp4"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("just some words\nand another line\n");
    file.close();

    startWindow();
    for (const QString& path : {text, QDir(dir_->path()).filePath(QStringLiteral("missing.mp4")),
                                dir_->path(), QString()}) {
        PlayThread play(library_, path);
        EXPECT_TRUE(play.waitDone(5000)) << path.toStdString();
    }
    EXPECT_TRUE(positions_.all().empty());

    // What the failed loads left behind does not end the next playback early.
    PlayThread play(library_, longClip_);
    EXPECT_TRUE(waitPosition(1.0, 5000));
    EXPECT_FALSE(play.done());
}

TEST_F(MpvPreviewLibraryTest, PlayOnTheGuiThreadKeepsDrawingAndCanBeStopped) {
    startWindow();
    bool sawPicture = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        sawPicture = sawPicture || hasPicture(panel_);
        if (positions_.last() < 0.5)
            return;
        watch.stop();
        // The player's stop sequence, run from inside the blocked Play.
        library_.Stop();
        QThread::msleep(50);
        library_.DestroyPreviewWindow();
    });
    watch.start(20);

    library_.Play(longClip_);
    EXPECT_LT(positions_.last(), 3.0); // stopped, not played to its end
    EXPECT_TRUE(sawPicture);
    EXPECT_FALSE(hasPicture(panel_));
}

} // namespace
