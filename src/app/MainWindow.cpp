#include "app/MainWindow.h"

#include "app/AboutWindow.h"
#include "app/Edition.h"
#include "common/Bitmaps.h"
#include "common/FileNames.h"
#include "common/Processors.h"
#include "convert/ConvertRunner.h"
#include "media/DiscTitles.h"
#include "media/MediaProbe.h"
#include "media/PropertiesWindow.h"
#include "media/SourceList.h"
#include "preview/CutterWindow.h"
#include "preview/PosterFrame.h"
#include "preview/PreviewPlayer.h"
#include "profiles/Catalogue.h"
#include "profiles/ProfilePicker.h"
#include "profiles/ProfileSelector.h"
#include "shell/Dialogs.h"
#include "shell/ElidingComboBox.h"
#include "shell/ImageButton.h"
#include "shell/ReadingOrder.h"
#include "shell/SettingsWindows.h"
#include "shell/SkinLayout.h"
#include "shell/TSkin.h"
#include "shell/WindowFocusReturn.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTreeWidget>
#include <utility>

namespace vc {

namespace {

struct ButtonHint {
    const char* name;
    const char* hint;
};

// Placement order of the image buttons, with their design hints.
constexpr ButtonHint ButtonHints[] = {{"bt_dvdopen", "Add File"},
                                      {"bt_ifo", "Add Folder"},
                                      {"bt_remove", "Remove Files"},
                                      {"bt_clear", "Clear file list"},
                                      {"bt_chapte", "Properties"},
                                      {"bt_set", "Settings"},
                                      {"bt_back", "Back"},
                                      {"bt_play", "Play"},
                                      {"bt_next", "Forward"},
                                      {"bt_playstop", "Stop"},
                                      {"bt_cut", "Cut"},
                                      {"bt_images", "Save Image"},
                                      {"bt_start", "Start conversion"},
                                      {"bt_pause", "Stop conversion"},
                                      {"Bt_Convertstop", "Stop conversion"},
                                      {"bt_web", "About US"}};

constexpr const char* ComboNames[] = {"cb_audio",        "cb_subtitle",     "cb_size",
                                      "cb_videobitrate", "cb_audiobitrate", "cb_channel"};

} // namespace

Tfm_main::Tfm_main(ProgramInfo program, Dialogs& dialogs, ShellActions& shell,
                   PreviewLibrary* library)
    : program_(std::move(program)), dialogs_(dialogs), shell_(shell), skin_(new TSkin(this)),
      language_(QDir(program_.folder).filePath(QStringLiteral("language.info")), dialogs) {
    setObjectName(QStringLiteral("Tfm_main"));
    setWindowTitle(Caption);
    // The skin draws the frame; a frameless window from the start avoids re-creating it.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint);
    setFixedSize(820, 562);
    language_.setConverting([this] { return converting(); });
    createControls();
    createSourceList();
    createBatch();
    createPreview(library);
    createMenus();
    createShortcuts();
    new WindowFocusReturn(this);
    shell_.unopened = [window = QPointer<Tfm_main>(this)](const QString& message) {
        if (window)
            window->dialogs_.warning(window, Caption, message);
    };

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    tray_ = new QSystemTrayIcon(this);
    tray_->setToolTip(QStringLiteral("Brivane Software"));
    connect(tray_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason r) { trayActivated(r); });

    connect(skin_, &TSkin::OnMouseMove, this,
            [this](ISkinObject* source, int, int) { onSkinMouseMove(source); });
    connect(skin_, &TSkin::OnClick, this, [this](ISkinObject* source) { onSkinClick(source); });
    // The keyboard's focus shows the hint the pointer would.
    connect(skin_, &TSkin::OnFocus, this, [this](ISkinObject* source) { onSkinMouseMove(source); });
    // Any press on the skin closes the picker first, even while converting.
    connect(skin_, &TSkin::OnMouseDown, this, [this] { closePicker(); });
}

// The player goes first: its playback thread still uses the library and the list.
Tfm_main::~Tfm_main() {
    player_.reset();
}

QString Tfm_main::programName() const {
    return programFileName_.isEmpty() ? program_.name : ProgramInfo::nameOf(programFileName_);
}

bool Tfm_main::editionFlag() const {
    return isOtherEdition(programFileName_);
}

QWidget* Tfm_main::control(const QString& name) const {
    return controls_.value(name);
}

