#include "shell/LanguageTable.h"

#include "common/SkinFacets.h"
#include "shell/Dialogs.h"

#include <QFile>

namespace vc {

LanguageTable::LanguageTable(QString path, Dialogs& dialogs)
    : path_(std::move(path)), dialogs_(dialogs) {}

std::optional<QString> LanguageTable::lookup(int id, Use use) {
    if (converting_ && converting_() && id != ConversionRunning)
        return QString();

    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) {
        if (use == Use::Command || !hoverFailureShown_) {
            hoverFailureShown_ = hoverFailureShown_ || use == Use::Hover;
            dialogs_.warning(nullptr, QStringLiteral("Video Converter"),
                             path_ + QStringLiteral(": ") + file.errorString());
        }
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

    if (hint_ && id <= GeneralHint) {
        hint_->setText(id == GeneralHint ? text + u' ' + programName_ + u'.' : text);
        hint_->redraw();
    }
    return text;
}

} // namespace vc
