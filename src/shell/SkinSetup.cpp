#include "shell/SkinSetup.h"

#include <QDir>

namespace vc {

namespace {

enum class Need { Shape, Text, Slider, Click };

struct Finder {
    SkinForm* form;
    QString skinPath;
    QString error;

    SkinElement* find(const char* name, Need need) {
        if (!error.isEmpty())
            return nullptr;
        const QString wanted = QString::fromLatin1(name);
        SkinElement* e = form->element(wanted);
        if (!e) {
            error = QStringLiteral("The skin file %1 lacks the element \"%2\" in its form \"%3\".")
                        .arg(skinPath, wanted, form->name());
            return nullptr;
        }
        const char* expected = nullptr;
        if (need == Need::Text && !e->textFacet())
            expected = "a text line";
        else if (need == Need::Slider && !e->sliderFacet())
            expected = "a slider";
        else if (need == Need::Click && e->kind() != ElementKind::Area)
            expected = "a clickable area";
        if (expected) {
            error = QStringLiteral("The element \"%1\" of the skin file %2 must be %3.")
                        .arg(wanted, skinPath, QLatin1String(expected));
            return nullptr;
        }
        return e;
    }
};

} // namespace

SkinSetup setUpSkin(TSkin& skin, QWidget* mainWindow, QWidget* cutterWindow,
                    const QString& programDir) {
    SkinSetup setup;
    const QString path = QDir(programDir).absoluteFilePath(QLatin1String(SkinFileName));
    if (!skin.loadSkinFile(path) || !skin.skinWindow(mainWindow) ||
        !skin.attachForm(mainWindow, QLatin1String(MainFormName))) {
        setup.error = skin.errorString();
        return setup;
    }
    SkinElements& el = setup.elements;
    Finder main{skin.skinObject(mainWindow), path, {}};
    el.profilestext = main.find("profilestext", Need::Text);
    el.play_time = main.find("play_time", Need::Text);
    el.hint = main.find("hint", Need::Text);
    el.play_bar = main.find("play_bar", Need::Slider);
    el.di = main.find("di", Need::Shape);
    el.alltime = main.find("alltime", Need::Text);
    el.playpos = main.find("playpos", Need::Shape);
    el.convertpos = main.find("convertpos", Need::Shape);
    // The window has no frame: without it there would be no way to close it.
    main.find("mainclose", Need::Click);
    if (!main.error.isEmpty()) {
        setup.error = main.error;
        return setup;
    }
    el.pause = main.form->element(QStringLiteral("pause"));
    el.convertinfo = main.form->element(QStringLiteral("convertinfo"));
    if (el.convertinfo && !el.convertinfo->textFacet())
        el.convertinfo = nullptr;
    el.playposBar = ProgressMarker(el.playpos, PlayposWidth);
    el.convertposBar = ProgressMarker(el.convertpos, ConvertposWidth);
    // Screen readers hear the hint line as the status line and the marker as the progress bar.
    el.hint->setRole(ElementRole::Status);
    el.convertpos->setProgressWidth(ConvertposWidth);
    el.convertposBar.show(0);
    el.playposBar.show(0);
    el.hint->setText(QString());
    el.hint->redraw();
    el.play_bar->setPosition(0);

    if (!skin.attachForm(cutterWindow, QLatin1String(CutterFormName))) {
        setup.error = skin.errorString();
        return setup;
    }
    Finder cutter{skin.skinObject(cutterWindow), path, {}};
    el.cut_begin_time = cutter.find("cut_begin_time", Need::Text);
    el.cut_end_time = cutter.find("cut_end_time", Need::Text);
    el.cut_play_time = cutter.find("cut_play_time", Need::Text);
    el.cut_play_bar = cutter.find("cut_play_bar", Need::Slider);
    el.cutplaypos = cutter.find("cutplaypos", Need::Shape);
    cutter.find("cutclose", Need::Click);
    if (!cutter.error.isEmpty()) {
        setup.error = cutter.error;
        return setup;
    }
    el.cut_pause = cutter.form->element(QStringLiteral("pause"));
    el.cutplayposBar = ProgressMarker(el.cutplaypos, CutplayposWidth);
    el.cutplayposBar.show(0);
    return setup;
}

} // namespace vc
