// The main window's menus and keys, and where the skin's clicks and hovers lead.
#include "app/MainWindow.h"

#include "convert/BatchControl.h"
#include "media/SourceList.h"
#include "preview/PreviewPlayer.h"
#include "shell/HoverHints.h"
#include "shell/ImageButton.h"
#include "shell/TSkin.h"

#include <QMenu>
#include <QShortcut>
#include <QTreeWidget>

namespace vc {

void Tfm_main::createMenus() {
    zm_popup_file_ = new QMenu(this);
    zm_popup_file_->setObjectName(QStringLiteral("zm_popup_file"));
    zm_popup_file_->addAction(QStringLiteral("Add File(s)..."), sources_, &SourceList::addFiles)
        ->setObjectName(QStringLiteral("AddFiles2"));
    zm_popup_file_->addAction(QStringLiteral("Add Folder"), sources_, &SourceList::addFolder)
        ->setObjectName(QStringLiteral("AddFolder2"));
    zm_popup_file_->addAction(QStringLiteral("Properties"), this, &Tfm_main::bt_chapteClick)
        ->setObjectName(QStringLiteral("Properties1"));
    zm_popup_file_->addAction(QStringLiteral("Run Background"), this,
                              &Tfm_main::RunBackground1Click);
    zm_popup_file_->addAction(QStringLiteral("Exit"), this, &QWidget::close);

    zm_pop_help_ = new QMenu(this);
    zm_pop_help_->setObjectName(QStringLiteral("zm_pop_help"));
    zm_pop_help_->addAction(QStringLiteral("Help"), this, &Tfm_main::openSupportPage);
    zm_pop_help_->addAction(QStringLiteral("Feedback and Support"), this,
                            &Tfm_main::openMakerContactPage);
    aboutItem_ =
        zm_pop_help_->addAction(QStringLiteral("About"), this, &Tfm_main::openMakerAboutPage);

    zm_pop_edit_ = new QMenu(this);
    zm_pop_edit_->setObjectName(QStringLiteral("zm_pop_edit"));
    const auto editItem = [this](const char* caption, const char* name, auto&& slot) {
        zm_pop_edit_->addAction(QLatin1String(caption), sources_, slot)
            ->setObjectName(QLatin1String(name));
    };
    editItem("Remove", "Remove1", &SourceList::remove);
    editItem("Clear", "Clear2", &SourceList::clear);
    editItem("Rename", "Rename1", &SourceList::rename);
    editItem("Select All", "SelectAll1", [this] { sources_->tickAll(true); });
    editItem("Unselect All", "UnselectAll1", [this] { sources_->tickAll(false); });
    lv_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lv_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { zm_pop_edit_->popup(lv_->viewport()->mapToGlobal(at)); });

    pop_help_ = new QMenu(this);
    pop_help_->setObjectName(QStringLiteral("pop_help"));
    pop_help_->addAction(QStringLiteral("Help"), this, &Tfm_main::openWebPage);
    pop_help_->addAction(QStringLiteral("Our Website"), this, &Tfm_main::openWebPage);
    pop_help_->addAction(QStringLiteral("Support"), this, &Tfm_main::openSupportPage);
    pop_help_->addAction(QStringLiteral("Contact us"), this, &Tfm_main::openSupportPage);
    pop_help_->addAction(QStringLiteral("About"), this, &Tfm_main::showAbout);

    zm_pop_actions_ = new QMenu(this);
    zm_pop_actions_->setObjectName(QStringLiteral("zm_pop_actions"));
    zm_pop_actions_->addAction(QStringLiteral("Convert"), batch_, &BatchControl::bt_startClick)
        ->setObjectName(QStringLiteral("Convert2"));
    zm_pop_actions_->addAction(batch_->pauseCaption(), batch_, &BatchControl::bt_pauseClick)
        ->setObjectName(QStringLiteral("Pause1"));
    zm_pop_actions_->addAction(QStringLiteral("Stop"), batch_, &BatchControl::Bt_ConvertstopClick)
        ->setObjectName(QStringLiteral("Stop2"));
    connect(batch_, &BatchControl::pauseCaptionChanged, this, [this](const QString& caption) {
        if (QAction* pause = zm_pop_actions_->findChild<QAction*>(QStringLiteral("Pause1")))
            pause->setText(caption);
    });

    zm_pop_tools_ = new QMenu(this);
    zm_pop_tools_->setObjectName(QStringLiteral("zm_pop_tools"));
    zm_pop_tools_->addAction(QStringLiteral("Settings"), this, &Tfm_main::bt_setClick)
        ->setObjectName(QStringLiteral("Settings1"));

