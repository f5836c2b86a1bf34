#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QDialog;
class QFileDialog;
class QMessageBox;
class QWidget;

namespace vc {

// Every modal box and chooser the program shows goes through here, so that tests can answer
// them without a window ever blocking.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual void information(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual void warning(QWidget* parent, const QString& title, const QString& text) = 0;
    // An information over a scrolled list of lines, as long as it may be.
    virtual void informationList(QWidget* parent, const QString& title, const QString& text,
                                 const QStringList& lines) {
        information(parent, title, text + u'\n' + lines.join(u'\n'));
    }
    // True for Yes.
    virtual bool question(QWidget* parent, const QString& title, const QString& text) = 0;
    // Empty when the user cancels.
    virtual QStringList openFiles(QWidget* parent, const QString& title, const QString& folder,
                                  const QString& filter) = 0;
    virtual QString chooseFolder(QWidget* parent, const QString& title, const QString& folder) = 0;
    // A DVD-Video folder (or its VIDEO_TS), an image or a device; empty when cancelled.
    virtual QString chooseDisc(QWidget* parent, const QString& title, const QString& folder) = 0;
};

class QtDialogs : public Dialogs {
public:
    void information(QWidget* parent, const QString& title, const QString& text) override;
    void warning(QWidget* parent, const QString& title, const QString& text) override;
    void informationList(QWidget* parent, const QString& title, const QString& text,
                         const QStringList& lines) override;
    bool question(QWidget* parent, const QString& title, const QString& text) override;
    QStringList openFiles(QWidget* parent, const QString& title, const QString& folder,
                          const QString& filter) override;
    QString chooseFolder(QWidget* parent, const QString& title, const QString& folder) override;
    QString chooseDisc(QWidget* parent, const QString& title, const QString& folder) override;
};

enum class BoxKind { Information, Warning, Question };

// The boxes and choosers QtDialogs shows, made but not yet shown. They are Qt's own, never the
// desktop's, so the skin's style dresses them like every other window.
std::unique_ptr<QMessageBox> makeMessageBox(QWidget* parent, BoxKind kind, const QString& title,
                                            const QString& text);
// The text above a read-only list that scrolls, with the information icon and an OK button.
std::unique_ptr<QDialog> makeListBox(QWidget* parent, const QString& title, const QString& text,
                                     const QStringList& lines);
// Existing files, or one folder when `folders` is set.
std::unique_ptr<QFileDialog> makeFileDialog(QWidget* parent, const QString& title,
                                            const QString& folder, const QString& filter,
                                            bool folders);

// Opens things outside the program: folders and pages in the desktop's handlers, and the
// power-off at the end of a batch.
class ShellActions {
public:
    virtual ~ShellActions() = default;
    virtual bool openFolder(const QString& path) = 0;
    // Only http, https and mailto addresses are opened; anything else is refused.
    virtual bool openUrl(const QString& address) = 0;
    // Told, with a sentence for the user, when no program was there to open a folder or page;
    // the desktop may say so only after openFolder or openUrl has returned.
    std::function<void(const QString& message)> unopened;
    virtual bool powerOff() = 0;
    // A desktop notification; clicked runs when the user clicks it. False when the desktop
    // has no notification service.
    virtual bool notify(const QString& title, const QString& text,
                        std::function<void()> clicked) = 0;
};

class QtShellActions : public ShellActions {
public:
    bool openFolder(const QString& path) override;
    bool openUrl(const QString& address) override;
    bool powerOff() override;
    bool notify(const QString& title, const QString& text, std::function<void()> clicked) override;
};

// Whether an address from a data file may be handed to the desktop.
bool isOpenableAddress(const QString& address);

} // namespace vc
