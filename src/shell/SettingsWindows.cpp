#include "shell/SettingsWindows.h"

#include "common/FileNames.h"

#include <QButtonGroup>
#include <QDir>
#include <QEvent>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

namespace vc {

Tfm_set::Tfm_set(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Tfm_set"));
    setWindowTitle(QStringLiteral("Settings"));
    setModal(true);
    box_ = new QGroupBox(QStringLiteral("Output Settings"), this);
    box_->setObjectName(QStringLiteral("rg_finish"));
    group_ = new QButtonGroup(this);
    auto* items = new QVBoxLayout(box_);
    items->setSpacing(10);
    // The skin's style sheet gives the group its inner space.
    items->setContentsMargins(0, 0, 0, 0);
    const char* captions[] = {"Do nothing after conversion finished",
                              "Open the target folder after conversion finished",
                              "Automatically shutdown after conversion finished"};
    for (int i = 0; i < 3; ++i) {
        auto* radio = new QRadioButton(QLatin1String(captions[i]), box_);
        group_->addButton(radio, i);
        items->addWidget(radio);
    }
    files_ = new QSpinBox(this);
    files_->setObjectName(QStringLiteral("sb_files"));
    files_->setRange(1, 1);
    auto* filesLabel = new QLabel(QStringLiteral("Files converted at once"), this);
    filesLabel->setBuddy(files_);
    files_->setAccessibleName(filesLabel->text());
    auto* filesRow = new QHBoxLayout;
    filesRow->addWidget(filesLabel);
    filesRow->addStretch();
    filesRow->addWidget(files_);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 12, 20, 16);
    layout->setSpacing(16);
    layout->addWidget(box_);
    layout->addLayout(filesRow);
    layout->addLayout(buttons);
    box_->setMinimumWidth(340);
    // As large as its contents in the style in force, which the skin sets after the window is made.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

int Tfm_set::choose(int action) {
    if (QAbstractButton* b = group_->button(action))
        b->setChecked(true);
    if (exec() != QDialog::Accepted)
        return -1;
    return group_->checkedId() < 0 ? action : group_->checkedId();
}

void Tfm_set::setFilesAtOnce(int files, int most) {
    files_->setRange(1, std::max(1, most));
    files_->setValue(files);
}

int Tfm_set::filesAtOnce() const {
    return files_->value();
}

Tfm_dir::Tfm_dir(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Tfm_dir"));
    setWindowTitle(QStringLiteral("Output Directory"));
    setModal(true);
    model_ = new QFileSystemModel(this);
    model_->setIconProvider(&icons_);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setRootPath(QDir::rootPath());
    tree_ = new QTreeView(this);
    tree_->setObjectName(QStringLiteral("ShellTreeView1"));
    tree_->setModel(model_);
    tree_->setAccessibleName(QStringLiteral("Folders"));
    tree_->setRootIndex(model_->index(QDir::homePath()));
    for (int column = 1; column < model_->columnCount(); ++column)
        tree_->hideColumn(column);
    tree_->header()->hide();
    // Long names scroll sideways instead of being cut.
    tree_->header()->setStretchLastSection(false);
    tree_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    field_ = new QLineEdit(this);
    field_->setObjectName(QStringLiteral("ed_dir"));
    field_->setReadOnly(true);
    field_->setAccessibleName(QStringLiteral("Chosen folder"));
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) {
                if (index.isValid())
                    field_->setText(QDir::toNativeSeparators(
                        entryMeant(QDir::cleanPath(model_->filePath(index)))));
            });
    // The model reads folders in the background; a folder to reveal may arrive later.
    connect(model_, &QFileSystemModel::directoryLoaded, this, [this] {
        if (reveal_.isValid())
            tree_->scrollTo(reveal_, QAbstractItemView::PositionAtCenter);
    });
    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    connect(ok, &QPushButton::clicked, this, &Tfm_dir::bt_okClick);
    connect(cancel, &QPushButton::clicked, this, &Tfm_dir::bt_cancelClick);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tree_);
    layout->addWidget(field_);
    layout->addLayout(buttons);
    resize(460, 480);
}

// The model's reader thread asks the icon provider; it must end before the provider goes.
Tfm_dir::~Tfm_dir() {
    delete model_;
}

void Tfm_dir::changeEvent(QEvent* event) {
    // Icons read before a skin came in force are replaced by the skin's.
    if (event->type() == QEvent::StyleChange && model_)
        model_->setIconProvider(&icons_);
    QDialog::changeEvent(event);
}

void Tfm_dir::setCurrentFolder(const QString& folder) {
    // The home folder is the root, as the desktop's places are; a folder elsewhere is shown
    // from the file system's root so that it can still be selected.
    const QString clean = QDir::cleanPath(folder);
    const QString home = QDir::cleanPath(QDir::homePath());
    const bool atHome = clean == home || clean.startsWith(home + u'/');
    tree_->setRootIndex(model_->index(atHome ? home : QDir::rootPath()));
    // The model knows names as Qt decodes them (see entryMeant).
    const QModelIndex index = model_->index(QString::fromUtf8(nameBytes(clean)));
    if (!index.isValid())
        return;
    reveal_ = index;
    tree_->setCurrentIndex(index);
    tree_->scrollTo(index, QAbstractItemView::PositionAtCenter);
    field_->setText(QDir::toNativeSeparators(clean));
}

void Tfm_dir::bt_okClick() {
    const QModelIndex index = tree_->currentIndex();
    const QString path = index.isValid() ? QDir::cleanPath(model_->filePath(index)) : QString();
    if (path.isEmpty())
        return; // nothing selected: the window stays open
    result_ = QDir::toNativeSeparators(entryMeant(path));
    accept();
}

void Tfm_dir::bt_cancelClick() {
    reject();
}

// Every way out but Ok leaves no result: a result kept from an earlier showing would be taken
// as this one's choice.
void Tfm_dir::done(int result) {
    if (result != Accepted)
        result_.clear();
    QDialog::done(result);
}

} // namespace vc