    // Disc sources are not read by this program; their two entries stay for the familiar menu.
    pop_dvd_ = new QMenu(this);
    pop_dvd_->setObjectName(QStringLiteral("pop_dvd"));
    pop_dvd_->addAction(QStringLiteral("Add DVD"), this, [this] { sources_->addDvd(); })
        ->setObjectName(QStringLiteral("AddDVD1"));
    pop_dvd_->addAction(QStringLiteral("Add IFO"), this, [this] { sources_->addIfo(); })
        ->setObjectName(QStringLiteral("AddIFO1"));
    pop_dvd_->addSeparator();
    pop_dvd_->addAction(QStringLiteral("Select All"), this, [this] { sources_->tickAll(true); })
        ->setObjectName(QStringLiteral("SelectAll2"));
    pop_dvd_->addAction(QStringLiteral("Unselect ALL"), this, [this] { sources_->tickAll(false); })
        ->setObjectName(QStringLiteral("UnselectAll2"));
    pop_dvd_->addSeparator();
    pop_dvd_->addAction(QStringLiteral("Convert"), batch_, &BatchControl::bt_startClick)
        ->setObjectName(QStringLiteral("Convert1"));
    pop_dvd_->addAction(QStringLiteral("Stop"), batch_, &BatchControl::Bt_ConvertstopClick)
        ->setObjectName(QStringLiteral("Stop1"));
    pop_dvd_->addSeparator();
    pop_dvd_->addAction(QStringLiteral("Exit"), this, &QWidget::close);
}

void Tfm_main::createShortcuts() {
    // Keys reach the commands through their menu entries, so they are refused exactly when
    // the entries are disabled. Text fields keep their own use of these keys.
    const auto viaMenu = [this](const QKeySequence& key, QMenu* m, const char* entry) {
        QAction* action = m->findChild<QAction*>(QLatin1String(entry));
        connect(new QShortcut(key, this), &QShortcut::activated, this, [action] {
            if (action->isEnabled())
                action->trigger();
        });
    };
    viaMenu(QKeySequence::Delete, zm_pop_edit_, "Remove1");
    viaMenu(QKeySequence(Qt::Key_F2), zm_pop_edit_, "Rename1");
    viaMenu(QKeySequence::SelectAll, zm_pop_edit_, "SelectAll1");
    viaMenu(QKeySequence::Open, zm_popup_file_, "AddFiles2");
    connect(new QShortcut(QKeySequence(Qt::Key_Space), this), &QShortcut::activated, this, [this] {
        if (playing())
            player_->pauseToggle();
        else if (buttons_.value(QStringLiteral("bt_play"))->isEnabled())
            player_->bt_playClick();
    });
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &Tfm_main::closePicker);
}

QMenu* Tfm_main::menu(const QString& name) const {
    for (QMenu* m : {zm_popup_file_, zm_pop_help_, pop_help_, zm_pop_edit_, zm_pop_actions_,
                     zm_pop_tools_, pop_dvd_})
        if (m->objectName() == name)
            return m;
    return nullptr;
}

void Tfm_main::popupMenu(QMenu* menu, QPoint offset) {
    menu->popup(pos() + offset);
}

void Tfm_main::onSkinClick(ISkinObject* source) {
    if (!source)
        return;
    const QString name = source->name();
    const bool edition = editionFlag();
    if (name == QLatin1String("browse"))
        browseClick();
    else if (name == QLatin1String("profiles"))
        openPicker();
    else if (name == QLatin1String("openfiles"))
        sources_->addFiles();
    else if (name == QLatin1String("openfolder"))
        sources_->addFolder();
    else if (name == QLatin1String("dvdopen"))
        sources_->addDvd();
    else if (name == QLatin1String("ifoopen"))
        sources_->addIfo();
    else if (name == QLatin1String("remove"))
        sources_->remove();
    else if (name == QLatin1String("clear"))
        sources_->clear();
    else if (name == QLatin1String("converter"))
        batch_->bt_startClick();
    else if (name == QLatin1String("stopconverter"))
        batch_->Bt_ConvertstopClick();
    else if (name == QLatin1String("settings"))
        popupMenu(zm_pop_edit_, QPoint(70, 54));
    else if (name == QLatin1String("file"))
        popupMenu(zm_popup_file_, edition ? QPoint(85, 64) : QPoint(16, 54));
    else if (name == QLatin1String("help"))
        popupMenu(edition ? pop_help_ : zm_pop_help_, edition ? QPoint(366, 64) : QPoint(246, 54));
    else if (name == QLatin1String("dvdfile"))
        popupMenu(pop_dvd_, edition ? QPoint(85, 64) : QPoint(16, 54));
    else if (name == QLatin1String("register"))
        popupMenu(zm_pop_tools_, QPoint(185, 54));
    else if (name == QLatin1String("purchase"))
        popupMenu(zm_pop_actions_, QPoint(122, 54));
    else if (name == QLatin1String("open"))
        openOutputFolder();
    else
        onPreviewClick(name);
}

void Tfm_main::onSkinMouseMove(ISkinObject* source) {
    // Moves over the bare form are not over an element; they leave the hint as it is.
    if (!source || source == skin_->skinObject(this))
        return;
    language_.lookup(hintIdFor(source->name()), LanguageTable::Use::Hover);
}

} // namespace vc
