#include "profiles/PickerLogic.h"

#include "profiles/Catalogue.h"

namespace vc {

namespace {

const QString Video1 = QStringLiteral("pl_video1");
const QString Video2 = QStringLiteral("pl_video2");
const QString Audio1 = QStringLiteral("pl_audio1");
const QString Audio2 = QStringLiteral("pl_audio2");
const QString Mpeg = QStringLiteral("pl_mpeg");

const QString SubPanels[] = {QStringLiteral("pl_avi"), QStringLiteral("pl_mpeg"),
                             QStringLiteral("pl_mp4"), QStringLiteral("pl_mkv")};
constexpr int SubPanelFirst[] = {102, 110, 118, 125};

bool isOpener(int n) {
    return n >= 2 && n <= 5;
}

} // namespace

int PickerLogic::openerOf(int number) {
    if (number >= 102 && number <= 109)
        return 2;
    if (number >= 110 && number <= 117)
        return 3;
    if (number >= 118 && number <= 124)
        return 4;
    if (number >= 125 && number <= 131)
        return 5;
    return 0;
}

QString PickerLogic::subPanelOf(int opener) {
    return isOpener(opener) ? SubPanels[opener - 2] : QString();
}

bool PickerLogic::reactsToHover(int number) {
    const ProfileEntry* e = profileEntry(number);
    if (!e)
        return false;
    if (number == 109 || number == 124)
        return true;
    return e->role == ButtonRole::Selects || e->role == ButtonRole::OpensSubPanel ||
           e->role == ButtonRole::ClickableFiller;
}

void PickerLogic::restore(int category, bool videoFirstPage, bool audioFirstPage) {
    category_ = category;
    videoFirst_ = videoFirstPage;
    audioFirst_ = audioFirstPage;
}

void PickerLogic::resetButtons() {
    for (int n = 1; n <= ProfileCount; ++n)
        surface_.setButtonHover(n, false);
}

int PickerLogic::standaloneLeft() const {
    return fileName_.contains(QLatin1String("ozrin")) ? 88 : surface_.stripLeft();
}

void PickerLogic::showStandalonePage(const QString& show, const QString& hide) {
    close();
    surface_.setPanelVisible(hide, false);
    surface_.showStandalone(show, standaloneLeft(), true);
}

bool PickerLogic::standaloneEdition() {
    struct Edition {
        const char* keyword;
        const char* panel; // empty: nothing is shown
        bool restack;
    };
    static constexpr Edition Editions[] = {{"ipod", "pl_ipod", true},
                                           {"psp", "pl_psp", true},
                                           {"iphone", "pl_iphone", true},
                                           {"3gp", "pl_phone", true},
                                           {"gphone", "pl_gphone", true},
                                           {"mp3", "pl_audio1", true},
                                           {"audio", "pl_audio1", true},
                                           {"avi", "pl_avi", false},
                                           {"mpeg", "pl_mpeg", false},
                                           {"mp4", "pl_mp4", false},
                                           {"mkv", "pl_mkv", false},
                                           {"wmv", "", false},
                                           {"rm", "", false},
                                           {"flv", "", false}};
    for (const Edition& e : Editions) {
        if (!fileName_.contains(QLatin1String(e.keyword)))
            continue;
        const QString panel = QLatin1String(e.panel);
        close();
        if (panel == Audio1)
            surface_.setPanelVisible(Audio2, false);
        if (!panel.isEmpty())
            surface_.showStandalone(panel, standaloneLeft(), e.restack);
        return true;
    }
    return false;
}

void PickerLogic::open(int selected, bool previewPlaying) {
    if (fileName_.contains(QLatin1String("ozrin")) && !previewPlaying)
        surface_.setPreviewVisible(false);
    if (standaloneEdition())
        return;

    surface_.showBackdrop(Video2);
    unhighlightCategory();
    surface_.setStripVisible(true);

    int shownCategory = categoryOf(selected);
    if (const int opener = openerOf(selected)) {
        surface_.setPanelVisible(Video1, true);
        surface_.showSubPanel(subPanelOf(opener));
        shownCategory = 1;
    } else if (selected >= 1 && selected <= 7) {
        surface_.setPanelVisible(Video1, true);
    } else if (selected >= 8 && selected <= 14) {
        surface_.setPanelVisible(Video2, true);
    } else if (selected >= 15 && selected <= 21) {
        surface_.setPanelVisible(Audio1, true);
    } else if (selected >= 22 && selected <= 26) {
        surface_.setPanelVisible(Audio2, true);
    } else if (const Category* c = category(shownCategory)) {
        surface_.setPanelVisible(QLatin1String(c->pages[0]), true);
    } else {
        return; // nothing names this number: the strip alone lets the user choose
    }
    surface_.setStripHover(shownCategory, true);
    category_ = shownCategory;
}

void PickerLogic::close() {
    surface_.hideBackdrop();
    surface_.setStripVisible(false);
    for (int k = 1; k <= CategoryCount; ++k)
        hideCategoryPanels(k);
    for (const QString& sub : SubPanels)
        surface_.setPanelVisible(sub, false);
}

void PickerLogic::hideCategoryPanels(int k) {
    if (const Category* c = category(k))
        for (const char* page : c->pages)
            if (page)
                surface_.setPanelVisible(QLatin1String(page), false);
}

void PickerLogic::showCategoryPanels(int k) {
    const Category* c = category(k);
    if (!c)
        return;
    QString page = QLatin1String(c->pages[0]);
    if (k == 1 && !videoFirst_)
        page = Video2;
    else if (k == 2 && !audioFirst_)
        page = Audio2;
    surface_.setPanelVisible(page, true);
}

void PickerLogic::unhighlightCategory() {
    if (!category(category_))
        return;
    surface_.setStripHover(category_, false);
    hideCategoryPanels(category_);
}

void PickerLogic::hoverCategory(int k) {
    if (k == category_ || !category(k))
        return;
    unhighlightCategory();
    surface_.showBackdrop(Video2);
    for (const QString& sub : SubPanels)
        surface_.setPanelVisible(sub, false);
    surface_.setStripHover(k, true);
    category_ = k;
    showCategoryPanels(k);
}

void PickerLogic::hoverButton(int n) {
    if (n == button_ || !reactsToHover(n))
        return;
    int h = button_;
    if ((n == 1 || n == 6 || n == 7 || isOpener(n)) && inSubPanel(h))
        h = openerOf(h);
    if (inSubPanel(n) && h == openerOf(n))
        h = SubPanelFirst[openerOf(n) - 2];
    if (isOpener(n))
        surface_.showSubPanel(subPanelOf(n));
    if (h > 0) {
        if (surface_.isStripVisible())
            surface_.showBackdrop(isOpener(h) ? Mpeg : Video2);
        if (isOpener(h))
            surface_.setPanelVisible(subPanelOf(h), false);
        surface_.setButtonHover(h, false);
    }
    if (n == 1 || n == 6 || n == 7)
        surface_.showBackdrop(Video2);
    surface_.setButtonHover(n, true);
    button_ = n;
    if (isOpener(n))
        surface_.setPreviewVisible(true);
}

int PickerLogic::click(int n) {
    const ProfileEntry* e = profileEntry(n);
    // Fillers carry no profile; selecting one would leave the window without a name.
    if (!e || e->role != ButtonRole::Selects)
        return 0;
    close();
    return n;
}

void PickerLogic::arrow(Arrow a) {
    const bool single =
        fileName_.contains(QLatin1String("mp3")) || fileName_.contains(QLatin1String("audio"));
    switch (a) {
    case Arrow::VideoNext:
        videoFirst_ = false;
        surface_.setPanelVisible(Video2, true);
        surface_.setPanelVisible(Video1, false);
        break;
    case Arrow::VideoPrevious:
        videoFirst_ = true;
        surface_.setPanelVisible(Video1, true);
        surface_.setPanelVisible(Video2, false);
        break;
    case Arrow::AudioNext:
        if (single) {
            showStandalonePage(Audio2, Audio1);
            return;
        }
        audioFirst_ = false;
        surface_.setPanelVisible(Audio2, true);
        surface_.setPanelVisible(Audio1, false);
        break;
    case Arrow::AudioPrevious:
        if (single) {
            showStandalonePage(Audio1, Audio2);
            return;
        }
        audioFirst_ = true;
        surface_.setPanelVisible(Audio1, true);
        surface_.setPanelVisible(Audio2, false);
        break;
    }
}

} // namespace vc