void Tfm_main::createControls() {
    pl_appname_ = new QWidget(this);
    pl_appname_->setObjectName(QStringLiteral("pl_appname"));
    img_name_ = new QLabel(pl_appname_);
    img_name_->setObjectName(QStringLiteral("img_name"));
    img_name_->installEventFilter(this);

    for (const ButtonHint& b : ButtonHints) {
        auto* button = new ImageButton(QLatin1String(b.name), this);
        button->setToolTip(QLatin1String(b.hint));
        buttons_.insert(button->objectName(), button);
    }
    connect(buttons_.value(QStringLiteral("bt_set")), &QAbstractButton::clicked, this,
            &Tfm_main::bt_setClick);
    connect(buttons_.value(QStringLiteral("bt_web")), &QAbstractButton::clicked, this,
            &Tfm_main::bt_webClick);

    for (const char* name : ComboNames) {
        auto* combo = new ElidingComboBox(this);
        combo->setObjectName(QLatin1String(name));
        controls_.insert(combo->objectName(), combo);
    }
    auto* channels = static_cast<QComboBox*>(controls_.value(QStringLiteral("cb_channel")));
    channels->addItems({QStringLiteral("Mono"), QStringLiteral("Stereo")});
    channels->setCurrentIndex(1);
    // Until a row with tracks to choose is shown, the boxes say so.
    for (const auto& [name, placeholder] :
         {std::pair{"cb_audio", "Default track"}, std::pair{"cb_subtitle", "No subtitles"}}) {
        auto* box = static_cast<QComboBox*>(controls_.value(QLatin1String(name)));
        box->setPlaceholderText(QLatin1String(placeholder));
        box->setEnabled(false);
    }

    ed_output_ = new QLineEdit(this);
    ed_output_->setObjectName(QStringLiteral("ed_output"));
    controls_.insert(ed_output_->objectName(), ed_output_);

    auto* panel1 = new QWidget(this);
    panel1->setObjectName(QStringLiteral("Panel1"));
    panel1->setFixedSize(20, 20);
    im_mainico_ = new QLabel(panel1);
    im_mainico_->setObjectName(QStringLiteral("im_mainico"));
    im_mainico_->setGeometry(2, 2, 16, 16);
    im_mainico_->setCursor(Qt::PointingHandCursor);
    im_mainico_->installEventFilter(this);
    controls_.insert(panel1->objectName(), panel1);

    auto* strip = new QFrame(this);
    strip->setObjectName(QStringLiteral("pl_main"));
    strip->hide();
    controls_.insert(strip->objectName(), strip);
    for (const QString& name : SkinLayout::categoryPanelNames()) {
        auto* panel = new QFrame(this);
        panel->setObjectName(name);
        panel->hide();
        controls_.insert(name, panel);
    }

    auto* preview = new QWidget(this);
    preview->setObjectName(QStringLiteral("pl_play"));
    preview->setAttribute(Qt::WA_StyledBackground);
    preview->setStyleSheet(QStringLiteral("#pl_play { background: black; }"));
    controls_.insert(preview->objectName(), preview);

    lv_ = new QTreeWidget(this);
    lv_->setObjectName(QStringLiteral("lv"));
    lv_->setRootIsDecorated(false);
    lv_->setHeaderLabels({QStringLiteral("File Name")});
    controls_.insert(lv_->objectName(), lv_);

    // A press on any of these closes the picker before it does its own work.
    for (ImageButton* button : std::as_const(buttons_))
        pickerClosers_.insert(button);
    pickerClosers_.insert(lv_->viewport());
    pickerClosers_.insert(preview);
    for (QObject* closer : std::as_const(pickerClosers_))
        closer->installEventFilter(this);
}

void Tfm_main::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (programFileName_.isEmpty() && !firstShowing())
        // Without its skin or bitmaps the window cannot be used; the user has been told why.
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

