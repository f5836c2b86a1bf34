#pragma once

#include "app/ProductLinks.h"
#include "app/ProgramInfo.h"
#include "convert/ConversionLine.h"
#include "convert/JobRecord.h"
#include "convert/Progress.h"
#include "media/SourceRecords.h"
#include "shell/LanguageTable.h"
#include "shell/SettingsStore.h"
#include "shell/SkinSetup.h"

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QWidget>
#include <memory>

class QComboBox;
class QMenu;
class QLabel;
class QLineEdit;
class QSystemTrayIcon;
class QTreeWidget;

namespace vc {

class ConversionQueue;
class ConvertRunner;
class PreviewLibrary;
class PreviewPlayer;

class PosterFrame;
class Tfm_dvdcutter;
class Dialogs;
class ImageButton;
class ProfilePicker;
class ProfileSelector;
class MediaProbe;
class SourceList;
class ShellActions;
class TSkin;
class Tfm_about;
class Tfm_dir;
class Tfm_set;
class Tfm_info;

// The title of the program's boxes.
inline const QString Caption = QStringLiteral("Video Converter");

// The windows the main window works with, created before its first showing.
struct MainWindows {
    Tfm_dir* dir = nullptr;
    Tfm_about* about = nullptr;
    Tfm_set* set = nullptr;
    Tfm_info* info = nullptr;
    Tfm_dvdcutter* cutter = nullptr;
};

// The main window: owns the program's state and wires the subsystems together.
class Tfm_main : public QWidget {
    Q_OBJECT
public:
    // Without a preview library the window plays through libmpv.
    Tfm_main(ProgramInfo program, Dialogs& dialogs, ShellActions& shell,
             PreviewLibrary* library = nullptr);
    ~Tfm_main() override;

    void setWindows(const MainWindows& windows);

    // Program-wide values.
    const ProgramInfo& program() const { return program_; }
    const QString& programFileName() const { return programFileName_; }
    QString programName() const;
    bool editionFlag() const;
    const QString& toolPath() const { return program_.toolPath; }
    const QString& workFolder() const { return program_.folder; }
    const ProductLinks& productLinks() const { return links_; }

    // Run state, read by every subsystem.
    bool converting() const;
    void setConverting(bool converting) { converting_ = converting; }

    // The remembered choices as they stand.
    const QString& outputFolder() const { return outputFolder_; }
    int finishAction() const { return finishAction_; }
    int selectedProfile() const { return selectedProfile_; }
    int category() const;
    bool settingsLoaded() const { return settingsLoaded_; }

    // Ends the program as a confirmed close does: stops a conversion or an add under way,
    // saves the settings, quits, and asks nothing, as nobody may be there to answer.
    void closeOnSignal();

    // Files and folders from the command line or from a later start: the window comes to the
    // front and adds them as dropped ones, after an add under way. None only brings it.
    void addFromOutside(const QStringList& paths);
    // Shows the window, also from the notification area or minimised, and activates it.
    void bringToFront();

    // Commands.
    void RunBackground1Click();
    bool inBackground() const;
    void browseClick();
    void bt_setClick();
    void bt_webClick();
    void openSupportPage();
    void openWebPage();
    void openMakerContactPage();
    void openMakerAboutPage();
    void showAbout();
    void openPicker();
    // Properties of the first selected row.
    void bt_chapteClick();
    // Enables the commands that the list, its selection and the run state allow.
    void refreshCommandState();
    void closePicker();
    // Opens the output folder in the file manager.
    void openOutputFolder();
    // Fills the audio and subtitle boxes from a disc title's row; a file row (or none) leaves
    // them disabled with their placeholders.
    void showDiscStreams(int row);
    // Makes a profile the selected one.
    void selectProfile(int number);
    ProfilePicker* picker() const { return picker_; }
    ProfileSelector* selector() const { return selector_.get(); }
    SourceList* sources() const { return sources_; }
    ConversionQueue* queue() const { return queue_; }
    // Converts the ticked rows, pauses or continues every running one, stops them all.
    void bt_startClick();
    void bt_pauseClick();
    void Bt_ConvertstopClick();
    QString pauseCaption() const;
    int previewItem() const;
    PreviewPlayer* player() const { return player_.get(); }
    PosterFrame* poster() const { return poster_; }
    bool playing() const;
    // Saves the frame at the shown position as a bitmap in the output folder.
    void bt_imagesClick();
    // The cutter window, unless the preview plays or a conversion runs.
    void bt_cutClick();

    // What the first showing ran, step by step; for tests and diagnostics.
    const QStringList& startupLog() const { return startupLog_; }

