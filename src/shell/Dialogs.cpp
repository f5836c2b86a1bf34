#include "shell/Dialogs.h"

#include "common/FileNames.h"
#include "shell/DesktopNotifications.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QStyle>
#include <QTreeView>
#include <QUrl>

namespace vc {

std::unique_ptr<QMessageBox> makeMessageBox(QWidget* parent, BoxKind kind, const QString& title,
                                            const QString& text) {
    const QMessageBox::Icon icon = kind == BoxKind::Information ? QMessageBox::Information
                                   : kind == BoxKind::Warning   ? QMessageBox::Warning
                                                                : QMessageBox::Question;
    auto box = std::make_unique<QMessageBox>(icon, title, text, QMessageBox::Ok, parent);
    if (kind == BoxKind::Question) {
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box->setDefaultButton(QMessageBox::No);
    }
    return box;
}

std::unique_ptr<QDialog> makeListBox(QWidget* parent, const QString& title, const QString& text,
                                     const QStringList& lines) {
    auto box = std::make_unique<QDialog>(parent);
    box->setWindowTitle(title);
    auto* icon = new QLabel(box.get());
    const int side = box->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, box.get());
    icon->setPixmap(box->style()
                        ->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, box.get())
                        .pixmap(side, side));
    auto* label = new QLabel(text, box.get());
    label->setWordWrap(true);
    // Plain text: tens of thousands of lines cost it little.
    auto* list = new QPlainTextEdit(lines.join(u'\n'), box.get());
    list->setReadOnly(true);
    list->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, box.get());
    QObject::connect(buttons, &QDialogButtonBox::accepted, box.get(), &QDialog::accept);
    auto* grid = new QGridLayout(box.get());
    grid->addWidget(icon, 0, 0, Qt::AlignTop);
    grid->addWidget(label, 0, 1);
    grid->addWidget(list, 1, 1);
    grid->addWidget(buttons, 2, 0, 1, 2);
    box->resize(box->fontMetrics().averageCharWidth() * 70, box->fontMetrics().height() * 20);
    return box;
}

std::unique_ptr<QFileDialog> makeFileDialog(QWidget* parent, const QString& title,
                                            const QString& folder, const QString& filter,
                                            bool folders) {
    auto dialog = std::make_unique<QFileDialog>(parent, title, folder, filter);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    if (folders) {
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setOption(QFileDialog::ShowDirsOnly);
    } else {
        dialog->setFileMode(QFileDialog::ExistingFiles);
        // Sources often sit in hidden folders (downloads of other programs, camera imports).
        dialog->setFilter(dialog->filter() | QDir::Hidden);
    }
    // The dates take the room left beside the other columns instead of being cut.
    if (auto* details = dialog->findChild<QTreeView*>(QStringLiteral("treeView")))
        details->header()->setStretchLastSection(true);
    return dialog;
}

void QtDialogs::information(QWidget* parent, const QString& title, const QString& text) {
    makeMessageBox(parent, BoxKind::Information, title, text)->exec();
}

void QtDialogs::warning(QWidget* parent, const QString& title, const QString& text) {
    makeMessageBox(parent, BoxKind::Warning, title, text)->exec();
}

void QtDialogs::informationList(QWidget* parent, const QString& title, const QString& text,
                                const QStringList& lines) {
    makeListBox(parent, title, text, lines)->exec();
}

bool QtDialogs::question(QWidget* parent, const QString& title, const QString& text) {
    return makeMessageBox(parent, BoxKind::Question, title, text)->exec() == QMessageBox::Yes;
}

QStringList QtDialogs::openFiles(QWidget* parent, const QString& title, const QString& folder,
                                 const QString& filter) {
    const auto dialog = makeFileDialog(parent, title, folder, filter, false);
    QStringList files;
    if (dialog->exec() == QDialog::Accepted)
        for (const QString& file : dialog->selectedFiles())
            files << entryMeant(file);
    return files;
}

QString QtDialogs::chooseFolder(QWidget* parent, const QString& title, const QString& folder) {
    const auto dialog = makeFileDialog(parent, title, folder, QString(), true);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return {};
    return entryMeant(dialog->selectedFiles().first());
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

namespace {

// The desktop's opener, run ourselves: Qt's own start of it counts as success even when the
// opener then finds no program for the target, and the user would wait for nothing.
bool openWithDesktop(const QUrl& target, const QString& message,
                     const std::function<void(const QString&)>& unopened) {
    const auto tell = [unopened, message] {
        if (unopened)
            unopened(message);
    };
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        // Qt knows a few desktops' openers and browsers by name; it says whether one started.
        if (QDesktopServices::openUrl(target))
            return true;
        tell();
        return false;
    }
    // Not parented: an opener that waits for the browser may outlive the window.
    auto* process = new QProcess;
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(process, &QProcess::finished, process,
                     [process, tell](int code, QProcess::ExitStatus status) {
                         if (status != QProcess::NormalExit || code != 0)
                             tell();
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, tell](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         tell();
                         process->deleteLater();
                     });
    process->start(opener, {target.toString(QUrl::FullyEncoded)});
    return true;
}

} // namespace

bool QtShellActions::openFolder(const QString& path) {
    return openWithDesktop(
        fileUrlOf(path),
        QStringLiteral("No file manager was found to show %1.").arg(QDir::toNativeSeparators(path)),
        unopened);
}

bool QtShellActions::openUrl(const QString& address) {
    if (!isOpenableAddress(address))
        return false;
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    const bool mail = url.scheme().compare(QLatin1String("mailto"), Qt::CaseInsensitive) == 0;
    return openWithDesktop(url,
                           (mail ? QStringLiteral("No mail program was found to write to %1.")
                                 : QStringLiteral("No web browser was found to open %1."))
                               .arg(address.trimmed()),
                           unopened);
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