bool Tfm_main::firstShowing() {
    startupLog_.clear();
    const SkinSetup setup = setUpSkin(*skin_, this, windows_.cutter, program_.folder);
    if (!setup.ok()) {
        dialogs_.warning(this, Caption, setup.error);
        return false;
    }
    elements_ = setup.elements;
    language_.setHint(elements_.hint);
    connectPreviewDisplay();
    const QString title =
        QDir(program_.folder)
            .filePath(QStringLiteral("images/main/") + program_.name + QStringLiteral(".bmp"));
    const BitmapFile titleFile = bitmapFileFor(title, devicePixelRatioF());
    QPixmap titleImage;
    if (QFile::exists(title) && titleImage.load(titleFile.path)) {
        titleImage.setDevicePixelRatio(titleFile.ratio);
        const QSize size = titleImage.deviceIndependentSize().toSize();
        img_name_->setPixmap(titleImage);
        img_name_->resize(size);
        pl_appname_->resize(size);
        pl_appname_->move(12, 4);
        pl_appname_->show();
        pl_appname_->raise();
    } else {
        pl_appname_->hide();
    }
    startupLog_ << QStringLiteral("skin");

    ProfilePicker::Parts parts;
    parts.window = this;
    parts.strip = static_cast<QFrame*>(controls_.value(QStringLiteral("pl_main")));
    for (const QString& name : SkinLayout::categoryPanelNames())
        parts.panels.insert(name, static_cast<QFrame*>(controls_.value(name)));
    parts.di = elements_.di;
    parts.preview = controls_.value(QStringLiteral("pl_play"));
    parts.programFolder = program_.folder;
    picker_ = new ProfilePicker(parts, this);
    picker_->logic().setProgramFileName(program_.fileName);
    connect(picker_, &ProfilePicker::profileClicked, this, &Tfm_main::selectProfile);
    picker_->setFocusReturn([this] {
        if (QWidget* opener = elementControl(QStringLiteral("profiles")))
            opener->setFocus(Qt::ShortcutFocusReason);
    });
    picker_->logic().close();
    startupLog_ << QStringLiteral("picker closed");

    programFileName_ = program_.fileName;
    language_.setProgramName(programName());
    startupLog_ << QStringLiteral("program file name");

    if (!applyLayout())
        return false;
    startupLog_ << QStringLiteral("layout");

    readProductLinks();
    startupLog_ << QStringLiteral("product links");

    if (!picker_->missingBitmaps().isEmpty()) {
        dialogs_.warning(this, Caption,
                         QDir(program_.folder).filePath(picker_->missingBitmaps().first()) +
                             QStringLiteral(": ") + tr("File not found."));
        return false;
    }
    picker_->logic().resetButtons();
    startupLog_ << QStringLiteral("picker buttons");

    loadSettings();
    startupLog_ << QStringLiteral("settings");

    lv_->setFocus();
    lv_->hide();
    startupLog_ << QStringLiteral("list hidden");

    refreshCommandState();
    startupLog_ << QStringLiteral("commands");

    aboutItem_->setText(QStringLiteral("About ") + programName());
    bindEditionKeys();
    describeControls();
    QList<const QWidget*> pickerParts{picker_->backPanel(),
                                      controls_.value(QStringLiteral("pl_main"))};
    for (const QString& name : SkinLayout::categoryPanelNames())
        pickerParts << controls_.value(name);
    // The skin's cards and bars group the controls as the eye reads them.
    const auto layoutOf = [this](QWidget* window) {
        QList<QRect> boxes;
        if (const SkinForm* form = skin_->skinObject(window))
            for (const auto& e : form->elements())
                if (e->isVisible())
                    boxes << e->rect();
        return boxes;
    };
    setReadingTabOrder(this, layoutOf(this), pickerParts);
    if (windows_.cutter)
        setReadingTabOrder(windows_.cutter, layoutOf(windows_.cutter));
    buttons_.value(QStringLiteral("bt_dvdopen"))->setFocus();
    controls_.value(QStringLiteral("pl_play"))->show();
    startupLog_ << QStringLiteral("ready");
    started_ = true;
    emit firstShowingDone();
    return true;
}

