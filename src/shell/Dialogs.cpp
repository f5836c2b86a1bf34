#include "shell/Dialogs.h"

#include "common/FileNames.h"
#include "shell/DesktopNotifications.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>

namespace vc {

void QtDialogs::information(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::information(parent, title, text);
}

void QtDialogs::warning(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::warning(parent, title, text);
}

bool QtDialogs::question(QWidget* parent, const QString& title, const QString& text) {
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

QStringList QtDialogs::openFiles(QWidget* parent, const QString& title, const QString& folder,
                                 const QString& filter) {
    QFileDialog dialog(parent, title, folder, filter);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    // Sources often sit in hidden folders (downloads of other programs, camera imports).
    dialog.setFilter(dialog.filter() | QDir::Hidden);
    QStringList files;
    if (dialog.exec() == QDialog::Accepted)
        for (const QString& file : dialog.selectedFiles())
            files << entryMeant(file);
    return files;
}

QString QtDialogs::chooseFolder(QWidget* parent, const QString& title, const QString& folder) {
    const QString chosen = QFileDialog::getExistingDirectory(parent, title, folder);
    return chosen.isEmpty() ? chosen : entryMeant(chosen);
}

namespace {

// Opens a file (an image, a device) like any open dialog, and takes a folder that holds a
// disc instead of entering it.
class DiscDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override {
        const QStringList chosen = selectedFiles();
        const QString path = chosen.value(0);
        const QString name = path.section(u'/', -1, -1, QString::SectionSkipEmpty);
        if (isFolderPath(path) &&
            (name.compare(QLatin1String("VIDEO_TS"), Qt::CaseInsensitive) == 0 ||
             isFolderPath(path + QStringLiteral("/VIDEO_TS")))) {
            disc_ = path;
            done(Accepted);
            return;
        }
        QFileDialog::accept();
    }
    QString disc() const { return disc_.isEmpty() ? selectedFiles().value(0) : disc_; }

private:
    QString disc_;
};

} // namespace

QString QtDialogs::chooseDisc(QWidget* parent, const QString& title, const QString& folder) {
    DiscDialog dialog(parent, title, folder,
                      QStringLiteral("DVD (VIDEO_TS *.iso *.ISO);;All Files (*)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QString chosen = dialog.disc();
    return chosen.isEmpty() ? chosen : entryMeant(chosen);
}

bool isOpenableAddress(const QString& address) {
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("mailto"))
        return !url.path().isEmpty();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !url.host().isEmpty();
}

bool QtShellActions::openFolder(const QString& path) {
    return QDesktopServices::openUrl(fileUrlOf(path));
}

bool QtShellActions::openUrl(const QString& address) {
    if (!isOpenableAddress(address))
        return false;
    return QDesktopServices::openUrl(QUrl(address.trimmed(), QUrl::StrictMode));
}

bool QtShellActions::powerOff() {
    return QProcess::startDetached(QStringLiteral("systemctl"), {QStringLiteral("poweroff")});
}

bool QtShellActions::notify(const QString& title, const QString& text,
                            std::function<void()> clicked) {
    static DesktopNotifications notifications;
    return notifications.show(title, text, std::move(clicked));
}

} // namespace vc
