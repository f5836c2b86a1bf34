#include "media/SourceList.h"

#include "media/DiscTitles.h"

#include "common/FileNames.h"
#include "media/MediaProbe.h"
#include "shell/Dialogs.h"
#include "shell/LanguageTable.h"

#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTreeWidget>
#include <algorithm>
#include <utility>

namespace vc {

namespace {
const QString Caption = QStringLiteral("Video Converter");
}

SourceList::SourceList(QTreeWidget* lv, MediaProbe& probe, Dialogs& dialogs,
                       LanguageTable& language, Hooks hooks, QObject* parent)
    : QObject(parent), lv_(lv), viewport_(lv->viewport()), probe_(probe), dialogs_(dialogs),
      language_(language), hooks_(std::move(hooks)) {
    lv_->setColumnCount(5);
    lv_->setHeaderLabels({QStringLiteral("File Name"), QStringLiteral("Width * Height"),
                          QStringLiteral("Time"), QStringLiteral("Output Size"),
                          QStringLiteral("Status")});
    const int widths[] = {130, 90, 70, 80, 80};
    for (int c = 0; c < 5; ++c)
        lv_->setColumnWidth(c, widths[c]);
    lv_->header()->setSectionsClickable(false);
    lv_->header()->setSectionsMovable(false);
    lv_->setRootIsDecorated(false);
    // Every row is one line high; knowing it spares the view a walk over all rows for each
    // text that changes, which made refreshing a long list's estimates quadratic.
    lv_->setUniformRowHeights(true);
    lv_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lv_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lv_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lv_->setAllColumnsShowFocus(true);
    lv_->setAcceptDrops(true);
    lv_->viewport()->setAcceptDrops(true);
    viewport_->installEventFilter(this);
    lv_->installEventFilter(this);
    connect(lv_, &QTreeWidget::itemClicked, this, [this] { rowClick(); });

    edt_tit_ = new QLineEdit(lv_->viewport());
    edt_tit_->setObjectName(QStringLiteral("edt_tit"));
    edt_tit_->hide();
    edt_tit_->installEventFilter(this);
}

void SourceList::fitColumnsToCaptions() {
    const QHeaderView* header = lv_->header();
    for (int c = 0; c < lv_->columnCount(); ++c)
        if (header->sectionSizeHint(c) > lv_->columnWidth(c))
            lv_->setColumnWidth(c, header->sectionSizeHint(c));
}

bool SourceList::refused(bool checkPreview) {
    if (checkPreview && hooks_.previewPlaying && hooks_.previewPlaying()) {
        if (const auto text = language_.lookup(27))
            dialogs_.warning(lv_->window(), Caption, *text);
        return true;
    }
    if (hooks_.converting && hooks_.converting()) {
        if (const auto text = language_.lookup(LanguageTable::ConversionRunning))
            dialogs_.warning(lv_->window(), Caption, *text);
        return true;
    }
    return false;
}

RefusalNotice refusalNotice(const QStringList& refusals) {
    QStringList lines = refusals;
    lines.removeDuplicates();
    if (lines.size() < 2)
        return {lines.value(0), {}};
    return {QStringLiteral("%1 files are not supported:").arg(refusals.size()), lines};
}

void SourceList::runAdd(const std::function<void()>& add) {
    adding_ = true;
    cancelled_ = false;
    refusals_.clear();
    probed_ = 0;
    refresh();
    add();
    while (!cancelled_ && !pendingDrops_.isEmpty())
        addPaths(pendingDrops_.takeFirst());
    pendingDrops_.clear();
    probe_.releaseKeptTool();
    probe_.setPersistent(false);
    adding_ = false;
    refresh();
    tellRefusals();
}

void SourceList::refuse(const QString& text) {
    refusals_ << text;
}

void SourceList::tellRefusals() {
    // A window closed meanwhile asks nothing more of its user.
    const RefusalNotice notice = refusalNotice(std::exchange(refusals_, {}));
    if (cancelled_ || notice.text.isEmpty())
        return;
    if (notice.lines.isEmpty())
        dialogs_.information(lv_->window(), Caption, notice.text);
    else
        dialogs_.informationList(lv_->window(), Caption, notice.text, notice.lines);
}

void SourceList::cancelAdding() {
    if (!adding_)
        return;
    cancelled_ = true;
    pendingDrops_.clear();
    probe_.abort();
}

int SourceList::firstSelectedRow() const {
    for (int row = 0; row < lv_->topLevelItemCount() && row < records_.rows(); ++row)
        if (lv_->topLevelItem(row)->isSelected())
            return row;
    return -1;
}

void SourceList::refresh() {
    if (hooks_.refreshCommands)
        hooks_.refreshCommands();
}

bool SourceList::addOneFile(const QString& path) {
    const std::optional<SourceItem> item = probeSourceItem(probe_, path);
    if (!item)
        return false;
    appendRow(*item, true);
    return true;
}

void SourceList::appendRow(const SourceItem& item, bool ticked) {
    const int row = records_.add(item.info, item.cut);
    currentItem_ = row;
    auto* it = new QTreeWidgetItem(lv_);
    it->setText(TitleColumn, item.title);
    it->setText(SizeColumn, item.info.resolution);
    it->setText(TimeColumn, item.info.duration);
    it->setText(OutputColumn, hooks_.estimate ? hooks_.estimate(item.info) : QString());
    it->setText(StatusColumn, QStringLiteral("Status"));
    if (checkBoxes_) {
        it->setFlags(it->flags() | Qt::ItemIsUserCheckable);
        it->setCheckState(TitleColumn, ticked ? Qt::Checked : Qt::Unchecked);
    }
}

void SourceList::addDiscTitles(const QString& path) {
    const DiscListing listing = listDiscTitles(probe_.toolPath(), probe_.workDir(), path);
    if (!listing.refusal.isEmpty()) {
        dialogs_.information(lv_->window(), Caption, listing.refusal);
        return;
    }
    const QList<DiscTitle> titles = rowTitles(listing);
    if (titles.isEmpty()) {
        dialogs_.information(lv_->window(), Caption,
                             QStringLiteral("The disc has no title longer than %1 seconds.")
                                 .arg(MinimumTitleSeconds));
        return;
    }
    lv_->show();
    const int longest = longestTitle(titles);
    for (int i = 0; i < titles.size() && !cancelled_; ++i) {
        QCoreApplication::processEvents();
        std::optional<SourceItem> item = probeDiscTitle(probe_, path, listing.volume, titles[i]);
        if (!item && !cancelled_)
            item = probeDiscTitle(probe_, path, listing.volume, titles[i]);
        if (item)
            appendRow(*item, i == longest);
        else if (!cancelled_)
            refuse(QStringLiteral("%1 Title %2 is not support!")
                       .arg(listing.volume)
                       .arg(titles[i].number));
    }
}

void SourceList::addDisc(const QString& path) {
    runAdd([&] { addDiscTitles(path); });
    selectFirstWhenNoneSelected();
    rowClick();
    refresh();
}

void SourceList::addDvd() {
    if (adding_ || refused(false))
        return;
    const QString path = dialogs_.chooseDisc(lv_->window(), QString(), QString());
    if (!path.isEmpty())
        addDisc(path);
}

void SourceList::addIfo() {
    if (adding_ || refused(false))
        return;
    const QStringList files =
        dialogs_.openFiles(lv_->window(), QString(), QString(), QLatin1String(IfoFileFilter));
    if (!files.isEmpty())
        addDisc(discOfIfo(files.first()));
}

void SourceList::addWithRetry(const QString& path, const QString& shownName) {
    // A few files cost the same either way; a longer add keeps one tool for the rest of its
    // probes, as starting one per file costs more than most probes take.
    if (++probed_ == ToolKeptAfter)
        probe_.setPersistent(true);
    // Twice, as a busy machine can make a sound file fail once; an ended add tries nothing.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (cancelled_ || addOneFile(path))
            return;
        if (probeSettled(probe_))
            break;
    }
    if (cancelled_)
        return;
    refuse(probeRefusal(probe_, path, shownName));
}

