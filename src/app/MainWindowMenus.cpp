// The main window's menus and keys, and where the skin's clicks and hovers lead.
#include "app/MainWindow.h"

#include "media/SourceList.h"
#include "preview/CutterWindow.h"
#include "preview/PreviewPlayer.h"
#include "profiles/ProfilePicker.h"
#include "shell/HoverHints.h"
#include "shell/ImageButton.h"
#include "shell/TSkin.h"

#include <QKeyEvent>
#include <QMenu>
#include <QShortcut>
#include <QTreeWidget>
#include <utility>

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
    zm_popup_file_->addAction(QStringLiteral("Exit"), this, &QWidget::close)
        ->setObjectName(QStringLiteral("Exit1"));

    zm_pop_help_ = new QMenu(this);
    zm_pop_help_->setObjectName(QStringLiteral("zm_pop_help"));
    zm_pop_help_->addAction(QStringLiteral("Help"), this, &Tfm_main::openSupportPage)
        ->setObjectName(QStringLiteral("Help1"));
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
    pop_help_->addAction(QStringLiteral("Help"), this, &Tfm_main::openWebPage)
        ->setObjectName(QStringLiteral("Help2"));
    pop_help_->addAction(QStringLiteral("Our Website"), this, &Tfm_main::openWebPage);
    pop_help_->addAction(QStringLiteral("Support"), this, &Tfm_main::openSupportPage);
    pop_help_->addAction(QStringLiteral("Contact us"), this, &Tfm_main::openSupportPage);
    pop_help_->addAction(QStringLiteral("About"), this, &Tfm_main::showAbout);

    zm_pop_actions_ = new QMenu(this);
    zm_pop_actions_->setObjectName(QStringLiteral("zm_pop_actions"));
    zm_pop_actions_->addAction(QStringLiteral("Convert"), this, &Tfm_main::bt_startClick)
        ->setObjectName(QStringLiteral("Convert2"));
    zm_pop_actions_->addAction(pauseCaption(), this, &Tfm_main::bt_pauseClick)
        ->setObjectName(QStringLiteral("Pause1"));
    zm_pop_actions_->addAction(QStringLiteral("Stop"), this, &Tfm_main::Bt_ConvertstopClick)
        ->setObjectName(QStringLiteral("Stop2"));

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
    pop_dvd_->addAction(QStringLiteral("Convert"), this, &Tfm_main::bt_startClick)
        ->setObjectName(QStringLiteral("Convert1"));
    pop_dvd_->addAction(QStringLiteral("Stop"), this, &Tfm_main::Bt_ConvertstopClick)
        ->setObjectName(QStringLiteral("Stop1"));
    pop_dvd_->addSeparator();
    pop_dvd_->addAction(QStringLiteral("Exit"), this, &QWidget::close)
        ->setObjectName(QStringLiteral("Exit2"));
}

namespace {

struct EntryKey {
    const char* menu;
    const char* entry;
    QKeySequence key;
};

// The usual keys of the menus' entries, shown beside them. Standard keys come from the
// platform, so the table is made once the application is.
QList<EntryKey> entryKeys() {
    return {
        {"zm_popup_file", "AddFiles2", QKeySequence::Open},
        {"zm_popup_file", "AddFolder2", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)},
        {"zm_popup_file", "Properties1", QKeySequence(Qt::ALT | Qt::Key_Return)},
        {"zm_popup_file", "Exit1", QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {"zm_pop_edit", "Remove1", QKeySequence::Delete},
        {"zm_pop_edit", "Rename1", QKeySequence(Qt::Key_F2)},
        {"zm_pop_edit", "SelectAll1", QKeySequence::SelectAll},
        {"zm_pop_edit", "UnselectAll1", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A)},
        {"zm_pop_actions", "Convert2", QKeySequence(Qt::Key_F5)},
        {"zm_pop_actions", "Pause1", QKeySequence(Qt::Key_Pause)},
        {"zm_pop_actions", "Stop2", QKeySequence(Qt::SHIFT | Qt::Key_F5)},
        {"zm_pop_tools", "Settings1", QKeySequence(Qt::CTRL | Qt::Key_Comma)},
        {"zm_pop_help", "Help1", QKeySequence::HelpContents},
        {"pop_help", "Help2", QKeySequence::HelpContents},
        {"pop_dvd", "SelectAll2", QKeySequence::SelectAll},
        {"pop_dvd", "UnselectAll2", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A)},
        {"pop_dvd", "Convert1", QKeySequence(Qt::Key_F5)},
        {"pop_dvd", "Stop1", QKeySequence(Qt::SHIFT | Qt::Key_F5)},
        {"pop_dvd", "Exit2", QKeySequence(Qt::CTRL | Qt::Key_Q)},
    };
}

// The menu titles of the skin with the letter that opens each.
constexpr std::pair<const char*, Qt::Key> MenuKeys[] = {
    {"file", Qt::Key_F},     {"dvdfile", Qt::Key_D},  {"settings", Qt::Key_E},
    {"purchase", Qt::Key_C}, {"register", Qt::Key_T}, {"help", Qt::Key_H}};

} // namespace

