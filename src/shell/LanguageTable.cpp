#include "shell/LanguageTable.h"

#include "common/SkinFacets.h"
#include "shell/Dialogs.h"

#include <QFile>

namespace vc {

LanguageTable::LanguageTable(QString path, Dialogs& dialogs)
    : path_(std::move(path)), dialogs_(dialogs) {}

namespace {

std::optional<QString> readLine(const QString& path, int id, QString* error = nullptr) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    QString text;
    for (int line = 1; line <= id && !file.atEnd(); ++line) {
        QByteArray bytes = file.readLine();
        if (line < id)
            continue;
        while (bytes.endsWith('\n') || bytes.endsWith('\r'))
            bytes.chop(1);
        text = QString::fromUtf8(bytes);
    }
    return text;
}

} // namespace

std::optional<QString> LanguageTable::text(int id) const {
    return readLine(path_, id);
}

std::optional<QString> LanguageTable::lookup(int id, Use use) {
    if (converting_ && converting_() && id != ConversionRunning)
        return QString();

    QString error;
    const std::optional<QString> found = readLine(path_, id, &error);
    if (!found) {
        if (use == Use::Command || !hoverFailureShown_) {
            hoverFailureShown_ = hoverFailureShown_ || use == Use::Hover;
            dialogs_.warning(nullptr, QStringLiteral("Video Converter"),
                             path_ + QStringLiteral(": ") + error);
        }
        return std::nullopt;
    }
    if (hint_ && id <= GeneralHint) {
        hint_->setText(id == GeneralHint ? *found + u' ' + programName_ + u'.' : *found);
        hint_->redraw();
    }
    return found;
}

} // namespace vc