void SourceList::selectFirstWhenNoneSelected() {
    if (lv_->topLevelItemCount() > 0 && lv_->selectedItems().isEmpty()) {
        lv_->topLevelItem(0)->setSelected(true);
        lv_->setCurrentItem(lv_->topLevelItem(0));
    }
}

void SourceList::addFiles() {
    if (adding_ || refused(false))
        return;
    const QStringList files =
        dialogs_.openFiles(lv_->window(), QString(), QString(), openFileFilter());
    runAdd([&] {
        if (!files.isEmpty()) {
            lv_->show();
            for (const QString& file : files)
                addWithRetry(file, QFileInfo(file).fileName());
        }
    });
    selectFirstWhenNoneSelected();
    rowClick();
    refresh();
}

void SourceList::addFolder() {
    if (adding_ || refused(false))
        return;
    const QString folder = hooks_.chooseFolder ? hooks_.chooseFolder() : QString();
    if (folder.isEmpty())
        return;
    runAdd([&] {
        lv_->show();
        for (const QString& name : scannedEntries(folder)) {
            if (cancelled_)
                break;
            if (!isScannedExtension(name))
                continue;
            // Keep the window alive between files of a long scan.
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
            addWithRetry(QDir(folder).filePath(name), name);
        }
    });
    selectFirstWhenNoneSelected();
    refresh();
}

