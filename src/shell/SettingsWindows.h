#pragma once

#include <QDialog>
#include <QFileIconProvider>
#include <QPersistentModelIndex>

class QButtonGroup;
class QFileSystemModel;
class QGroupBox;
class QLineEdit;
class QSpinBox;
class QTreeView;

namespace vc {

// "Settings": what happens after a batch has finished.
class Tfm_set : public QDialog {
    Q_OBJECT
public:
    explicit Tfm_set(QWidget* parent = nullptr);

    // Shows the window modally with `action` selected; the chosen action when "OK" was
    // pressed, or -1 for "Cancel".
    int choose(int action);

    QButtonGroup* rg_finish() const { return group_; }
    // "Files converted at once", from 1 to `most`; read after choose() accepted.
    void setFilesAtOnce(int files, int most);
    int filesAtOnce() const;
    QSpinBox* sb_files() const { return files_; }

private:
    QGroupBox* box_;
    QButtonGroup* group_;
    QSpinBox* files_;
};

// "Output Directory": a folder tree from the file system's root.
class Tfm_dir : public QDialog {
    Q_OBJECT
public:
    explicit Tfm_dir(QWidget* parent = nullptr);
    ~Tfm_dir() override;

    // The chosen folder, without a trailing separator (the root stays "/"); empty after Cancel,
    // Escape or the title bar's close.
    QString result() const { return result_; }
    // Selects and reveals a folder in the tree.
    void setCurrentFolder(const QString& folder);
    QTreeView* tree() const { return tree_; }
    QLineEdit* field() const { return field_; }

    // What "Ok" and "Cancel" do; public so that tests can press them.
    void bt_okClick();
    void bt_cancelClick();

    void done(int result) override;

protected:
    void changeEvent(QEvent* event) override;

private:
    // Folder icons from the application's style, so that they are the skin's.
    QFileIconProvider icons_;
    QFileSystemModel* model_ = nullptr;
    QTreeView* tree_;
    QLineEdit* field_;
    QPersistentModelIndex reveal_;
    QString result_;
};

} // namespace vc
