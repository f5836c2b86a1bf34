#include "preview/PreviewPlayer.h"

#include "common/Clock.h"
#include "common/Rounding.h"

#include <QDeadlineTimer>
#include <QWidget>
#include <algorithm>
#include <limits>

namespace vc {

namespace {

constexpr int ConversionRunningText = 26;
// How long closing the player waits for a Play that has not yet returned.
constexpr int ShutdownWaitMs = 2000;

int toSeekSeconds(std::int64_t seconds) {
    return static_cast<int>(std::clamp<std::int64_t>(seconds, 0, std::numeric_limits<int>::max()));
}

} // namespace

TVideoplay::TVideoplay(PreviewLibrary& library, QString path,
                       std::shared_ptr<PlaybackShared> shared, std::uint64_t session)
    : library_(library), path_(std::move(path)), shared_(std::move(shared)), session_(session) {}

void TVideoplay::run() {
    library_.Play(path_);
    if (shared_->playing.load() && shared_->session.load() == session_)
        emit playReturned(session_);
}

PreviewPlayer::PreviewPlayer(PreviewLibrary& library, Hooks hooks, QObject* parent)
    : QObject(parent), library_(library), hooks_(std::move(hooks)),
      shared_(std::make_shared<PlaybackShared>()) {
    play_time_.setObjectName(QStringLiteral("play_time"));
    connect(&play_time_, &QTimer::timeout, this, &PreviewPlayer::play_timeTimer);
    endTimer_.setSingleShot(true);
    connect(&endTimer_, &QTimer::timeout, this, &PreviewPlayer::stopSequence);
}

PreviewPlayer::~PreviewPlayer() {
    play_time_.stop();
    endTimer_.stop();
    if (playing()) {
        shared_->playing = false;
        library_.Stop();
        waitForWorker(timing_.waitMs);
        library_.DestroyPreviewWindow();
    }
    // A thread still inside Play uses the library; it deletes itself once it returns.
    const QDeadlineTimer deadline(ShutdownWaitMs);
    for (const QPointer<TVideoplay>& worker : std::as_const(workers_))
        if (worker && worker->isRunning())
            worker->wait(deadline);
}

void PreviewPlayer::setMainPanel(QWidget* panel) {
    mainPanel_ = panel;
}

void PreviewPlayer::setDisplay(Panel panel, const Display& display) {
    (panel == Panel::Main ? main_ : cutter_) = display;
}

int PreviewPlayer::rowCount() const {
    return hooks_.rows ? hooks_.rows() : 0;
}

bool PreviewPlayer::converting() const {
    return hooks_.converting && hooks_.converting();
}

int PreviewPlayer::previewItem() const {
    return previewItem_ >= 0 && previewItem_ < rowCount() ? previewItem_ : -1;
}

std::int64_t PreviewPlayer::durationSeconds(int row) const {
    return row >= 0 && hooks_.duration ? clockToSeconds(hooks_.duration(row)) : 0;
}

const PreviewPlayer::Display& PreviewPlayer::display(Panel panel) const {
    return panel == Panel::Main ? main_ : cutter_;
}

QString PreviewPlayer::playTimeText() const {
    return main_.time ? main_.time->text() : QString();
}

void PreviewPlayer::setStatus(int row, const QString& text) {
    if (row >= 0 && hooks_.setStatus)
        hooks_.setStatus(row, text);
}

void PreviewPlayer::refresh() {
    if (hooks_.refreshCommands)
        hooks_.refreshCommands();
}

void PreviewPlayer::setPanelVisible(QWidget* panel, bool visible) {
    if (hooks_.showPanel)
        hooks_.showPanel(panel, visible);
    else if (panel)
        panel->setVisible(visible);
}

void PreviewPlayer::bt_playClick() {
    playRow(hooks_.selectedRow ? hooks_.selectedRow() : -1, mainPanel_);
}

void PreviewPlayer::cutterPlay(int row, QWidget* panel) {
    playRow(row, panel);
}

void PreviewPlayer::playRow(int row, QWidget* panel) {
    if (row < 0 || row >= rowCount())
        return;
    if (converting()) {
        if (hooks_.warn)
            hooks_.warn(ConversionRunningText);
        return;
    }
    if (paused_)
        pauseToggle();
    if (playing())
        return;
    startPlayback(row, panel);
}

void PreviewPlayer::startPlayback(int row, QWidget* panel) {
    shared_->playing = true;
    const std::uint64_t session = shared_->session.load() + 1;
    shared_->session = session;
    refresh();
    previousRelative_ = -1.0;
    setPanelVisible(panel, true);

    previewItem_ = row;

    firstTick_ = true;
    // A file that never reports a position must not inherit the last file's offset.
    baseOffset_ = 0;
    library_.InitPreviewWindow(panel, panel ? panel->width() : 0, panel ? panel->height() : 0);
    shared_->firstPosition = 0.0;
    library_.SetEventFuntion([shared = shared_](double seconds) {
        double none = 0.0;
        if (seconds > 0.0)
            shared->firstPosition.compare_exchange_strong(none, seconds);
        shared->position = seconds;
    });

    currentSecond_ = 0;
    shared_->position = 0.0;
    seekFloor_ = 0.0;
    stallCount_ = 0;
    endTimer_.stop();
    library_.Seek(0);

    setStatus(row, QStringLiteral("Play"));
    path_ = hooks_.path ? hooks_.path(row) : QString();

    auto* worker = new TVideoplay(library_, path_, shared_, session);
    connect(worker, &TVideoplay::playReturned, this, &PreviewPlayer::onPlayReturned);
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
    if (!worker->isRunning() && !worker->isFinished()) {
        // The library's window stays set up until the user stops the player.
        delete worker;
        play_time_.stop();
        if (main_.bar)
            main_.bar->setPosition(0);
        if (main_.marker)
            main_.marker->show(0);
        if (main_.time) {
            main_.time->setText(secondsToClock(0));
            main_.time->redraw();
        }
        setStatus(row, QStringLiteral("Stop"));
        return;
    }
    worker_ = worker;
    workers_.removeAll(nullptr);
    workers_.append(worker);
    play_time_.start(timing_.tickMs);
}

void PreviewPlayer::onPlayReturned(quint64 session) {
    if (playing() && session == shared_->session.load())
        stopSequence();
}

void PreviewPlayer::waitForWorker(int ms) {
    if (worker_ && worker_->isRunning())
        worker_->wait(QDeadlineTimer(std::max(ms, 0)));
}

void PreviewPlayer::pauseToggle() {
    if (!playing())
        return;
    paused_ = !paused_;
    library_.Pause();
    if (paused_) {
        play_time_.stop();
        setStatus(previewItem(), QStringLiteral("Pause"));
    } else {
        play_time_.start(timing_.tickMs);
        setStatus(previewItem(), QStringLiteral("Play"));
    }
}

void PreviewPlayer::stopSequence() {
    if (playing()) {
        shared_->playing = false;
        // The library's pause state would otherwise carry over into the next playback.
        if (paused_) {
            library_.Pause();
            paused_ = false;
        }
        library_.Stop();
        // Stop makes the pending Play return; give it that long, but never hang on it.
        waitForWorker(timing_.waitMs);
        library_.DestroyPreviewWindow();
    }
    endTimer_.stop();
    setStatus(previewItem(), QStringLiteral("Stop"));
    setPanelVisible(mainPanel_, false);
    play_time_.stop();

    if (main_.bar)
        main_.bar->setPosition(0);
    if (main_.marker)
        main_.marker->show(0);
    if (cutter_.marker)
        cutter_.marker->show(0);
    if (main_.time) {
        main_.time->setText(secondsToClock(0));
        main_.time->redraw();
    }

    shared_->playing = false;
    refresh();
}

void PreviewPlayer::bt_backClick() {
    step(-1);
}

void PreviewPlayer::bt_nextClick() {
    step(1);
}

void PreviewPlayer::step(int delta) {
    if (hooks_.unselectAll)
        hooks_.unselectAll();
    const int item = previewItem();
    if (item < 0)
        return;
    if (delta < 0 ? item < 1 : item > rowCount() - 2)
        return;
    stopSequence();
    previewItem_ = item + delta;
    if (hooks_.selectRow)
        hooks_.selectRow(previewItem_);
    if (hooks_.rowClick)
        hooks_.rowClick();
    QThread::msleep(static_cast<unsigned long>(std::max(timing_.waitMs, 0)));
    bt_playClick();
}

void PreviewPlayer::play_timeTimer() {
    const double position = shared_->position.load();
    if (firstTick_ && position > 0.0) {
        firstTick_ = false;
        // The first tick comes a second into playback; by then the position has moved on
        // from the file's start, which the first report still tells.
        const double first = shared_->firstPosition.load();
        baseOffset_ = roundHalfEven(first > 0.0 ? first : position);
    }

    if (durationSeconds(previewItem()) - 1 <= currentSecond_)
        endTimer_.start(timing_.endDelayMs);

    const double relative = position - static_cast<double>(baseOffset_);
    // A paused library reports no movement; only a running one that stalls is given up on.
    if (!paused_ && relative == previousRelative_ && previousRelative_ > 1.0) {
        if (stallCount_ < 2) {
            ++stallCount_;
            return;
        }
        play_time_.stop();
        stopSequence();
        return;
    }
    previousRelative_ = relative;
    currentSecond_ = roundHalfEven(relative);
    if (static_cast<double>(currentSecond_) < seekFloor_)
        return;
    showPosition(currentSecond_);
}

void PreviewPlayer::showPosition(std::int64_t second) {
    const Display& d = cutterOpen_ ? cutter_ : main_;
    if (d.time) {
        d.time->setText(secondsToClock(second));
        d.time->redraw();
    }
    if (dragging_)
        return;
    const int item = previewItem();
    const int total = item >= 0 && hooks_.totalsecs ? hooks_.totalsecs(item) : 0;
    const std::int64_t value = mulDivRound(second, SliderFacet::MaxPosition, total).value_or(-1);
    sliderPosition_ =
        static_cast<int>(std::clamp<std::int64_t>(value, -1, std::numeric_limits<int>::max()));
    if (d.bar)
        d.bar->setPosition(sliderPosition_);
    if (d.marker)
        d.marker->show(value);
}

void PreviewPlayer::sliderMouseDown(Panel) {
    if (converting())
        return;
    dragging_ = true;
    if (playing())
        play_time_.stop();
}

void PreviewPlayer::sliderScrollTrack(Panel panel) {
    if (!dragging_ || rowCount() <= 0)
        return;
    const int item = previewItem();
    if (item < 0)
        return;
    const Display& d = display(panel);
    sliderPosition_ = std::clamp(d.bar ? d.bar->position() : 0, 0, SliderFacet::MaxPosition);
    const std::int64_t seconds =
        mulDivRound(sliderPosition_, durationSeconds(item), SliderFacet::MaxPosition).value_or(0);
    if (d.time) {
        d.time->setText(secondsToClock(seconds));
        d.time->redraw();
    }
    if (d.marker)
        d.marker->show(sliderPosition_);
    if (playing())
        library_.Seek(toSeekSeconds(seconds));
}

void PreviewPlayer::sliderMouseUp(Panel panel) {
    if (converting())
        return;
    if (!playing()) {
        dragging_ = false;
        return;
    }
    const Display& d = display(panel);
    sliderPosition_ = std::clamp(d.bar ? d.bar->position() : 0, 0, SliderFacet::MaxPosition);
    const std::int64_t target =
        mulDivRound(sliderPosition_, durationSeconds(previewItem()), SliderFacet::MaxPosition)
            .value_or(0) +
        baseOffset_;
    library_.Seek(toSeekSeconds(target));
    seekFloor_ = static_cast<double>(target);
    play_time_.start(timing_.tickMs);
    if (d.marker)
        d.marker->show(sliderPosition_);
    dragging_ = false;
}

void PreviewPlayer::jumpTo(int seconds) {
    // With nothing playing there is nothing to seek, and a running timer would end the player.
    if (!playing())
        return;
    play_time_.stop();
    library_.Seek(std::max(seconds, 0));
    seekFloor_ = std::max(seconds, 0);
    play_time_.start(timing_.tickMs);
}

} // namespace vc
