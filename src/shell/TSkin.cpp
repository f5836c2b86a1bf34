#include "shell/TSkin.h"

#include "shell/SkinCanvas.h"
#include "shell/SkinControls.h"
#include "shell/SkinStyle.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPixmapCache>
#include <QRegularExpression>

namespace vc {

TSkin::TSkin(QObject* parent) : QObject(parent) {}

TSkin::~TSkin() = default;

bool TSkin::fail(const QString& error) {
    error_ = error;
    return false;
}

bool TSkin::loadSkinFile(const QString& path) {
    SkinParseResult parsed = parseSkinFile(path);
    if (!parsed.skin)
        return fail(parsed.error);
    for (const QString& font : parsed.skin->fontFiles) {
        if (QFontDatabase::addApplicationFont(font) < 0)
            return fail(QStringLiteral("The font file %1 of the skin file %2 cannot be used.")
                            .arg(font, parsed.skin->path));
    }
    QString styleSheet;
    if (!parsed.skin->styleSheet.isEmpty()) {
        QFile file(parsed.skin->styleSheet);
        if (!file.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("The style sheet %1 of the skin file %2 cannot be read.")
                            .arg(parsed.skin->styleSheet, parsed.skin->path));
        styleSheet = QString::fromUtf8(file.readAll());
        // Qt resolves url() against the working folder; the skin's paths are its own folder's.
        const QString folder = QFileInfo(parsed.skin->styleSheet).absolutePath();
        static const QRegularExpression relativeUrl(
            QStringLiteral(R"(url\(\s*["']?(?![/:])([^"')]+)["']?\s*\))"));
        styleSheet.replace(relativeUrl, QStringLiteral("url(\"%1/\\1\")").arg(folder));
    }
    skin_ = std::move(parsed.skin);
    // A skin made anew may reuse an image path with other contents.
    QPixmapCache::clear();
    error_.clear();
    // The skin dresses every window of the program, message boxes and choosers included.
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QApplication::setStyle(new SkinStyle(skin_->iconFolder));
        app->setStyleSheet(styleSheet);
    }
    return true;
}

bool TSkin::skinWindow(QWidget* window) {
    if (!window)
        return fail(QStringLiteral("There is no window to skin."));
    if (!window->windowFlags().testFlag(Qt::FramelessWindowHint)) {
        const bool wasVisible = window->isVisible();
        window->setWindowFlag(Qt::FramelessWindowHint, true);
        // Changing the flags hides a shown window.
        if (wasVisible)
            window->show();
    }
    if (!canvas(window))
        new SkinCanvas(*this, window);
    return true;
}

bool TSkin::attachForm(QWidget* window, const QString& formName) {
    if (!skin_)
        return fail(QStringLiteral("No skin file is loaded."));
    const FormDef* form = skin_->form(formName);
    if (!form)
        return fail(
            QStringLiteral("The skin file %1 has no form \"%2\".").arg(skin_->path, formName));
    if (!skinWindow(window))
        return false;
    auto* surface = static_cast<SkinCanvas*>(canvas(window));
    surface->setForm(std::make_unique<SkinForm>(*form, window));
    window->setFixedSize(form->size);
    return true;
}

SkinForm* TSkin::skinObject(QWidget* window) const {
    auto* surface = static_cast<SkinCanvas*>(canvas(window));
    return surface ? surface->form() : nullptr;
}

QWidget* TSkin::control(const SkinElement* element) const {
    if (!element)
        return nullptr;
    auto* surface = static_cast<SkinCanvas*>(canvas(element->form().window()));
    return surface ? static_cast<QWidget*>(surface->control(element)) : nullptr;
}

QWidget* TSkin::canvas(QWidget* window) const {
    return window ? window->findChild<SkinCanvas*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

} // namespace vc
