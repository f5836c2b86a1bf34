#pragma once

#include "common/ProgressMarker.h"
#include "common/SkinFacets.h"
#include "preview/PreviewLibrary.h"
#include "shell/SliderFacet.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class QWidget;

namespace vc {

// What the UI thread, the playback thread and the library's callback thread share.
struct PlaybackShared {
    // Written by the library's callback, read by the tick: one whole 8-byte value.
    std::atomic<double> position{0.0};
    // The first position above 0 this playback reported: where the file's time starts.
    std::atomic<double> firstPosition{0.0};
    std::atomic<bool> playing{false};
    // Which playback is under way, so a late return of an earlier one is not taken for it.
    std::atomic<std::uint64_t> session{0};
};
static_assert(std::atomic<double>::is_always_lock_free);

// Sits in the library's blocking Play. When Play returns on its own while its playback is
// still the one under way, it reports so; the player stops on the UI thread.
class TVideoplay : public QThread {
    Q_OBJECT
public:
    TVideoplay(PreviewLibrary& library, QString path, std::shared_ptr<PlaybackShared> shared,
               std::uint64_t session);

signals:
    void playReturned(quint64 session);

protected:
    void run() override;

private:
    PreviewLibrary& library_;
    QString path_;
    std::shared_ptr<PlaybackShared> shared_;
    std::uint64_t session_;
};

// The preview player: start, pause, stop, previous and next file, the position display kept
// up by the play_time timer, and the seek sliders. Everything it shows or touches outside the
// library comes from the main window through Hooks and the display facets.
class PreviewPlayer : public QObject {
    Q_OBJECT
public:
    // The main window's elements, or the cutter's.
    enum class Panel { Main, Cutter };

    struct Display {
        TextFacet* time = nullptr;        // "play_time" / "cut_play_time"
        SliderFacet* bar = nullptr;       // "play_bar" / "cut_play_bar"
        ProgressMarker* marker = nullptr; // "playpos" / "cutplaypos"
    };

    struct Hooks {
        std::function<int()> rows;
        // The selected row of the source list, -1 when none.
        std::function<int()> selectedRow;
        std::function<void(int row)> selectRow;
        std::function<void()> unselectAll;
        // The source list's row click.
        std::function<void()> rowClick;
        std::function<QString(int row)> path;
        std::function<QString(int row)> duration;
        std::function<int(int row)> totalsecs;
        // The "Status" column.
        std::function<void(int row, const QString& text)> setStatus;
        std::function<bool()> converting;
        std::function<void(int textId)> warn;
        std::function<void()> refreshCommands;
        // Shows or hides a preview panel; without it the panel's own visibility is set.
        std::function<void(QWidget* panel, bool visible)> showPanel;
    };

    struct Timing {
        int tickMs = 1000;
        // Before the library's window goes, and between a row change and the next Play.
        int waitMs = 50;
        int endDelayMs = 10;
    };

    PreviewPlayer(PreviewLibrary& library, Hooks hooks, QObject* parent = nullptr);
    ~PreviewPlayer() override;

    void setTiming(const Timing& timing) { timing_ = timing; }
    void setMainPanel(QWidget* panel);
    void setDisplay(Panel panel, const Display& display);
    // While the cutter is open the running position goes to its elements.
    void setCutterOpen(bool open) { cutterOpen_ = open; }
    bool cutterOpen() const { return cutterOpen_; }

    // Play on the main window's panel with the list's selected row.
    void bt_playClick();
    // Play on the cutter's panel with the cutter's selected row (-1 when none).
    void cutterPlay(int row, QWidget* panel);
    void pauseToggle();
    // Safe from any state; always on the UI thread.
    void stopSequence();
    void bt_backClick();
    void bt_nextClick();

    // Mouse down, scroll track and mouse up on "play_bar" or "cut_play_bar".
    void sliderMouseDown(Panel panel);
    void sliderScrollTrack(Panel panel);
    void sliderMouseUp(Panel panel);

    // The cutter's jumps: seek to seconds and show nothing below it.
    void jumpTo(int seconds);

    // One tick of the position display.
    void play_timeTimer();

    bool playing() const { return shared_->playing.load(); }
    bool paused() const { return paused_; }
    bool timerActive() const { return play_time_.isActive(); }
    // -1 when there is none or it no longer names a row.
    int previewItem() const;
    void setPreviewItem(int row) { previewItem_ = row; }
    // The text of "play_time" as it stands.
    QString playTimeText() const;

private:
    void playRow(int row, QWidget* panel);
    void startPlayback(int row, QWidget* panel);
    void step(int delta);
    void onPlayReturned(quint64 session);
    void waitForWorker(int ms);
    void showPosition(std::int64_t second);
    void setPanelVisible(QWidget* panel, bool visible);
    void setStatus(int row, const QString& text);
    void refresh();
    int rowCount() const;
    bool converting() const;
    std::int64_t durationSeconds(int row) const;
    const Display& display(Panel panel) const;

    PreviewLibrary& library_;
    Hooks hooks_;
    Timing timing_;
    std::shared_ptr<PlaybackShared> shared_;
    QPointer<TVideoplay> worker_;
    // Every playback thread not yet deleted, the latest one included.
    QList<QPointer<TVideoplay>> workers_;
    QPointer<QWidget> mainPanel_;
    Display main_;
    Display cutter_;
    QTimer play_time_;
    QTimer endTimer_;

    bool cutterOpen_ = false;
    bool paused_ = false;
    int previewItem_ = -1;
    QString path_;
    bool firstTick_ = false;
    std::int64_t baseOffset_ = 0;
    double previousRelative_ = -1.0;
    std::int64_t currentSecond_ = 0;
    double seekFloor_ = 0.0;
    int stallCount_ = 0;
    bool dragging_ = false;
    int sliderPosition_ = 0;
};

} // namespace vc