    TSkin* skin() const { return skin_; }
    const SkinElements& elements() const { return elements_; }
    LanguageTable& language() { return language_; }
    ImageButton* button(const QString& name) const { return buttons_.value(name); }
    QWidget* control(const QString& name) const;
    QTreeWidget* lv() const { return lv_; }
    // Rows get check boxes once the layout file has been applied.
    bool listCheckBoxes() const { return listCheckBoxes_; }
    QLineEdit* ed_output() const { return ed_output_; }
    QSystemTrayIcon* tray() const { return tray_; }
    QMenu* menu(const QString& name) const;
    // Opens a popup menu at the main window's position plus an offset.
    void popupMenu(QMenu* menu, QPoint offset);
    // The widget that takes the focus for a skin element of the main window, or null.
    QWidget* elementControl(const QString& name) const;

signals:
    // The first showing has run to its end.
    void firstShowingDone();
    // The user agreed to quit during a conversion; the queue stops it.
    void stopConversionRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();
    bool firstShowing();
    bool applyLayout();
    void readProductLinks();
    void loadSettings();
    bool saveSettings();
    void onSkinMouseMove(ISkinObject* source);
    void onSkinClick(ISkinObject* source);
    void trayActivated(int reason);
    void createMenus();
    void createShortcuts();
    // Keys of the menus that depend on the edition, known at the first showing.
    void bindEditionKeys();
    // Names and descriptions for screen readers, and the Tab order.
    void describeControls();
    void showProfile(int profile);
    void createSourceList();
    void createBatch();
    void showJob(int job);
    void showPauseCaption();
    void showHint(const QString& text);
    // The output field's text as the folder in force, created when missing; absolute when
    // not empty. problem: the system's reason when it cannot be made or written.
    QString takeOutputFolder(QString* problem = nullptr);
    // Made and checked once, before the first row starts; false when it cannot be used.
    bool prepareBatchFolder();
    // A batch with failures names them; one that ended unwatched is told on the desktop.
    void tellBatchEnd();
    // The hint line says nothing about rows that are gone.
    void forgetGoneFailure();
    void showBatchProgress();
    ConversionInputs conversionInputs(int row, const QString& folderText) const;
    void createPreview(PreviewLibrary* library);
    void connectPreviewDisplay();
    void connectCutter();
    void onSkinSlider(ISkinObject* source, int phase);
    bool onPreviewClick(const QString& name);
    void warn(int textId);
    int selectedRow() const;
    QString estimateFor(const Toriginalinfo& info) const;

    ProgramInfo program_;
    QString programFileName_;
    Dialogs& dialogs_;
    ShellActions& shell_;
    MainWindows windows_;

    TSkin* skin_;
    SkinElements elements_;
    LanguageTable language_;
    std::unique_ptr<SettingsStore> settings_;
    ProfilePicker* picker_ = nullptr;
    std::unique_ptr<ProfileSelector> selector_;
    MediaProbe* probe_ = nullptr;
    SourceList* sources_ = nullptr;
    ConversionQueue* queue_ = nullptr;
    QList<int> batchRows_; // the row of each job of the batch
    QTimer* batchTimer_ = nullptr;
    int filesAtOnce_ = 1;
    ConvertRunner* snapshotRunner_ = nullptr;
    intputrec snapshotJob_;
    RunWords snapshotWords_;
    QString jobFolder_;
    QString batchFolder_;
    QString failureHint_; // a failed row's reason, as the hint line shows it
    std::unique_ptr<PreviewLibrary> ownLibrary_;
    std::unique_ptr<PreviewPlayer> player_;
    PosterFrame* poster_ = nullptr;
    ProductLinks links_;

    // Run state.
    bool started_ = false; // the first showing ran to its end
    bool converting_ = false;
    int hoveredCategory_ = -1;
    int selectedProfile_ = -1;

    // Remembered choices.
    bool settingsLoaded_ = false;
    bool closeConfirmed_ = false;
    bool videoFirstPage_ = true;
    bool audioFirstPage_ = true;
    QString outputFolder_;
    int category_ = 1;
    int finishAction_ = 0;

    // Controls on the skin.
    QWidget* pl_appname_ = nullptr;
    QLabel* img_name_ = nullptr;
    QPoint dragFrom_;
    bool dragArmed_ = false;
    QHash<QString, ImageButton*> buttons_;
    QHash<QString, QWidget*> controls_;
    QLineEdit* ed_output_ = nullptr;
    QLabel* im_mainico_ = nullptr;
    QTreeWidget* lv_ = nullptr;
    bool listCheckBoxes_ = false;
    QSystemTrayIcon* tray_ = nullptr;
    QMenu* zm_popup_file_ = nullptr;
    QMenu* zm_pop_help_ = nullptr;
    QMenu* zm_pop_edit_ = nullptr;
    QMenu* pop_help_ = nullptr;
    QMenu* zm_pop_actions_ = nullptr;
    QMenu* zm_pop_tools_ = nullptr;
    QMenu* pop_dvd_ = nullptr;
    int streamRow_ = -1; // the row the audio and subtitle boxes show
    QAction* aboutItem_ = nullptr;
    QStringList startupLog_;
    QSet<QObject*> pickerClosers_;
};

} // namespace vc
