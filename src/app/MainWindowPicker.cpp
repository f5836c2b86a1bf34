// The main window's side of the profile picker: opening, closing and the chosen profile.
#include "app/MainWindow.h"

#include "common/Bitmaps.h"
#include "profiles/Catalogue.h"
#include "profiles/ProfilePicker.h"
#include "profiles/ProfileSelector.h"
#include "shell/Dialogs.h"
#include "shell/SkinObject.h"
#include "shell/TSkin.h"

#include <QDir>
#include <QLabel>
#include <QPixmap>

namespace vc {

void Tfm_main::openPicker() {
    if (!picker_)
        return;
    if (converting()) {
        if (const auto text = language_.lookup(LanguageTable::ConversionRunning))
            dialogs_.warning(this, Caption, *text);
        return;
    }
    // Opened from the keyboard, the picker takes the focus; opened by the pointer, it leaves it.
    const QWidget* opener = elementControl(QStringLiteral("profiles"));
    const bool fromKeys = opener && opener->hasFocus();
    picker_->logic().open(selectedProfile_, playing());
    if (fromKeys && picker_->isOpen())
        picker_->focusIn();
}

void Tfm_main::closePicker() {
    if (picker_)
        picker_->logic().close();
}

void Tfm_main::selectProfile(int number) {
    if (!selector_)
        return;
    // Until some profile is in force the stored choice stands, so that a start on an unreadable
    // data file does not write "no profile" over it.
    if (selector_->select(number) || selector_->selected() != 0)
        selectedProfile_ = selector_->selected();
}

void Tfm_main::showProfile(int profile) {
    const QString name = profileName(profile);
    // A number without a name keeps the name shown before.
    if (!name.isEmpty() && elements_.profilestext) {
        elements_.profilestext->setText(name);
        elements_.profilestext->redraw();
        // The format box tells screen readers its choice, as a combo box does.
        if (SkinForm* form = skin_->skinObject(this))
            if (SkinElement* box = form->element(QStringLiteral("profiles")))
                box->setValueText(name);
    }
    const int k = category();
    if (!vc::category(k))
        return;
    const BitmapFile file =
        bitmapFileFor(QDir(program_.folder).filePath(QStringLiteral("images/main/%1.bmp").arg(k)),
                      im_mainico_->devicePixelRatioF());
    QPixmap icon;
    if (icon.load(file.path)) {
        icon.setDevicePixelRatio(file.ratio);
        im_mainico_->setPixmap(icon);
    }
}

int Tfm_main::category() const {
    return picker_ ? picker_->logic().highlightedCategory() : category_;
}

} // namespace vc
