// The main window's conversion side: the batch, the job for each row and the command state.
#include "app/MainWindow.h"

#include "common/Clock.h"
#include "common/FileNames.h"
#include "convert/BatchControl.h"
#include "convert/CommandState.h"
#include "convert/ConvertRunner.h"
#include "media/SourceList.h"
#include "profiles/ProfileSelector.h"
#include "profiles/QualityRates.h"
#include "shell/Dialogs.h"
#include "shell/ImageButton.h"
#include "shell/SkinObject.h"

#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QTreeWidget>

namespace vc {

bool Tfm_main::converting() const {
    return converting_ || (batch_ && batch_->converting());
}

void Tfm_main::createBatch() {
    job_.toolpath = program_.toolPath;
    job_.workdir = program_.folder;
    runner_ = new ConvertRunner(this);
    BatchControl::Hooks hooks;
    hooks.previewPlaying = [this] {
        return playing();
    };
    hooks.rows = [this] {
        return sources_->rows();
    };
    hooks.ticked = [this](int row) {
        return sources_->isTicked(row);
    };
    hooks.prepare = [this](int row, intputrec& job) {
        return prepareJob(row, job);
    };
    hooks.setStatus = [this](int row, const QString& status) {
        sources_->setStatus(row, status);
        if (batchProgress_ && batchRows_.contains(row))
            batchProgress_->follow(int(batchRows_.indexOf(row)), status);
    };
    hooks.batchStarted = [this](const QList<int>& rows) {
        std::vector<double> lengths;
        for (const int row : rows)
            lengths.push_back(double(
                std::max<std::int64_t>(0, clockToSeconds(sources_->records().info(row).duration))));
        batchRows_ = rows;
        batchProgress_ = std::make_unique<BatchProgress>(lengths);
        batchClock_.start();
        batchTimer_->start();
        showBatchProgress();
    };
    hooks.refreshCommands = [this] {
        refreshCommandState();
    };
    hooks.refuse = [this](int id) {
        if (const auto text = language_.lookup(id))
            dialogs_.warning(this, Caption, *text);
    };
    hooks.inform = [this](const QString& text) {
        dialogs_.information(this, Caption, text);
    };
    hooks.batchFinished = [this] {
        notifyBatchEnd();
        if (finishAction_ == 1)
            shell_.openFolder(jobFolder_);
        else if (finishAction_ == 2)
            shell_.powerOff();
    };
    // A few times a second: often enough to look alive, seldom enough to cost nothing.
    batchTimer_ = new QTimer(this);
    batchTimer_->setInterval(250);
    connect(batchTimer_, &QTimer::timeout, this, &Tfm_main::showBatchProgress);
    batch_ = new BatchControl(*runner_, job_, hooks, this);
    connect(this, &Tfm_main::stopConversionRequested, batch_, &BatchControl::Bt_ConvertstopClick);
    const auto wire = [this](const char* name, void (BatchControl::*command)()) {
        connect(buttons_.value(QLatin1String(name)), &QAbstractButton::clicked, batch_, command);
    };
    wire("bt_start", &BatchControl::bt_startClick);
    wire("bt_pause", &BatchControl::bt_pauseClick);
    wire("Bt_Convertstop", &BatchControl::Bt_ConvertstopClick);
}

void Tfm_main::showBatchProgress() {
    SkinElement* info = elements_.convertinfo;
    QString text;
    if (batchProgress_ && converting()) {
        const double seconds = batchClock_.elapsed() / 1000.0;
        text = QStringLiteral("%1%").arg(batchProgress_->percent(), 0, 'f', 1);
        if (const auto left = batchProgress_->secondsLeft(seconds))
            text += QStringLiteral(" \u00b7 about %1 left").arg(secondsToClock(*left));
    } else {
        batchTimer_->stop();
        batchProgress_.reset();
    }
    if (info && info->text() != text) {
        info->setText(text);
        info->redraw();
    }
}

void Tfm_main::notifyBatchEnd() {
    // Someone at the window sees the statuses; someone elsewhere is told.
    if (isActiveWindow())
        return;
    int finished = 0;
    int failed = 0;
    for (int row = 0; row < sources_->rows(); ++row) {
        if (!sources_->isTicked(row))
            continue;
        const QString status = lv_->topLevelItem(row)->text(SourceList::StatusColumn);
        finished += status == QLatin1String("Finish");
        failed += status == QLatin1String("Failed");
    }
    QPointer<Tfm_main> window(this);
    shell_.notify(Caption, batchEndText(finished, failed), [window] {
        if (!window)
            return;
        if (window->isMinimized() || !window->isVisible())
            window->showNormal();
        window->raise();
        window->activateWindow();
    });
}

QString Tfm_main::takeOutputFolder() {
    QString folderText = ed_output_->text();
    // With the separator appended, an empty field would name the root folder; the default
    // folder is what a first start and batch mode give as well.
    if (folderText.trimmed().isEmpty()) {
        folderText = SettingsStore::defaultOutputFolder();
        ed_output_->setText(folderText);
    }
    outputFolder_ = folderText;
    makeFolder(folderText);
    // The tool runs in the program folder: a relative folder must reach it as the one made
    // here, or its name checks and its writes would concern different files.
    const QString folder = folderText.startsWith(u'/') ? folderText : absoluteFilePath(folderText);
    jobFolder_ = jobFolder(folder);
    return folder;
}

ConversionInputs Tfm_main::conversionInputs(int row, const QString& folderText) const {
    return rowConversionInputs(folderText, sources_->title(row), sources_->records().info(row),
                               sources_->records().cut(row), selector_->state(),
                               selector_->choice(),
                               controls_.value(QStringLiteral("cb_size"))->isEnabled());
}

bool Tfm_main::prepareJob(int row, intputrec& job) {
    if (!selector_ || row < 0 || row >= sources_->rows())
        return false;
    // No profile in force (its data could not be used at start): try the chosen one again, so
    // a mended file takes effect and a damaged one is named once more instead of converting.
    if (selector_->selected() == 0 && !selector_->select(selectedProfile_))
        return false;
    const QString folderText = takeOutputFolder();
    fillJob(job, conversionInputs(row, folderText), lookOnDisk);
    return true;
}

QString Tfm_main::estimateFor(const Toriginalinfo& info) const {
    if (!selector_)
        return {};
    const EstimateResult result =
        estimate(selector_->state(), selector_->choice(),
                 SourceInfo{info.duration, info.resolution, info.videobit, info.audiobit});
    return result.error.isEmpty() ? result.text : QString();
}

void Tfm_main::refreshCommandState() {
    RunState state;
    state.rows = sources_->rows();
    state.rowSelected = !lv_->selectedItems().isEmpty();
    state.previewPlaying = playing();
    state.converting = converting();
    state.adding = sources_->adding();
    const QHash<QString, bool> enabled = commandState(state);
    for (auto it = enabled.begin(); it != enabled.end(); ++it) {
        if (ImageButton* button = buttons_.value(it.key()))
            button->setEnabled(it.value());
    }
    for (QMenu* m : {zm_popup_file_, zm_pop_edit_, zm_pop_actions_})
        for (QAction* action : m->actions())
            if (enabled.contains(action->objectName()))
                action->setEnabled(enabled.value(action->objectName()));
    // Pause acts on the preview only, as Stop does.
    for (SkinElement* pause : {elements_.pause, elements_.cut_pause})
        if (pause)
            pause->setEnabled(enabled.value(QStringLiteral("bt_playstop")));
    for (SkinElement* slider : {elements_.play_bar, elements_.cut_play_bar}) {
        if (!slider)
            continue;
        slider->setVisible(enabled.value(slider->name()));
        slider->redraw();
    }
}

} // namespace vc