void Tfm_main::createShortcuts() {
    // Keys reach the commands through their menu entries, so they are refused exactly when
    // the entries are disabled. Text fields keep their own use of these keys. An entry of a
    // menu the window does not show (pop_dvd, the other help menu) only shows its key.
    for (const EntryKey& k : entryKeys()) {
        QAction* action = menu(QLatin1String(k.menu))->findChild<QAction*>(QLatin1String(k.entry));
        action->setShortcut(k.key);
        action->setShortcutVisibleInContextMenu(true);
        if (QLatin1String(k.menu).startsWith(QLatin1String("zm_")) &&
            QLatin1String(k.menu) != QLatin1String("zm_pop_help"))
            addAction(action);
    }
    for (const auto& [element, letter] : MenuKeys) {
        const QString name = QLatin1String(element);
        connect(new QShortcut(QKeySequence(Qt::ALT | letter), this), &QShortcut::activated, this,
                [this, name] {
                    SkinForm* form = skin_->skinObject(this);
                    SkinElement* title = form ? form->element(name) : nullptr;
                    if (title && title->isVisible() && title->isEnabled())
                        onSkinClick(title);
                });
    }
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &Tfm_main::closePicker);
}

void Tfm_main::bindEditionKeys() {
    QMenu* help = editionFlag() ? pop_help_ : zm_pop_help_;
    addAction(help->findChild<QAction*>(editionFlag() ? QStringLiteral("Help2")
                                                      : QStringLiteral("Help1")));
}

void Tfm_main::keyPressEvent(QKeyEvent* event) {
    // Space plays and pauses the preview when the focused control has no use for it; buttons,
    // boxes, the list and text fields keep it.
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        if (playing())
            player_->pauseToggle();
        else if (buttons_.value(QStringLiteral("bt_play"))->isEnabled())
            player_->bt_playClick();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool Tfm_main::focusNextPrevChild(bool next) {
    // The open picker keeps Tab to itself, as a popup does.
    if (picker_ && picker_->isOpen() && picker_->focusNext(next))
        return true;
    return QWidget::focusNextPrevChild(next);
}

namespace {

// The ordinary controls that sit on the skin, with the element whose caption names each.
constexpr std::pair<const char*, const char*> ControlLabels[] = {
    {"lv", "listlabel"},
    {"ed_output", "outputlabel"},
    {"cb_size", "video_size"},
    {"cb_videobitrate", "video_quality"},
    {"cb_audiobitrate", "audio_quality"},
    {"cb_channel", "channels"},
    {"cb_audio", "audio"},
    {"cb_subtitle", "subtitle"}};

// The element whose hint describes an ordinary control.
constexpr std::pair<const char*, const char*> ControlHints[] = {
    {"ed_output", "browse"},
    {"cb_size", "video_size"},
    {"cb_videobitrate", "video_quality"},
    {"cb_audiobitrate", "audio_quality"},
    {"cb_channel", "channels"},
    {"cb_audio", "audio"},
    {"cb_subtitle", "subtitle"}};

// Painted controls named by a caption beside them.
constexpr std::pair<const char*, const char*> ElementLabels[] = {{"profiles", "formatlabel"},
                                                                 {"convertpos", "progresslabel"}};

constexpr const char* MenuTitles[] = {"file",     "dvdfile",  "settings",
                                      "purchase", "register", "help"};

} // namespace

void Tfm_main::describeControls() {
    // A hint of the text table, read without showing it; the general hint describes nothing.
    const auto hint = [this](const QString& element) {
        const int id = hintIdFor(element);
        return id == LanguageTable::GeneralHint ? QString()
                                                : language_.text(id).value_or(QString());
    };
    SkinForm* main = skin_->skinObject(this);
    for (SkinForm* form : {main, skin_->skinObject(windows_.cutter)}) {
        if (!form)
            continue;
        for (const auto& e : form->elements()) {
            if (const QString name = spokenName(e->name()); !name.isEmpty())
                e->setAccessibleName(name);
            const QString text = hint(e->name());
            e->setDescription(text.isEmpty() && e->takesFocus() ? e->accessibleName() : text);
        }
    }
    for (const auto& [element, label] : ElementLabels) {
        SkinElement* e = main->element(QLatin1String(element));
        SkinElement* caption = main->element(QLatin1String(label));
        if (e && caption)
            e->setLabel(caption);
    }
    for (const char* title : MenuTitles)
        if (SkinElement* e = main->element(QLatin1String(title)))
            e->setRole(ElementRole::MenuButton);
    if (SkinElement* profiles = main->element(QStringLiteral("profiles")))
        profiles->setRole(ElementRole::ComboBox);

    const QColor accent = main->accentColor();
    for (ImageButton* button : std::as_const(buttons_)) {
        button->setFocusColor(accent);
        button->setAccessibleName(button->toolTip());
        const QString text = hint(hintElementOf(button->objectName()));
        button->setAccessibleDescription(text.isEmpty() ? button->toolTip() : text);
    }
    // Its design hint says "Stop conversion"; it pauses and continues.
    ImageButton* pause = buttons_.value(QStringLiteral("bt_pause"));
    pause->setAccessibleName(pauseCaption());
    pause->setAccessibleDescription(pauseCaption());
    for (const auto& [control, label] : ControlLabels)
        if (const SkinElement* e = main->element(QLatin1String(label)))
            controls_.value(QLatin1String(control))->setAccessibleName(e->text());
    for (const auto& [control, element] : ControlHints)
        controls_.value(QLatin1String(control))
            ->setAccessibleDescription(hint(QLatin1String(element)));
}

QWidget* Tfm_main::elementControl(const QString& name) const {
    SkinForm* form = skin_->skinObject(const_cast<Tfm_main*>(this));
    return form ? skin_->control(form->element(name)) : nullptr;
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
        bt_startClick();
    else if (name == QLatin1String("stopconverter"))
        Bt_ConvertstopClick();
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
