// The skin file: forms, elements, styles and the files they name.
#include "FuzzSupport.h"
#include "shell/SkinFile.h"

#include <QFile>
#include <QFileInfo>

using namespace vc;

namespace {

// Files the skins of the seed corpus name, so that those skins read to their end.
const char* const SkinFiles[] = {"skin/back-accent.png",
                                 "skin/back.png",
                                 "skin/chevron.png",
                                 "skin/close.png",
                                 "skin/controls.qss",
                                 "skin/film.png",
                                 "skin/folder-accent.png",
                                 "skin/folder.png",
                                 "skin/forward-accent.png",
                                 "skin/forward.png",
                                 "skin/logo.png",
                                 "skin/minimize.png",
                                 "skin/pause-accent.png",
                                 "skin/pause.png",
                                 "skin/play-white.png",
                                 "skin/plus-white.png",
                                 "skin/stop-accent.png",
                                 "skin/stop.png",
                                 "img/dot.png",
                                 "fonts/Inter.ttf"};

void checkSkin(const SkinDef& skin) {
    fuzz::check(!skin.forms.isEmpty(), "a skin without forms");
    for (const FormDef& form : skin.forms) {
        fuzz::check(form.size.width() > 0 && form.size.height() > 0, "a form without a size");
        for (const ElementDef& e : form.elements) {
            fuzz::check(e.rect.width() >= 0 && e.rect.height() >= 0, "a negative rectangle",
                        e.name);
            fuzz::check(e.position >= 0 && e.position <= 10000, "a slider position", e.name);
            fuzz::check(form.element(e.name) != nullptr, "an element not found by its name",
                        e.name);
            for (const QString& file : {e.look.image, e.look.hoverImage, e.look.thumbImage})
                fuzz::check(file.isEmpty() || QFile::exists(file), "a missing file accepted", file);
        }
        fuzz::check(skin.form(form.name) != nullptr, "a form not found by its name", form.name);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    for (const char* name : SkinFiles) {
        const QString path = fuzz::workPath(QString::fromLatin1(name));
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            fuzz::fail("cannot create", path);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = fuzz::writeWorkFile(QStringLiteral("skn.skn"), data, size);
    const SkinParseResult result = parseSkinFile(path);
    fuzz::check(result.skin.has_value() == result.error.isEmpty(), "neither skin nor error",
                result.error);
    if (result.skin)
        checkSkin(*result.skin);
    return 0;
}
