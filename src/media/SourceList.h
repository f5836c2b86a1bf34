#pragma once

#include "media/SourceRecords.h"

#include <QObject>
#include <functional>

class QKeyEvent;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace vc {

class Dialogs;
class LanguageTable;
class MediaProbe;

// The main window's list of source files and its per-row records: adding by file, folder or
// drop, removing, clearing, renaming, ticking, and the row click.
class SourceList : public QObject {
    Q_OBJECT
public:
    // What the list needs from the window around it.
    struct Hooks {
        std::function<bool()> converting;
        std::function<bool()> previewPlaying;
        // The output-size text of a row, for the selected profile.
        std::function<QString(const Toriginalinfo&)> estimate;
        // The folder to scan, chosen by the user; empty when cancelled.
        std::function<QString()> chooseFolder;
        std::function<void()> refreshCommands;
        // A row became the one shown (-1: none is left): its duration goes to the time display.
        std::function<void(int row)> rowShown;
        // Return on a row: it is the one selected and shown; play it.
        std::function<void()> play;
    };

    enum Column { TitleColumn, SizeColumn, TimeColumn, OutputColumn, StatusColumn };

    SourceList(QTreeWidget* lv, MediaProbe& probe, Dialogs& dialogs, LanguageTable& language,
               Hooks hooks, QObject* parent = nullptr);

    void setCheckBoxes(bool on) { checkBoxes_ = on; }
    // Widens the columns whose caption would be cut in the header's present style.
    void fitColumnsToCaptions();

    // Commands.
    void addFiles();
    void addFolder();
    // A disc's titles, from a folder, image or device, or from one of its IFO files.
    void addDvd();
    void addIfo();
    void remove();
    void clear();
    void rename();
    void tickAll(bool ticked);
    void rowClick();
    // Files and folders dropped on the list.
    void addDropped(const QStringList& paths);
    // Drops anywhere on this widget (the window) are added too, even while the list is hidden.
    void takeDropsOn(QWidget* widget);

    // One file, probed and appended; false when the tool cannot describe it.
    bool addOneFile(const QString& path);
    // Every title of the disc at path worth a row, the longest ticked; a disc the tool
    // refuses is reported and adds nothing.
    void addDiscTitles(const QString& path);

    // An add or a folder scan is under way. Rows are added one probe at a time while the
    // window stays responsive, so every other add waits: commands are refused, drops queued.
    bool adding() const { return adding_; }
    // Ends an add under way after nothing more than its running probe, which ends at once.
    void cancelAdding();
    // The first selected row in list order, -1 when none is.
    int firstSelectedRow() const;

    int rows() const { return records_.rows(); }
    int currentItem() const { return currentItem_; }
    const SourceRecords& records() const { return records_; }
    SourceRecords& records() { return records_; }
    bool isTicked(int row) const;
    QString title(int row) const;
    void setStatus(int row, const QString& text);
    // Kept with the row and shown as its status cell's tooltip; empty clears it.
    void setFailure(int row, const QString& reason);
    // Recomputes every row's output size.
    void refreshEstimates();

    QLineEdit* edt_tit() const { return edt_tit_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool refused(bool checkPreview);
    // A file or title the add could not take; told once the whole add has ended.
    void refuse(const QString& text);
    void tellRefusals();
    // Runs one add with the list marked busy, then the drops that arrived meanwhile.
    void runAdd(const std::function<void()>& add);
    void addWithRetry(const QString& path, const QString& shownName);
    void appendRow(const SourceItem& item, bool ticked);
    void addDisc(const QString& path);
    void addPaths(const QStringList& paths);
    void selectFirstWhenNoneSelected();
    void afterRemoval();
    void commitRename();
    void cancelRename();
    bool listKey(QKeyEvent* event);
    bool takeDrop(QEvent* event);
    void refresh();

    QTreeWidget* lv_;
    // Filtered events still arrive while lv_ is being destroyed and is no longer a tree widget.
    QWidget* viewport_;
    QWidget* dropTarget_ = nullptr;
    MediaProbe& probe_;
    Dialogs& dialogs_;
    LanguageTable& language_;
    Hooks hooks_;
    SourceRecords records_;
    int currentItem_ = -1;
    bool checkBoxes_ = false;
    QLineEdit* edt_tit_;
    int renameRow_ = -1;
    bool adding_ = false;
    bool cancelled_ = false;
    QList<QStringList> pendingDrops_;
    QStringList refusals_;
    static constexpr int ToolKeptAfter = 4;
    int probed_ = 0; // files the add has tried
};

// What an add that refused files tells: one refusal in its own words; several (repeats counted
// once) as "3 files are not supported:" over the list of them. Empty text for none.
struct RefusalNotice {
    QString text;
    QStringList lines;
};
RefusalNotice refusalNotice(const QStringList& refusals);

} // namespace vc
