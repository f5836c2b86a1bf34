#include "preview/CutterWindow.h"

#include "common/Clock.h"
#include "media/CutRules.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QShortcut>
#include <QTreeWidget>
#include <algorithm>

namespace vc {

namespace {

enum Column { TitleColumn, BeginColumn, EndColumn };

void redrawText(TextFacet* facet, const QString& text) {
    if (!facet)
        return;
    facet->setText(text);
    facet->redraw();
}

} // namespace

Tfm_dvdcutter::Tfm_dvdcutter(QWidget* parent)
    : QWidget(parent, Qt::Window), lv_(new QTreeWidget(this)), pl_play_(new QWidget(this)) {
    setObjectName(QStringLiteral("Tfm_dvdcutter"));
    setWindowTitle(QStringLiteral("Video Converter"));
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(Width, Height);

    lv_->setObjectName(QStringLiteral("lv"));
    lv_->setGeometry(18, 368, 582, 115);
    lv_->setHeaderLabels(
        {QStringLiteral("Title"), QStringLiteral("Begin Time"), QStringLiteral("End Time")});
    lv_->setColumnWidth(TitleColumn, 120);
    lv_->setColumnWidth(BeginColumn, 90);
    lv_->setColumnWidth(EndColumn, 90);
    lv_->setRootIsDecorated(false);
    lv_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lv_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lv_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(lv_, &QTreeWidget::itemClicked, this, [this] { rowClick(); });
    // A row chosen with the keys is shown as a clicked one is.
    connect(lv_, &QTreeWidget::currentItemChanged, this, [this] { rowClick(); });
    // Escape closes the window as its close element does.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::close);

    pl_play_->setObjectName(QStringLiteral("pl_play"));
    pl_play_->setGeometry(137, 48, 344, 180);
    pl_play_->setAttribute(Qt::WA_StyledBackground);
    pl_play_->setStyleSheet(QStringLiteral("#pl_play { background: black; }"));
}

void Tfm_dvdcutter::showBeside(const QWidget* main) {
    if (main)
        move(main->pos() + OffsetFromMain);
    show();
    raise();
    activateWindow();
}

int Tfm_dvdcutter::selectedRow() const {
    for (int row = 0; row < lv_->topLevelItemCount(); ++row)
        if (lv_->topLevelItem(row)->isSelected())
            return row < hooks_.rows() ? row : -1;
    return -1;
}

void Tfm_dvdcutter::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (open_)
        return; // shown again after being minimised
    open_ = true;
    hooks_.setCutterOpen(true);
    lv_->clear();
    for (int row = 0; row < hooks_.rows(); ++row) {
        const Tcutinfo* cut = hooks_.cut(row);
        auto* item = new QTreeWidgetItem(
            lv_, {hooks_.title(row), secondsToClock(cut->cutbegin), secondsToClock(cut->cutend)});
        item->setCheckState(TitleColumn, Qt::Checked);
    }
    if (lv_->topLevelItemCount() > 0) {
        lv_->topLevelItem(0)->setSelected(true);
        lv_->setCurrentItem(lv_->topLevelItem(0));
        rowClick();
    }
    if (display_.barShape) {
        display_.barShape->setVisible(false);
        display_.barShape->redraw();
    }
}

void Tfm_dvdcutter::rowClick() {
    const int row = selectedRow();
    if (row < 0 || hooks_.playing())
        return;
    hooks_.setPreviewItem(row);
    showRange(row);
}

void Tfm_dvdcutter::showRange(int row) {
    if (display_.bar)
        display_.bar->setPosition(0);
    if (display_.barShape)
        display_.barShape->redraw();
    const Tcutinfo* cut = hooks_.cut(row);
    redrawText(display_.beginTime, secondsToClock(cut->cutbegin));
    redrawText(display_.endTime, secondsToClock(cut->cutend));
    redrawText(display_.playTime, QStringLiteral("00:00:00"));
}

void Tfm_dvdcutter::setBound(bool begin) {
    const int row = hooks_.previewItem();
    if (row < 0 || row >= hooks_.rows() || !display_.playTime)
        return;
    Tcutinfo* cut = hooks_.cut(row);
    const auto seconds = static_cast<int>(
        std::clamp<std::int64_t>(clockToSeconds(display_.playTime->text()), 0, 1 << 30));
    if (begin)
        setCutBegin(*cut, seconds);
    else
        setCutEnd(*cut, seconds);
    // The other bound may have moved with it; both are shown as they now stand.
    redrawText(display_.beginTime, secondsToClock(cut->cutbegin));
    redrawText(display_.endTime, secondsToClock(cut->cutend));
    if (QTreeWidgetItem* item = lv_->topLevelItem(row)) {
        item->setText(BeginColumn, secondsToClock(cut->cutbegin));
        item->setText(EndColumn, secondsToClock(cut->cutend));
    }
}

void Tfm_dvdcutter::beginClick() {
    setBound(true);
}

void Tfm_dvdcutter::endClick() {
    setBound(false);
}

void Tfm_dvdcutter::houClick() {
    if (!display_.playTime)
        return;
    const std::int64_t t = clockToSeconds(display_.playTime->text());
    if (t - 30 <= 0)
        return;
    hooks_.jump(static_cast<int>(t - 30));
}

void Tfm_dvdcutter::qianClick() {
    const int row = hooks_.previewItem();
    if (!display_.playTime || row < 0 || row >= hooks_.rows())
        return;
    const std::int64_t t = clockToSeconds(display_.playTime->text());
    if (t + 30 >= hooks_.cut(row)->totalsecs)
        return;
    hooks_.jump(static_cast<int>(t + 30));
}

void Tfm_dvdcutter::playClick() {
    const int row = selectedRow();
    if (row < 0)
        return;
    if (hooks_.converting()) {
        hooks_.refuse(26);
        return;
    }
    pl_play_->show();
    hooks_.play(row);
}

void Tfm_dvdcutter::stopClick() {
    hooks_.stop();
}

void Tfm_dvdcutter::pauseClick() {
    hooks_.pause();
}

void Tfm_dvdcutter::closeEvent(QCloseEvent* event) {
    if (hooks_.playing())
        hooks_.stop();
    for (int row = 0; row < hooks_.rows(); ++row) {
        Tcutinfo* cut = hooks_.cut(row);
        repairCut(*cut);
        hooks_.setDuration(row, secondsToClock(cut->cutend - cut->cutbegin));
    }
    hooks_.refreshEstimates();
    open_ = false;
    hooks_.setCutterOpen(false);
    event->accept();
}

} // namespace vc
