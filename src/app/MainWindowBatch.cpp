// The main window's conversion side: the batch, the job for each row and the command state.
#include "app/MainWindow.h"

#include "common/FileNames.h"
#include "convert/CommandState.h"
#include "convert/ConversionQueue.h"
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
    return converting_ || (queue_ && queue_->active());
}

void Tfm_main::showHint(const QString& text) {
    if (elements_.hint) {
        elements_.hint->setText(text);
        elements_.hint->redraw();
    }
}

void Tfm_main::createBatch() {
    queue_ = new ConversionQueue(program_.toolPath, program_.folder, this);
    connect(queue_, &ConversionQueue::jobStarted, this,
            [this](int job) { sources_->setFailure(batchRows_.value(job), {}); });
    connect(queue_, &ConversionQueue::jobChanged, this, &Tfm_main::showJob);
    connect(queue_, &ConversionQueue::progressLine, this, [this](int job, const QString& line) {
        // Several at once share the line: the first in the list that still runs has it.
        for (int i = 0; i < job; ++i)
            if (!queue_->status(i).ended() && queue_->status(i).state != JobState::Waiting)
                return;
        showHint(line);
    });
    connect(queue_, &ConversionQueue::runningChanged, this, [this] {
        refreshCommandState();
        showPauseCaption();
        showBatchProgress();
    });
    connect(queue_, &ConversionQueue::finished, this, [this] {
        tellBatchEnd();
        if (finishAction_ == 1)
            shell_.openFolder(jobFolder_);
        else if (finishAction_ == 2)
            shell_.powerOff();
    });
    // A few times a second: often enough to look alive, seldom enough to cost nothing.
    batchTimer_ = new QTimer(this);
    batchTimer_->setInterval(250);
    connect(batchTimer_, &QTimer::timeout, this, &Tfm_main::showBatchProgress);
    connect(this, &Tfm_main::stopConversionRequested, this, &Tfm_main::Bt_ConvertstopClick);
    const auto wire = [this](const char* name, void (Tfm_main::*command)()) {
        connect(buttons_.value(QLatin1String(name)), &QAbstractButton::clicked, this, command);
    };
    wire("bt_start", &Tfm_main::bt_startClick);
    wire("bt_pause", &Tfm_main::bt_pauseClick);
    wire("Bt_Convertstop", &Tfm_main::Bt_ConvertstopClick);
}

void Tfm_main::bt_startClick() {
    if (queue_->active())
        return;
    if (playing()) {
        warn(27);
        return;
    }
    QList<int> rows;
    for (int row = 0; row < sources_->rows(); ++row)
        if (sources_->isTicked(row))
            rows << row;
    if (sources_->rows() == 0)
        return;
    if (rows.isEmpty()) {
        // Rows that are merely selected look chosen; say what chooses them.
        showHint(QStringLiteral("Tick the files to convert in the first column."));
        dialogs_.information(this, Caption, QStringLiteral("Please select one file."));
        return;
    }
    if (!selector_ || !prepareBatchFolder())
        return;
    // No profile in force (its data could not be used at start): try the chosen one again, so
    // a mended file takes effect and a damaged one is named once more instead of converting.
    if (selector_->selected() == 0 && !selector_->select(selectedProfile_))
        return;
    std::vector<ConversionJob> jobs;
    for (const int row : std::as_const(rows))
        jobs.push_back(makeConversionJob(conversionInputs(row, batchFolder_)));
    batchRows_ = rows;
    queue_->start(std::move(jobs), filesAtOnce_);
    if (queue_->active())
        batchTimer_->start();
}

void Tfm_main::bt_pauseClick() {
    if (queue_->paused())
        queue_->resume();
    else
        queue_->pause();
}

void Tfm_main::Bt_ConvertstopClick() {
    queue_->stop();
}

QString Tfm_main::pauseCaption() const {
    return queue_ && queue_->paused() ? QStringLiteral("Continue") : QStringLiteral("Pause");
}

void Tfm_main::showPauseCaption() {
    const QString caption = pauseCaption();
    if (QAction* pause = zm_pop_actions_->findChild<QAction*>(QStringLiteral("Pause1")))
        pause->setText(caption);
    buttons_.value(QStringLiteral("bt_pause"))->setAccessibleName(caption);
    buttons_.value(QStringLiteral("bt_pause"))->setAccessibleDescription(caption);
}