bool Tfm_main::applyLayout() {
    const QString path = QDir(program_.folder).filePath(QStringLiteral("Skin.ini"));
    SkinLayout layout;
    if (QFile::exists(path)) {
        layout = SkinLayout::read(IniFile(path));
    } else {
        dialogs_.information(
            this, Caption,
            QStringLiteral("The program file cannot be found, please install again."));
        // The window must stay usable until the file is back: without the layout every control
        // would sit at the corner, and without check boxes no row could be converted.
        layout = SkinLayout::builtIn();
    }
    const QDir folder(program_.folder);
    for (const SkinLayout::Button& b : layout.buttons) {
        ImageButton* button = buttons_.value(b.name);
        button->setGeometry(b.rect);
        const QString error =
            button->loadBitmaps(folder.filePath(SkinLayout::normalBitmap(b.name)),
                                folder.filePath(SkinLayout::hoverBitmap(b.name)),
                                folder.filePath(SkinLayout::disabledBitmap(b.name)));
        if (!error.isEmpty()) {
            dialogs_.warning(this, Caption, error);
            return false;
        }
        if (b.visible)
            button->setVisible(*b.visible);
    }
    for (const SkinLayout::Combo& c : layout.combos) {
        QWidget* combo = controls_.value(c.name);
        combo->move(c.pos);
        combo->resize(c.width, combo->sizeHint().height());
    }
    ed_output_->setGeometry(layout.output);
    controls_.value(QStringLiteral("Panel1"))->move(layout.categoryIcon);
    controls_.value(QStringLiteral("pl_main"))->move(layout.categoryStrip);
    picker_->setSubPanelOffset(layout.leftMove);
    for (const QString& name : SkinLayout::categoryPanelNames())
        controls_.value(name)->move(layout.categoryPanels);
    controls_.value(QStringLiteral("pl_play"))->setGeometry(layout.preview);
    lv_->setGeometry(layout.sourceList);
    lv_->headerItem()->setText(0, QStringLiteral("Title"));
    sources_->fitColumnsToCaptions();
    listCheckBoxes_ = true;
    sources_->setCheckBoxes(true);
    return true;
}

void Tfm_main::readProductLinks() {
    links_ = {};
    QFile file(QDir(program_.folder).filePath(QStringLiteral("softinfo.dat")));
    std::optional<ProductLinks> found;
    if (file.open(QIODevice::ReadOnly))
        found = ProductLinks::find(file.readAll(), programName());
    if (found) {
        links_ = *found;
        return;
    }
    if (const auto text = language_.lookup(31))
        dialogs_.information(this, Caption, *text);
}

void Tfm_main::loadSettings() {
    settings_ = std::make_unique<SettingsStore>(programName());
    const Settings s = settings_->load(defaultProfileFor(programFileName_));
    videoFirstPage_ = s.videoFirstPage;
    audioFirstPage_ = s.audioFirstPage;
    outputFolder_ = s.outputFolder;
    ed_output_->setText(outputFolder_);
    category_ = s.category;
    selectedProfile_ = s.profile;
    finishAction_ = s.finishAction;
    filesAtOnce_ = s.filesAtOnce;
    picker_->logic().restore(category_, videoFirstPage_, audioFirstPage_);
    settingsLoaded_ = true;

    auto box = [this](const char* name) {
        return static_cast<QComboBox*>(controls_.value(QLatin1String(name)));
    };
    ProfileSelector::Hooks hooks;
    hooks.showProfile = [this](int profile) {
        showProfile(profile);
    };
    hooks.showError = [this](const QString& message) {
        dialogs_.warning(this, Caption, message);
    };
    hooks.refreshEstimates = [this] {
        sources_->refreshEstimates();
    };
    selector_ = std::make_unique<ProfileSelector>(
        ParameterBoxes{box("cb_size"), box("cb_videobitrate"), box("cb_audiobitrate"),
                       box("cb_channel")},
        settings_->parameterStore(), QDir(program_.folder).filePath(QStringLiteral("profiles.pop")),
        hooks);
    selectProfile(s.profile);
}

bool Tfm_main::saveSettings() {
    if (!settingsLoaded_)
        return true; // never write defaults over settings that were not read
    Settings s;
    category_ = picker_->logic().highlightedCategory();
    videoFirstPage_ = picker_->logic().videoFirstPage();
    audioFirstPage_ = picker_->logic().audioFirstPage();
    s.outputFolder = outputFolder_;
    s.profile = selectedProfile_;
    s.category = category_;
    s.finishAction = finishAction_;
    s.filesAtOnce = filesAtOnce_;
    s.videoFirstPage = videoFirstPage_;
    s.audioFirstPage = audioFirstPage_;
    const bool choiceKept = !selector_ || selector_->keepChoice();
    return settings_->save(s) && choiceKept;
}

void Tfm_main::closeEvent(QCloseEvent* event) {
    if (playing())
        player_->stopSequence();
    if (converting()) {
        if (!closeConfirmed_ &&
            !dialogs_.question(
                this, Caption,
                QStringLiteral("The convertion is processing, are you sure to quit?"))) {
            event->ignore();
            return;
        }
        emit stopConversionRequested();
    }
    sources_->cancelAdding();
    if (!saveSettings() && !closeConfirmed_)
        dialogs_.warning(this, Caption,
                         QStringLiteral("Your settings could not be saved to %1.")
                             .arg(QDir::toNativeSeparators(settings_->settingsFile().path())));
    tray_->hide();
    event->accept();
}

