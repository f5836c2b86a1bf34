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
    hooks.setFailure = [this](int row, const QString& reason) {
        sources_->setFailure(row, reason);
        if (!reason.isEmpty())
            failureHint_ = reason;
    };
    hooks.prepareBatch = [this] {
        return prepareBatchFolder();
    };
    hooks.setStatus = [this](int row, const QString& status) {
        sources_->setStatus(row, status);
        if (batchProgress_ && batchRows_.contains(row)) {
            batchProgress_->follow(int(batchRows_.indexOf(row)), status);
            showBatchProgress();
        }
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
        tellBatchEnd();
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
    // A pause stops the estimate's clock at once, not at the next redraw.
    connect(batch_, &BatchControl::pauseCaptionChanged, this, &Tfm_main::showBatchProgress);
    connect(this, &Tfm_main::stopConversionRequested, batch_, &BatchControl::Bt_ConvertstopClick);
    const auto wire = [this](const char* name, void (BatchControl::*command)()) {
        connect(buttons_.value(QLatin1String(name)), &QAbstractButton::clicked, batch_, command);
    };
    wire("bt_start", &BatchControl::bt_startClick);
    wire("bt_pause", &BatchControl::bt_pauseClick);
    wire("Bt_Convertstop", &BatchControl::Bt_ConvertstopClick);
}

// The bar and the text above it tell the same story: the whole batch. A row's own share is
// in its status cell.
void Tfm_main::showBatchProgress() {
    SkinElement* info = elements_.convertinfo;
    QString text;
    std::int64_t value = 0;
    if (batchProgress_ && converting()) {
        const double seconds = batchClock_.elapsed() / 1000.0;
        batchProgress_->setPaused(batch_->paused(), seconds);
        text = batchProgress_->barText(seconds);
        value = batchProgress_->barValue();
    } else {
        batchTimer_->stop();
        batchProgress_.reset();
    }
    elements_.convertposBar.show(value);
    if (info && info->text() != text) {
        info->setText(text);
        info->redraw();
    }
}

void Tfm_main::tellBatchEnd() {
    int finished = 0;
    QStringList failures;
    for (const int row : std::as_const(batchRows_)) {
        if (row >= sources_->rows())
            continue;
        const QString status = lv_->topLevelItem(row)->text(SourceList::StatusColumn);
        finished += status == QLatin1String("Finish");
        if (status == QLatin1String("Failed"))
            failures << sources_->title(row) + QStringLiteral(": ") +
                            sources_->records().info(row).failure;
    }
    const QString text = batchEndText(finished, int(failures.size()));
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
    if (elements_.hint && elements_.hint->text() == failureHint_) {
        elements_.hint->setText({});
        elements_.hint->redraw();
    }
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

bool Tfm_main::prepareJob(int row, intputrec& job) {
    if (!selector_ || row < 0 || row >= sources_->rows())
        return false;
    // No profile in force (its data could not be used at start): try the chosen one again, so
    // a mended file takes effect and a damaged one is named once more instead of converting.
    if (selector_->selected() == 0 && !selector_->select(selectedProfile_))
        return false;
    fillJob(job, conversionInputs(row, batchFolder_), lookOnDisk);
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