void SourceList::addPaths(const QStringList& paths) {
    lv_->show();
    for (const QString& path : paths) {
        // A disc's folder holds VOB pieces, not the titles a user means.
        if (isDiscSource(path)) {
            addDiscTitles(path);
        } else if (isFolderPath(path)) {
            for (const QString& name : scannedEntries(path))
                if (!cancelled_ && isScannedExtension(name))
                    addWithRetry(QDir(path).filePath(name), name);
        } else {
            addWithRetry(path, QFileInfo(path).fileName());
        }
    }
}

void SourceList::addDropped(const QStringList& paths) {
    if (adding_) {
        pendingDrops_ << paths; // dropped while adding: added right after, in turn
        return;
    }
    if (refused(false))
        return;
    runAdd([&] { addPaths(paths); });
    selectFirstWhenNoneSelected();
    rowClick();
    refresh();
}

void SourceList::remove() {
    if (refused(true))
        return;
    if (lv_->selectedItems().isEmpty())
        return;
    QList<bool> selected;
    for (int i = 0; i < lv_->topLevelItemCount(); ++i)
        selected << lv_->topLevelItem(i)->isSelected();
    const RemovePlan plan = planRemove(selected);
    for (int at : plan.deleteAt) {
        records_.remove(at);
        delete lv_->takeTopLevelItem(at);
    }
    if (plan.selectAfter >= 0) {
        lv_->clearSelection();
        QTreeWidgetItem* item = lv_->topLevelItem(plan.selectAfter);
        item->setSelected(true);
        lv_->setCurrentItem(item);
        lv_->setFocus();
    }
    afterRemoval();
}

void SourceList::afterRemoval() {
    // Nothing may keep describing a file that is gone; an empty list gives way to the
    // skin's empty state behind it.
    if (lv_->topLevelItemCount() == 0)
        lv_->hide();
    if (hooks_.rowShown)
        hooks_.rowShown(firstSelectedRow());
    refresh();
}

void SourceList::clear() {
    if (refused(true))
        return;
    if (lv_->topLevelItemCount() == 0)
        return;
    const auto text = language_.lookup(29);
    if (text && dialogs_.question(lv_->window(), Caption, *text)) {
        lv_->clear();
        records_.clear();
        afterRemoval();
        return;
    }
    refresh();
}

void SourceList::rename() {
    const QList<QTreeWidgetItem*> selected = lv_->selectedItems();
    if (selected.isEmpty())
        return;
    QTreeWidgetItem* item = lv_->currentItem() && lv_->currentItem()->isSelected()
                                ? lv_->currentItem()
                                : selected.first();
    renameRow_ = lv_->indexOfTopLevelItem(item);
    const QRect row = lv_->visualItemRect(item);
    edt_tit_->setGeometry(0, row.top() - 1, lv_->columnWidth(TitleColumn), 18);
    edt_tit_->setText(item->text(TitleColumn));
    edt_tit_->show();
    edt_tit_->setFocus();
    edt_tit_->selectAll();
}

void SourceList::commitRename() {
    if (!edt_tit_->isVisible())
        return;
    edt_tit_->hide();
    const QString text = edt_tit_->text();
    if (!text.isEmpty() && renameRow_ >= 0 && renameRow_ < lv_->topLevelItemCount())
        lv_->topLevelItem(renameRow_)->setText(TitleColumn, text);
}