void Tfm_main::closeOnSignal() {
    closeConfirmed_ = true;
    close();
    // Also ends the loops of a modal window or an add under way.
    QCoreApplication::quit();
}

bool Tfm_main::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && pickerClosers_.contains(watched))
        closePicker();
    // Dragging a selection across the list changes it without a click.
    if (watched == lv_->viewport() && event->type() == QEvent::MouseMove &&
        (static_cast<QMouseEvent*>(event)->buttons() & Qt::LeftButton))
        refreshCommandState();
    if (watched == im_mainico_ && event->type() == QEvent::MouseButtonRelease) {
        openPicker();
        return true;
    }
    if (watched == img_name_) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            dragFrom_ = static_cast<QMouseEvent*>(event)->position().toPoint();
            dragArmed_ = true;
            return true;
        case QEvent::MouseMove:
            if (dragArmed_ && (QGuiApplication::mouseButtons() & Qt::LeftButton)) {
                const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
                move(x() + at.x() - dragFrom_.x(), y() + at.y() - dragFrom_.y());
            }
            return true;
        case QEvent::MouseButtonRelease:
            dragArmed_ = false;
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Tfm_main::createSourceList() {
    probe_ = new MediaProbe(program_.toolPath, program_.folder, this);
    SourceList::Hooks hooks;
    hooks.converting = [this] {
        return converting();
    };
    hooks.previewPlaying = [this] {
        return playing();
    };
    hooks.refreshCommands = [this] {
        refreshCommandState();
    };
    hooks.estimate = [this](const Toriginalinfo& info) {
        return estimateFor(info);
    };
    hooks.chooseFolder = [this]() -> QString {
        if (!windows_.dir)
            return {};
        windows_.dir->setWindowTitle(QStringLiteral("File Directory"));
        windows_.dir->exec();
        return windows_.dir->result();
    };
    hooks.rowShown = [this](int row) {
        forgetGoneFailure();
        player_->setPreviewItem(row);
        if (elements_.alltime) {
            elements_.alltime->setText(row >= 0 ? sources_->records().info(row).duration
                                                : QStringLiteral("00:00:00"));
            elements_.alltime->redraw();
        }
        showDiscStreams(row);
        if (poster_ && row >= 0)
            poster_->show(sources_->records().info(row).path);
        else if (poster_)
            poster_->clear();
    };
    hooks.play = [this] {
        if (buttons_.value(QStringLiteral("bt_play"))->isEnabled())
            player_->bt_playClick();
    };
    sources_ = new SourceList(lv_, *probe_, dialogs_, language_, hooks, this);
    // An empty list is hidden behind its invitation: the first drop must land anywhere.
    sources_->takeDropsOn(this);

    const auto wire = [this](const char* name, void (SourceList::*command)()) {
        connect(buttons_.value(QLatin1String(name)), &QAbstractButton::clicked, sources_, command);
    };
    wire("bt_dvdopen", &SourceList::addFiles);
    wire("bt_ifo", &SourceList::addFolder);
    wire("bt_remove", &SourceList::remove);
    // The choice belongs to the row shown, and stays with it.
    connect(static_cast<QComboBox*>(controls_.value(QStringLiteral("cb_audio"))),
            &QComboBox::activated, this, [this](int index) {
                if (streamRow_ >= 0 && streamRow_ < sources_->rows())
                    sources_->records().info(streamRow_).audioTrack = index + 1;
            });
    connect(static_cast<QComboBox*>(controls_.value(QStringLiteral("cb_subtitle"))),
            &QComboBox::activated, this, [this](int index) {
                if (streamRow_ >= 0 && streamRow_ < sources_->rows())
                    sources_->records().info(streamRow_).subtitleTrack = index;
            });
    wire("bt_clear", &SourceList::clear);
    connect(buttons_.value(QStringLiteral("bt_chapte")), &QAbstractButton::clicked, this,
            &Tfm_main::bt_chapteClick);
    // Uncompressed and lossless sound grow with the channels.
    for (const char* name : {"cb_size", "cb_videobitrate", "cb_audiobitrate", "cb_channel"})
        connect(static_cast<QComboBox*>(controls_.value(QLatin1String(name))),
                &QComboBox::currentIndexChanged, sources_, &SourceList::refreshEstimates);
}

