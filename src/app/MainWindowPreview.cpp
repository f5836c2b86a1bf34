// The main window's preview side: the player, the snapshot and the cutter.
#include "app/MainWindow.h"

#include "convert/ConvertRunner.h"
#include "convert/JobState.h"
#include "media/SourceList.h"
#include "preview/CutterWindow.h"
#include "preview/MpvPreviewLibrary.h"
#include "preview/PosterFrame.h"
#include "preview/PreviewPlayer.h"
#include "preview/Snapshot.h"
#include "profiles/ProfileSelector.h"
#include "shell/Dialogs.h"
#include "shell/ImageButton.h"
#include "shell/TSkin.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QTreeWidget>
#include <utility>

namespace vc {

namespace {

enum SliderPhase { Press, Track, Release };

} // namespace

void Tfm_main::createPreview(PreviewLibrary* library) {
    if (!library) {
        ownLibrary_ = std::make_unique<MpvPreviewLibrary>();
        library = ownLibrary_.get();
    }
    PreviewPlayer::Hooks h;
    h.rows = [this] {
        return sources_->rows();
    };
    h.selectedRow = [this] {
        return selectedRow();
    };
    h.selectRow = [this](int row) {
        if (QTreeWidgetItem* item = lv_->topLevelItem(row)) {
            item->setSelected(true);
            lv_->setCurrentItem(item);
        }
    };
    h.unselectAll = [this] {
        lv_->clearSelection();
    };
    h.rowClick = [this] {
        sources_->rowClick();
    };
    h.path = [this](int row) {
        return sources_->records().info(row).path;
    };
    h.duration = [this](int row) {
        return sources_->records().info(row).duration;
    };
    h.totalsecs = [this](int row) {
        return sources_->records().cut(row).totalsecs;
    };
    h.setStatus = [this](int row, const QString& text) {
        sources_->setStatus(row, text);
    };
    h.converting = [this] {
        return converting();
    };
    h.warn = [this](int id) {
        warn(id);
    };
    h.refreshCommands = [this] {
        refreshCommandState();
    };
    h.showPanel = [this](QWidget* panel, bool visible) {
        // A playback that ends hands the panel back to the selected row's first frame.
        const int row = selectedRow();
        if (!visible && poster_ && panel == controls_.value(QStringLiteral("pl_play")) &&
            row >= 0 && row < sources_->rows()) {
            poster_->show(sources_->records().info(row).path);
            visible = true;
        }
        if (panel)
            panel->setVisible(visible);
    };
    player_ = std::make_unique<PreviewPlayer>(*library, h);
    player_->setMainPanel(controls_.value(QStringLiteral("pl_play")));
    poster_ = new PosterFrame(controls_.value(QStringLiteral("pl_play")), program_.toolPath,
                              program_.folder, this);
    // Stills have a runner of their own, so a batch never takes one's end for its own.
    snapshotRunner_ = new ConvertRunner(this);
    snapshotJob_.toolpath = program_.toolPath;
    snapshotJob_.workdir = program_.folder;
    connect(snapshotRunner_, &ConvertRunner::lineDelivered, this,
            [this](const QByteArray&, const QByteArray& fresh) {
                snapshotWords_.take(
                    std::string_view(fresh.constData(), static_cast<std::size_t>(fresh.size())));
            });
    connect(snapshotRunner_, &ConvertRunner::ended, this, [this](const RunEnd& end) {
        const QString saved = end.output.isEmpty() ? snapshotJob_.outfile : end.output;
        if (!runFailed(end, snapshotJob_)) {
            showHint(QStringLiteral("Snapshot saved as %1").arg(QDir::toNativeSeparators(saved)));
            return;
        }
        const QString reason = snapshotWords_.last();
        showHint(reason.isEmpty()
                     ? QStringLiteral("The snapshot could not be saved.")
                     : QStringLiteral("The snapshot could not be saved: %1").arg(reason));
    });

    const auto wire = [this](const char* name, void (PreviewPlayer::*command)()) {
        connect(buttons_.value(QLatin1String(name)), &QAbstractButton::clicked, player_.get(),
                command);
    };
    wire("bt_play", &PreviewPlayer::bt_playClick);
    wire("bt_playstop", &PreviewPlayer::stopSequence);
    wire("bt_back", &PreviewPlayer::bt_backClick);
    wire("bt_next", &PreviewPlayer::bt_nextClick);
    connect(buttons_.value(QStringLiteral("bt_images")), &QAbstractButton::clicked, this,
            &Tfm_main::bt_imagesClick);
    connect(buttons_.value(QStringLiteral("bt_cut")), &QAbstractButton::clicked, this,
            &Tfm_main::bt_cutClick);

    connect(skin_, &TSkin::OnMouseDown, this,
            [this](ISkinObject* source) { onSkinSlider(source, Press); });
    connect(skin_, &TSkin::OnScrollTrack, this,
            [this](ISkinObject* source) { onSkinSlider(source, Track); });
    connect(skin_, &TSkin::OnMouseUp, this,
            [this](ISkinObject* source) { onSkinSlider(source, Release); });
}

void Tfm_main::connectPreviewDisplay() {
    player_->setDisplay(PreviewPlayer::Panel::Main,
                        {elements_.play_time, elements_.play_bar, &elements_.playposBar});
    player_->setDisplay(
        PreviewPlayer::Panel::Cutter,
        {elements_.cut_play_time, elements_.cut_play_bar, &elements_.cutplayposBar});
    if (windows_.cutter)
        windows_.cutter->setDisplay({elements_.cut_begin_time, elements_.cut_end_time,
                                     elements_.cut_play_time, elements_.cut_play_bar,
                                     elements_.cut_play_bar});
}

void Tfm_main::setWindows(const MainWindows& windows) {
    windows_ = windows;
    connectCutter();
}

void Tfm_main::connectCutter() {
    Tfm_dvdcutter* cutter = windows_.cutter;
    if (!cutter)
        return;
    Tfm_dvdcutter::Hooks h;
    h.rows = [this] {
        return sources_->rows();
    };
    h.title = [this](int row) {
        return sources_->title(row);
    };
    h.cut = [this](int row) {
        return &sources_->records().cut(row);
    };
    h.setDuration = [this](int row, const QString& duration) {
        sources_->records().info(row).duration = duration;
        if (QTreeWidgetItem* item = lv_->topLevelItem(row))
            item->setText(SourceList::TimeColumn, duration);
    };
    h.refreshEstimates = [this] {
        sources_->refreshEstimates();
    };
    h.converting = [this] {
        return converting();
    };
    h.refuse = [this](int id) {
        warn(id);
    };
    h.playing = [this] {
        return playing();
    };
    h.setPreviewItem = [this](int row) {
        player_->setPreviewItem(row);
    };
    h.previewItem = [this] {
        return player_->previewItem();
    };
    h.play = [this, cutter](int row) {
        player_->cutterPlay(row, cutter->pl_play());
    };
    h.stop = [this] {
        player_->stopSequence();
    };
    h.pause = [this] {
        player_->pauseToggle();
    };
    h.jump = [this](int seconds) {
        player_->jumpTo(seconds);
    };
    h.setCutterOpen = [this](bool open) {
        player_->setCutterOpen(open);
    };
    cutter->setHooks(h);
}

int Tfm_main::previewItem() const {
    return player_->previewItem();
}

bool Tfm_main::playing() const {
    return player_ && player_->playing();
}

int Tfm_main::selectedRow() const {
    return sources_->firstSelectedRow();
}

void Tfm_main::warn(int textId) {
    if (const auto text = language_.lookup(textId))
        dialogs_.warning(this, Caption, *text);
}

void Tfm_main::bt_imagesClick() {
    const int item = player_->previewItem();
    // One still at a time: a second launch would replace the run still writing the first.
    if (item < 0 || !playing() || converting() || !selector_ || snapshotRunner_->active())
        return;
    SnapshotInputs in;
    in.conversion = conversionInputs(item, takeOutputFolder());
    in.playTime = player_->playTimeText();
    fillSnapshotJob(snapshotJob_, in, lookOnDisk);
    snapshotWords_.clear();
    snapshotRunner_->Launch(snapshotJob_);
}

void Tfm_main::bt_cutClick() {
    if (playing()) {
        warn(27);
        return;
    }
    if (converting()) {
        warn(26);
        return;
    }
    if (windows_.cutter)
        windows_.cutter->showBeside(this);
}

bool Tfm_main::onPreviewClick(const QString& name) {
    Tfm_dvdcutter* cutter = windows_.cutter;
    if (name == QLatin1String("stop"))
        player_->stopSequence();
    else if (name == QLatin1String("pause"))
        player_->pauseToggle();
    else if (name == QLatin1String("cutter")) {
        if (playing())
            warn(27);
        else if (converting())
            warn(26);
    } else if (!cutter)
        return false;
    else if (name == QLatin1String("play"))
        cutter->playClick();
    else if (name == QLatin1String("begin"))
        cutter->beginClick();
    else if (name == QLatin1String("end"))
        cutter->endClick();
    else if (name == QLatin1String("hou"))
        cutter->houClick();
    else if (name == QLatin1String("qian"))
        cutter->qianClick();
    else if (name == QLatin1String("cutclose")) {
        player_->stopSequence();
        if (cutter->isVisible())
            cutter->close();
    } else
        return false;
    return true;
}

void Tfm_main::onSkinSlider(ISkinObject* source, int phase) {
    if (!source)
        return;
    PreviewPlayer::Panel panel;
    if (source->name() == QLatin1String("play_bar"))
        panel = PreviewPlayer::Panel::Main;
    else if (source->name() == QLatin1String("cut_play_bar"))
        panel = PreviewPlayer::Panel::Cutter;
    else
        return;
    if (phase == Press)
        player_->sliderMouseDown(panel);
    else if (phase == Track)
        player_->sliderScrollTrack(panel);
    else
        player_->sliderMouseUp(panel);
}

} // namespace vc
