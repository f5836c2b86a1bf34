#include "profiles/ProfilePicker.h"

#include "common/Bitmaps.h"
#include "common/SkinFacets.h"
#include "profiles/Catalogue.h"

#include <QDir>
#include <QFile>
#include <QFrame>
#include <QMouseEvent>

namespace vc {

namespace {

constexpr const char* StripNames[] = {"video1",  "audio1", "ipod",      "iphone", "gphone",
                                      "appletv", "psp",    "xbox",      "phone",  "win",
                                      "pmp",     "hd",     "animation", "modern"};
static_assert(std::size(StripNames) == CategoryCount);

struct PanelButtons {
    const char* panel;
    QList<int> numbers;
};

QList<int> range(int first, int last) {
    QList<int> out;
    for (int n = first; n <= last; ++n)
        out << n;
    return out;
}

// Buttons from top to bottom; each stands below the one before, as tall as its bitmap.
const QList<PanelButtons>& panelButtons() {
    static const QList<PanelButtons> panels{{"pl_video1", range(1, 7)},
                                            {"pl_video2", range(8, 14)},
                                            {"pl_audio1", range(15, 21)},
                                            {"pl_audio2", range(22, 26)},
                                            {"pl_ipod", range(27, 33)},
                                            {"pl_iphone", range(34, 40)},
                                            {"pl_gphone", range(41, 45)},
                                            {"pl_appletv", range(46, 52)},
                                            {"pl_psp", range(53, 59)},
                                            {"pl_xbox", range(60, 67)},
                                            {"pl_phone", range(68, 74)},
                                            {"pl_win", range(75, 82)},
                                            {"pl_pmp", range(83, 90)},
                                            {"pl_hd", range(91, 98)},
                                            {"pl_animation", range(99, 101)},
                                            {"pl_avi", range(102, 109)},
                                            {"pl_mpeg", range(110, 117)},
                                            {"pl_mp4", range(118, 124)},
                                            {"pl_mkv", {125, 126, 128, 127, 129, 130, 131, 132}},
                                            {"pl_modern", range(133, 139)}};
    return panels;
}

struct PageControls {
    const char* panel;
    const char* label;
    const char* arrow;
    PickerLogic::Arrow direction;
};

constexpr PageControls Pages[] = {
    {"pl_video1", "btim_next", "Image94", PickerLogic::Arrow::VideoNext},
    {"pl_video2", "btim_pre", "Image93", PickerLogic::Arrow::VideoPrevious},
    {"pl_audio1", "Image1", "Image2", PickerLogic::Arrow::AudioNext},
    {"pl_audio2", "Image4", "Image5", PickerLogic::Arrow::AudioPrevious}};

constexpr int StripTop = 341;
constexpr int StandaloneTops[] = {-1, 52, 100, 148, 196, 244, 292};

} // namespace

PickerImage::PickerImage(const QString& name, QWidget* parent) : QLabel(parent) {
    setObjectName(name);
}

bool PickerImage::load(const QString& normal, const QString& hover) {
    QPixmap n, h;
    // A high-density screen gets the drawings made for it.
    const BitmapFile normalFile = bitmapFileFor(normal, devicePixelRatioF());
    const BitmapFile hoverFile = bitmapFileFor(hover, devicePixelRatioF());
    if (!n.load(normalFile.path) || !h.load(hoverFile.path))
        return false;
    n.setDevicePixelRatio(normalFile.ratio);
    h.setDevicePixelRatio(hoverFile.ratio);
    normal_ = n;
    hoverPixmap_ = h;
    resize(normal_.deviceIndependentSize().toSize());
    setPixmap(hover_ ? hoverPixmap_ : normal_);
    return true;
}

void PickerImage::setHover(bool hover) {
    hover_ = hover;
    if (!normal_.isNull())
        setPixmap(hover_ ? hoverPixmap_ : normal_);
}

void PickerImage::enterEvent(QEnterEvent* event) {
    emit entered();
    QLabel::enterEvent(event);
}

void PickerImage::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

ProfilePicker::ProfilePicker(const Parts& parts, QObject* parent)
    : QObject(parent), parts_(parts), logic_(*this) {
    back_ = new QWidget(parts_.window);
    back_->setObjectName(QStringLiteral("pl_back"));
    back_->hide();
    PickerImage* filler = makeImage(QStringLiteral("Image13"), back_,
                                    QStringLiteral("images/sub/general/Image13.bmp"),
                                    QStringLiteral("images/sub/general/Image13.bmp"));
    back_->resize(filler->size());
    connect(filler, &PickerImage::entered, this, [this] { logic_.hoverButton(109); });

    buildStrip();
    for (const PanelButtons& p : panelButtons())
        buildPanel(QLatin1String(p.panel), p.numbers);
    for (const PageControls& page : Pages) {
        QFrame* panel = parts_.panels.value(QLatin1String(page.panel));
        if (!panel)
            continue;
        const QString label = QLatin1String(page.label);
        const QString arrow = QLatin1String(page.arrow);
        PickerImage* l = makeImage(label, panel, "images/sub/general/" + label + ".bmp",
                                   "images/sub/move/" + label + ".bmp");
        PickerImage* a = makeImage(arrow, panel, "images/sub/general/" + arrow + ".bmp",
                                   "images/sub/move/" + arrow + ".bmp");
        l->move(0, StripTop);
        a->move(panel->width() - a->width(), StripTop);
        const PickerLogic::Arrow direction = page.direction;
        for (PickerImage* control : {l, a}) {
            connect(control, &PickerImage::entered, this, [l, a] {
                l->setHover(true);
                a->setHover(true);
            });
            connect(control, &PickerImage::clicked, this, [this, direction, l, a] {
                l->setHover(false);
                a->setHover(false);
                logic_.arrow(direction);
            });
        }
    }
    back_->lower();
}

PickerImage* ProfilePicker::makeImage(const QString& name, QWidget* parent, const QString& normal,
                                      const QString& hover) {
    auto* image = new PickerImage(name, parent);
    const QDir folder(parts_.programFolder);
    if (!image->load(folder.filePath(normal), folder.filePath(hover)))
        missing_ << normal;
    images_.insert(name, image);
    return image;
}

void ProfilePicker::buildStrip() {
    QFrame* strip = parts_.strip;
    strip->resize(153, 358);
    int top = 0;
    for (int k = 1; k <= CategoryCount; ++k) {
        const QString name = QLatin1String(StripNames[k - 1]);
        const Category* c = category(k);
        PickerImage* image = makeImage(QLatin1String(c->stripImage), strip,
                                       "images/main/general/img_" + name + ".bmp",
                                       "images/main/move/img_" + name + ".bmp");
        image->move(0, top);
        top += image->height();
        strip_.insert(k, image);
        connect(image, &PickerImage::entered, this, [this, k] { logic_.hoverCategory(k); });
    }
    PickerImage* bottom =
        makeImage(QStringLiteral("img_bottom"), strip, "images/main/general/img_bottom.bmp",
                  "images/main/general/img_bottom.bmp");
    bottom->move(0, top);
}

void ProfilePicker::buildPanel(const QString& panel, const QList<int>& numbers) {
    QFrame* frame = parts_.panels.value(panel);
    if (!frame)
        return;
    const bool sub = inSubPanel(numbers.first());
    frame->resize(sub ? 311 : 310, 358);
    frame->setFrameStyle(QFrame::NoFrame);
    int top = 0;
    for (int n : numbers) {
        const QString file = QString::number(n) + ".bmp";
        PickerImage* image = makeImage(QStringLiteral("btim_%1").arg(n), frame,
                                       "images/sub/general/" + file, "images/sub/move/" + file);
        image->move(0, top);
        top += image->height();
        buttons_.insert(n, image);
        connect(image, &PickerImage::entered, this, [this, n] { logic_.hoverButton(n); });
        connect(image, &PickerImage::clicked, this, [this, n] {
            if (const int chosen = logic_.click(n))
                emit profileClicked(chosen);
        });
    }
}

void ProfilePicker::setPanelVisible(const QString& panel, bool visible) {
    if (QFrame* frame = parts_.panels.value(panel)) {
        frame->setVisible(visible);
        if (visible)
            frame->raise();
    }
}

bool ProfilePicker::isPanelVisible(const QString& panel) const {
    const QFrame* frame = parts_.panels.value(panel);
    return frame && frame->isVisible();
}

void ProfilePicker::showSubPanel(const QString& panel) {
    QFrame* frame = parts_.panels.value(panel);
    const QFrame* first = parts_.panels.value(QStringLiteral("pl_video1"));
    if (!frame || !first)
        return;
    frame->move(first->x() + parts_.subPanelOffset, first->y());
    frame->show();
    frame->raise();
}

void ProfilePicker::showStandalone(const QString& panel, int left, bool restack) {
    QFrame* frame = parts_.panels.value(panel);
    if (!frame)
        return;
    frame->move(left, frame->y());
    if (restack) {
        frame->setFrameStyle(QFrame::Box | QFrame::Plain);
        frame->setLineWidth(1);
        int i = 0;
        for (PickerImage* image : frame->findChildren<PickerImage*>(Qt::FindDirectChildrenOnly)) {
            if (!image->objectName().startsWith(QLatin1String("btim_")) ||
                i >= int(std::size(StandaloneTops)))
                continue;
            image->move(image->x(), StandaloneTops[i++]);
        }
    }
    frame->show();
    frame->raise();
}

void ProfilePicker::showBackdrop(const QString& atPanel) {
    const QFrame* frame = parts_.panels.value(atPanel);
    if (!frame)
        return;
    if (parts_.di) {
        parts_.di->setRect(frame->geometry());
        parts_.di->setVisible(true);
        parts_.di->redraw();
    }
    back_->move(frame->pos());
    back_->show();
    back_->raise();
    // Pages first, sub-panels last: a sub-panel always stands in front of the page it opens from.
    for (const PanelButtons& p : panelButtons())
        if (QFrame* panel = parts_.panels.value(QLatin1String(p.panel));
            panel && panel->isVisible())
            panel->raise();
}

void ProfilePicker::hideBackdrop() {
    if (parts_.di)
        parts_.di->setVisible(false);
    back_->hide();
}

void ProfilePicker::setStripVisible(bool visible) {
    parts_.strip->setVisible(visible);
    if (visible)
        parts_.strip->raise();
}

bool ProfilePicker::isStripVisible() const {
    return parts_.strip->isVisible();
}

void ProfilePicker::setStripHover(int k, bool hover) {
    if (PickerImage* image = strip_.value(k))
        image->setHover(hover);
}

void ProfilePicker::setButtonHover(int n, bool hover) {
    if (PickerImage* image = buttons_.value(n))
        image->setHover(hover);
}

void ProfilePicker::setPreviewVisible(bool visible) {
    if (parts_.preview)
        parts_.preview->setVisible(visible);
}

int ProfilePicker::stripLeft() const {
    return parts_.strip->x();
}

} // namespace vc