void Tfm_main::showDiscStreams(int row) {
    streamRow_ = row;
    const Toriginalinfo* info = row >= 0 ? &sources_->records().info(row) : nullptr;
    const QStringList audio = info ? audioEntries(*info) : QStringList();
    const QStringList subtitles = info ? subtitleEntries(*info) : QStringList();
    const auto fill = [this](const char* name, const QStringList& entries, int current) {
        auto* box = static_cast<QComboBox*>(controls_.value(QLatin1String(name)));
        const QSignalBlocker quiet(box);
        box->clear();
        box->addItems(entries);
        box->setEnabled(!entries.isEmpty());
        box->setCurrentIndex(entries.isEmpty() ? -1
                                               : std::clamp(current, 0, int(entries.size()) - 1));
    };
    fill("cb_audio", audio, info ? info->audioTrack - 1 : -1);
    fill("cb_subtitle", subtitles, info ? info->subtitleTrack : -1);
}

void Tfm_main::openOutputFolder() {
    const QString folder = ed_output_->text();
    if (!isFolderPath(folder)) {
        dialogs_.warning(this, Caption,
                         QStringLiteral("The output folder %1 does not exist yet.")
                             .arg(QDir::toNativeSeparators(folder)));
        return;
    }
    shell_.openFolder(folder);
}

void Tfm_main::bt_chapteClick() {
    for (int row = 0; row < lv_->topLevelItemCount() && row < sources_->rows(); ++row) {
        if (lv_->topLevelItem(row)->isSelected()) {
            if (windows_.info)
                windows_.info->showInfo(sources_->records().info(row));
            return;
        }
    }
    if (const auto text = language_.lookup(30))
        dialogs_.information(this, Caption, *text);
}

void Tfm_main::browseClick() {
    const auto caption = language_.lookup(37);
    if (!caption || !windows_.dir)
        return;
    windows_.dir->setWindowTitle(*caption);
    windows_.dir->setCurrentFolder(outputFolder_);
    windows_.dir->exec();
    if (!windows_.dir->result().isEmpty()) {
        outputFolder_ = windows_.dir->result();
        ed_output_->setText(outputFolder_);
    }
}

void Tfm_main::bt_setClick() {
    if (!windows_.set)
        return;
    windows_.set->setFilesAtOnce(filesAtOnce_, usableProcessors());
    const int chosen = windows_.set->choose(finishAction_);
    if (chosen >= 0) {
        finishAction_ = chosen;
        filesAtOnce_ = windows_.set->filesAtOnce();
        sources_->refreshEstimates();
    }
}

void Tfm_main::bt_webClick() {
    openMakerAboutPage();
}
void Tfm_main::openSupportPage() {
    shell_.openUrl(links_.support);
}
void Tfm_main::openWebPage() {
    shell_.openUrl(links_.web);
}
void Tfm_main::openMakerContactPage() {
    shell_.openUrl(makerInfo(editionFlag()).contactPage);
}
void Tfm_main::openMakerAboutPage() {
    shell_.openUrl(makerInfo(editionFlag()).aboutPage);
}

void Tfm_main::showAbout() {
    if (!windows_.about)
        return;
    windows_.about->setProduct(programName(), editionFlag(), links_.web);
    windows_.about->showFrom(this);
}

void Tfm_main::RunBackground1Click() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        // Hiding with nowhere to come back from would lose the window.
        showMinimized();
        return;
    }
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = style()->standardIcon(QStyle::SP_MediaPlay);
    tray_->setIcon(icon);
    tray_->show();
    hide();
}

bool Tfm_main::inBackground() const {
    return tray_->isVisible() && !isVisible();
}

void Tfm_main::bringToFront() {
    if (inBackground())
        tray_->hide();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void Tfm_main::addFromOutside(const QStringList& paths) {
    // Before the first showing has run to its end, or once it failed, there is no window to
    // bring or fill.
    if (!started_)
        return;
    bringToFront();
    if (paths.isEmpty())
        return;
    // Queued: the caller may be the socket's handler, and an add pumps events for a while.
    QMetaObject::invokeMethod(
        this, [this, paths] { sources_->addDropped(paths); }, Qt::QueuedConnection);
}

void Tfm_main::trayActivated(int reason) {
    if (reason != QSystemTrayIcon::Trigger)
        return;
    show();
    raise();
    activateWindow();
    tray_->hide();
}

} // namespace vc