void Tfm_main::showJob(int job) {
    const int row = batchRows_.value(job, -1);
    if (row < 0 || row >= sources_->rows())
        return;
    const JobStatus& status = queue_->status(job);
    if (const QString text = statusText(status); !text.isEmpty())
        sources_->setStatus(row, text);
    if (status.state == JobState::Failed) {
        sources_->setFailure(row, status.reason);
        failureHint_ = status.reason;
        showHint(status.reason);
    }
    showBatchProgress();
}

// The bar and the text above it tell the same story: the whole batch. A row's own share is
// in its status cell.
void Tfm_main::showBatchProgress() {
    SkinElement* info = elements_.convertinfo;
    QString text;
    std::int64_t value = 0;
    if (queue_->active()) {
        text = queue_->barText();
        value = queue_->barValue();
    } else {
        batchTimer_->stop();
    }
    elements_.convertposBar.show(value);
    if (info && info->text() != text) {
        info->setText(text);
        info->redraw();
    }
}

void Tfm_main::tellBatchEnd() {
    QStringList failures;
    for (int job = 0; job < queue_->size(); ++job) {
        const int row = batchRows_.value(job);
        if (queue_->status(job).state == JobState::Failed && row < sources_->rows())
            failures << sources_->title(row) + QStringLiteral(": ") + queue_->status(job).reason;
    }
    const BatchCounts counts(queue_->statuses());
    const QString text = batchEndText(counts.finished, counts.failed);
    // Someone at the window sees the statuses, but not why a row failed; a box waiting for
    // them would keep the computer from shutting down as asked.
    if (isActiveWindow()) {
        if (!failures.isEmpty() && finishAction_ != 2)
            dialogs_.informationList(this, Caption, text, failures);
        return;
    }
    QPointer<Tfm_main> window(this);
    shell_.notify(Caption, text, [window] {
        if (!window)
            return;
        if (window->isMinimized() || !window->isVisible())
            window->showNormal();
        window->raise();
        window->activateWindow();
    });
}

void Tfm_main::forgetGoneFailure() {
    if (failureHint_.isEmpty())
        return;
    for (int row = 0; row < sources_->rows(); ++row)
        if (sources_->records().info(row).failure == failureHint_)
            return;
    if (elements_.hint && elements_.hint->text() == failureHint_)
        showHint({});
    failureHint_.clear();
}

QString Tfm_main::takeOutputFolder(QString* problem) {
    QString folderText = ed_output_->text();
    // With the separator appended, an empty field would name the root folder; the default
    // folder is what a first start and batch mode give as well.
    if (folderText.trimmed().isEmpty()) {
        folderText = SettingsStore::defaultOutputFolder();
        ed_output_->setText(folderText);
    }
    outputFolder_ = folderText;
    // The tool runs in the program folder: a relative folder must reach it as the one made
    // here, or its name checks and its writes would concern different files.
    const QString folder = folderText.startsWith(u'/') ? folderText : absoluteFilePath(folderText);
    const QString reason = makeWritableFolder(folder);
    if (problem)
        *problem = reason;
    jobFolder_ = jobFolder(folder);
    return folder;
}

bool Tfm_main::prepareBatchFolder() {
    QString problem;
    batchFolder_ = takeOutputFolder(&problem);
    if (problem.isEmpty())
        return true;
    dialogs_.warning(this, Caption,
                     QStringLiteral("The output folder %1 cannot be used: %2.")
                         .arg(QDir::toNativeSeparators(QDir::cleanPath(batchFolder_)), problem));
    return false;
}

ConversionInputs Tfm_main::conversionInputs(int row, const QString& folderText) const {
    return rowConversionInputs(folderText, sources_->title(row), sources_->records().info(row),
                               sources_->records().cut(row), selector_->state(),
                               selector_->choice(),
                               controls_.value(QStringLiteral("cb_size"))->isEnabled());
}

QString Tfm_main::estimateFor(const Toriginalinfo& info) const {
    if (!selector_)
        return {};
    const EstimateResult result =
        estimate(selector_->state(), selector_->choice(), sourceInfo(info));
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
