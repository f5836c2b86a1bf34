#pragma once

#include "common/SkinFacets.h"
#include "media/SourceRecords.h"
#include "shell/SliderFacet.h"

#include <QWidget>
#include <functional>

class QTreeWidget;

namespace vc {

// The cutter's skin elements.
struct CutterDisplay {
    TextFacet* beginTime = nullptr; // cut_begin_time
    TextFacet* endTime = nullptr;   // cut_end_time
    TextFacet* playTime = nullptr;  // cut_play_time
    SliderFacet* bar = nullptr;     // cut_play_bar
    ShapeFacet* barShape = nullptr; // the same element, shown and hidden
};

// The cutter window: a begin and an end per source row, set while the row plays in its own
// panel. Ranges turn into the rows' durations when the window closes.
class Tfm_dvdcutter : public QWidget {
    Q_OBJECT
public:
    struct Hooks {
        std::function<int()> rows;
        std::function<QString(int row)> title;
        std::function<Tcutinfo*(int row)> cut;
        // The row's new duration text, for the records and the main list's "Time" column.
        std::function<void(int row, const QString& duration)> setDuration;
        std::function<void()> refreshEstimates;
        std::function<bool()> converting;
        std::function<void(int textId)> refuse;
        // The preview player.
        std::function<bool()> playing;
        std::function<void(int row)> setPreviewItem;
        std::function<int()> previewItem;
        // Resumes a paused player, else starts the row in this window's panel.
        std::function<void(int row)> play;
        std::function<void()> stop;
        std::function<void()> pause;
        std::function<void(int seconds)> jump;
        std::function<void(bool open)> setCutterOpen;
    };

    static constexpr int Width = 618;
    static constexpr int Height = 501;
    static constexpr QPoint OffsetFromMain{10, 80};

    explicit Tfm_dvdcutter(QWidget* parent = nullptr);

    void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }
    void setDisplay(const CutterDisplay& display) { display_ = display; }

    QTreeWidget* lv() const { return lv_; }
    QWidget* pl_play() const { return pl_play_; }
    bool isOpen() const { return open_; }

    // Shows the window modally beside the main window.
    void showBeside(const QWidget* main);

    // Skin commands.
    void rowClick();
    void beginClick();
    void endClick();
    void houClick();
    void qianClick();
    void playClick();
    void stopClick();
    void pauseClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    int selectedRow() const;
    void showRange(int row);
    void setBound(bool begin);

    QTreeWidget* lv_;
    QWidget* pl_play_;
    Hooks hooks_;
    CutterDisplay display_;
    bool open_ = false;
};

} // namespace vc