bool SourceList::listKey(QKeyEvent* event) {
    if (event->modifiers() & ~Qt::KeypadModifier)
        return false;
    QTreeWidgetItem* item = lv_->currentItem();
    switch (event->key()) {
    case Qt::Key_Space:
        // Whichever cell has the focus, Space ticks the row.
        if (item && (item->flags() & Qt::ItemIsUserCheckable) && event->type() == QEvent::KeyPress)
            item->setCheckState(TitleColumn, item->checkState(TitleColumn) == Qt::Checked
                                                 ? Qt::Unchecked
                                                 : Qt::Checked);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The rename field hands its Return on to the list.
        if (!item || edt_tit_->isVisible() || event->type() != QEvent::KeyPress)
            return false;
        lv_->setCurrentItem(item);
        rowClick();
        if (hooks_.play)
            hooks_.play();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        // A row chosen with the keys is shown as a clicked one is.
        if (event->type() == QEvent::KeyRelease)
            rowClick();
        return false;
    default:
        return false;
    }
}

void SourceList::cancelRename() {
    renameRow_ = -1;
    edt_tit_->hide();
    lv_->setFocus(Qt::OtherFocusReason);
}

void SourceList::tickAll(bool ticked) {
    for (int i = 0; i < lv_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = lv_->topLevelItem(i);
        if (item->flags() & Qt::ItemIsUserCheckable)
            item->setCheckState(TitleColumn, ticked ? Qt::Checked : Qt::Unchecked);
    }
}

void SourceList::rowClick() {
    if ((hooks_.converting && hooks_.converting()) ||
        (hooks_.previewPlaying && hooks_.previewPlaying()))
        return;
    refresh();
    // List order, as Play takes it: selectedItems() would give the order of selecting.
    const int row = firstSelectedRow();
    if (hooks_.rowShown && row >= 0)
        hooks_.rowShown(row);
}

bool SourceList::isTicked(int row) const {
    const QTreeWidgetItem* item = lv_->topLevelItem(row);
    return item && item->checkState(TitleColumn) == Qt::Checked;
}

QString SourceList::title(int row) const {
    const QTreeWidgetItem* item = lv_->topLevelItem(row);
    return item ? item->text(TitleColumn) : QString();
}

void SourceList::setStatus(int row, const QString& text) {
    if (QTreeWidgetItem* item = lv_->topLevelItem(row))
        item->setText(StatusColumn, text);
}

void SourceList::setFailure(int row, const QString& reason) {
    if (row < 0 || row >= rows())
        return;
    records_.info(row).failure = reason;
    if (QTreeWidgetItem* item = lv_->topLevelItem(row))
        item->setToolTip(StatusColumn, reason);
}

void SourceList::refreshEstimates() {
    if (!hooks_.estimate)
        return;
    for (int row = 0; row < records_.rows() && row < lv_->topLevelItemCount(); ++row)
        lv_->topLevelItem(row)->setText(OutputColumn, hooks_.estimate(records_.info(row)));
}

bool SourceList::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edt_tit_) {
        const bool escape =
            (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
        if (escape) {
            // Escape keeps the old name; the window's own Escape waits until the field is gone.
            event->accept();
            if (event->type() == QEvent::KeyPress)
                cancelRename();
            return true;
        }
        if (event->type() == QEvent::FocusOut)
            commitRename();
        else if (event->type() == QEvent::KeyRelease &&
                 (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
                  static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter))
            commitRename();
        return false;
    }
    if (watched == lv_ &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease))
        return listKey(static_cast<QKeyEvent*>(event));
    if ((watched == viewport_ || (dropTarget_ && watched == dropTarget_)) && takeDrop(event))
        return true;
    if (watched == viewport_ && event->type() == QEvent::MouseMove &&
        (static_cast<QMouseEvent*>(event)->buttons() & Qt::LeftButton))
        refresh();
    return QObject::eventFilter(watched, event);
}

void SourceList::takeDropsOn(QWidget* widget) {
    dropTarget_ = widget;
    widget->setAcceptDrops(true);
    widget->installEventFilter(this);
}

bool SourceList::takeDrop(QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (!drag->mimeData()->hasUrls())
            return false;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        QStringList paths;
        for (const QUrl& url : drop->mimeData()->urls())
            if (url.isLocalFile())
                paths << pathOfFileUrl(url);
        drop->acceptProposedAction();
        addDropped(paths);
        return true;
    }
    default:
        return false;
    }
}

} // namespace vc
