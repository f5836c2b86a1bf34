#include "profiles/ProfilePicker.h"

#include "common/Bitmaps.h"
#include "common/SkinFacets.h"
#include "profiles/Catalogue.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

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
    const char* caption;
    const char* target; // the page it turns to
};

constexpr PageControls Pages[] = {
    {"pl_video1", "btim_next", "Image94", PickerLogic::Arrow::VideoNext, NextPageCaption,
     "pl_video2"},
    {"pl_video2", "btim_pre", "Image93", PickerLogic::Arrow::VideoPrevious, PreviousPageCaption,
     "pl_video1"},
    {"pl_audio1", "Image1", "Image2", PickerLogic::Arrow::AudioNext, NextPageCaption, "pl_audio2"},
    {"pl_audio2", "Image4", "Image5", PickerLogic::Arrow::AudioPrevious, PreviousPageCaption,
     "pl_audio1"}};

// A control of the picker is a button to screen readers; its decoration is blank space.
class PickerImageAccessible final : public QAccessibleWidget {
public:
    explicit PickerImageAccessible(PickerImage* image) : QAccessibleWidget(image) {}

    QAccessible::Role role() const override {
        return image()->isButton() ? QAccessible::Button : QAccessible::Whitespace;
    }
    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (image()->isButton())
            names.prepend(pressAction());
        return names;
    }
    void doAction(const QString& action) override {
        if (action == pressAction() && image()->isButton())
            emit image()->clicked();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    PickerImage* image() const { return static_cast<PickerImage*>(widget()); }
};

QAccessibleInterface* pickerAccessibilityFactory(const QString&, QObject* object) {
    if (auto* image = qobject_cast<PickerImage*>(object))
        return new PickerImageAccessible(image);
    return nullptr;
}

void makeButton(PickerImage* image, const QString& name, const QString& description = {}) {
    image->setFocusPolicy(Qt::TabFocus);
    image->setAccessibleName(name);
    image->setAccessibleDescription(description);
}

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

void PickerImage::focusInEvent(QFocusEvent* event) {
    // The keyboard walks the picker as the pointer does.
    emit entered();
    QLabel::focusInEvent(event);
}

void PickerImage::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

ProfilePicker::ProfilePicker(const Parts& parts, QObject* parent)
    : QObject(parent), parts_(parts), logic_(*this) {
    static const bool accessible = [] {
        QAccessible::installFactory(pickerAccessibilityFactory);
        return true;
    }();
    (void)accessible;
    back_ = new QWidget(parts_.window);
    back_->setObjectName(QStringLiteral("pl_back"));
    back_->hide();
    PickerImage* filler = makeImage(QStringLiteral("Image13"), back_,
                                    QStringLiteral("images/sub/general/Image13.bmp"),
                                    QStringLiteral("images/sub/general/Image13.bmp"));
    back_->resize(filler->size());
    connect(filler, &PickerImage::entered, this, [this] {
        if (!closing_)
            logic_.hoverButton(109);
    });

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
        // The arrow only repeats its label to the keyboard.
        makeButton(l, QLatin1String(page.caption));
        l->installEventFilter(this);
        const PickerLogic::Arrow direction = page.direction;
        const QString target = QLatin1String(page.target);
        for (PickerImage* control : {l, a}) {
            connect(control, &PickerImage::entered, this, [l, a] {
                l->setHover(true);
                a->setHover(true);
            });
            connect(control, &PickerImage::clicked, this, [this, direction, l, a, target] {
                const bool keyboard = l->hasFocus();
                l->setHover(false);
                a->setHover(false);
                logic_.arrow(direction);
                if (keyboard)
                    focusFirst(parts_.panels.value(target));
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
        makeButton(image, QString::fromUtf8(c->title));
        image->installEventFilter(this);
        connect(image, &PickerImage::entered, this, [this, k] {
            if (!closing_)
                logic_.hoverCategory(k);
        });
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
        const ProfileEntry* entry = profileEntry(n);
        if (const OpenerCaption* opener = openerCaption(n)) {
            makeButton(image, QString::fromUtf8(opener->title), QString::fromUtf8(opener->detail));
            image->installEventFilter(this);
        } else if (entry && entry->role == ButtonRole::Selects) {
            makeButton(image, profileName(n));
            image->installEventFilter(this);
        }
        connect(image, &PickerImage::entered, this, [this, n] {
            if (!closing_)
                logic_.hoverButton(n);
        });
        connect(image, &PickerImage::clicked, this, [this, n] {
            if (const int chosen = logic_.click(n))
                emit profileClicked(chosen);
        });
    }
}

void ProfilePicker::setPanelVisible(const QString& panel, bool visible) {
    closing_ = closing_ && !visible;
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
    closing_ = false;
    QFrame* frame = parts_.panels.value(panel);
    const QFrame* first = parts_.panels.value(QStringLiteral("pl_video1"));
    if (!frame || !first)
        return;
    frame->move(first->x() + parts_.subPanelOffset, first->y());
    frame->show();
    frame->raise();
}

void ProfilePicker::showStandalone(const QString& panel, int left, bool restack) {
    closing_ = false;
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
    closing_ = false;
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
    // The picker closes from here on. Its parts hide one by one, and each that goes uncovers
    // another under the pointer or hands it the focus; none of them is hovered any more.
    closing_ = true;
    if (containsFocus() && returnFocus_)
        returnFocus_();
    if (containsFocus())
        parts_.window->focusWidget()->clearFocus();
    if (parts_.di)
        parts_.di->setVisible(false);
    back_->hide();
}

void ProfilePicker::setStripVisible(bool visible) {
    closing_ = closing_ && !visible;
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

bool ProfilePicker::isOpen() const {
    if (parts_.strip->isVisible())
        return true;
    return std::any_of(parts_.panels.cbegin(), parts_.panels.cend(),
                       [](const QFrame* panel) { return panel->isVisible(); });
}

bool ProfilePicker::containsFocus() const {
    const QWidget* focus = parts_.window ? parts_.window->focusWidget() : nullptr;
    if (!focus || !focus->hasFocus())
        return false;
    for (const QWidget* w = focus; w; w = w->parentWidget())
        if (w == parts_.strip || w == back_ ||
            std::find(parts_.panels.cbegin(), parts_.panels.cend(), w) != parts_.panels.cend())
            return true;
    return false;
}

QList<PickerImage*> ProfilePicker::column(const QWidget* frame) const {
    QList<PickerImage*> items;
    if (!frame || !frame->isVisible())
        return items;
    for (PickerImage* image : frame->findChildren<PickerImage*>(Qt::FindDirectChildrenOnly))
        if (image->isButton() && !image->isHidden())
            items << image;
    std::stable_sort(items.begin(), items.end(),
                     [](const PickerImage* a, const PickerImage* b) { return a->y() < b->y(); });
    return items;
}

const QWidget* ProfilePicker::shownPage() const {
    for (const PanelButtons& p : panelButtons()) {
        const QFrame* panel = parts_.panels.value(QLatin1String(p.panel));
        if (panel && panel->isVisible() && !inSubPanel(p.numbers.first()))
            return panel;
    }
    return nullptr;
}

// The strip, then the page shown, then a sub-panel opened from it: the order they are read in.
QList<PickerImage*> ProfilePicker::chain() const {
    QList<PickerImage*> items = column(parts_.strip);
    for (const PanelButtons& p : panelButtons())
        if (!inSubPanel(p.numbers.first()))
            items << column(parts_.panels.value(QLatin1String(p.panel)));
    for (const PanelButtons& p : panelButtons())
        if (inSubPanel(p.numbers.first()))
            items << column(parts_.panels.value(QLatin1String(p.panel)));
    return items;
}

bool ProfilePicker::focusFirst(const QWidget* frame) {
    const QList<PickerImage*> items = column(frame);
    if (items.isEmpty())
        return false;
    items.first()->setFocus(Qt::OtherFocusReason);
    return true;
}

void ProfilePicker::focusIn() {
    PickerImage* category = strip_.value(logic_.highlightedCategory());
    if (category && category->isVisible())
        category->setFocus(Qt::OtherFocusReason);
    else if (!focusFirst(shownPage()) && !chain().isEmpty())
        chain().first()->setFocus(Qt::OtherFocusReason);
}

bool ProfilePicker::focusNext(bool forward) {
    const QList<PickerImage*> items = chain();
    if (items.isEmpty())
        return false;
    const auto at = items.indexOf(qobject_cast<PickerImage*>(parts_.window->focusWidget()));
    if (at < 0) {
        // The focused control is hiding (its page turned, its sub-panel closed): the focus
        // goes to the page now shown rather than back to the start of the strip.
        if (!focusFirst(shownPage()))
            items.first()->setFocus(Qt::OtherFocusReason);
        return true;
    }
    const auto count = items.size();
    items[(at + (forward ? 1 : count - 1)) % count]->setFocus(forward ? Qt::TabFocusReason
                                                                      : Qt::BacktabFocusReason);
    return true;
}

bool ProfilePicker::key(PickerImage* image, int key) {
    const int category = strip_.key(image);
    const int number = buttons_.key(image);
    const int opener = PickerLogic::subPanelOf(number).isEmpty() ? 0 : number;
    const auto enter = [&] {
        if (category)
            return focusFirst(shownPage());
        if (opener)
            return focusFirst(parts_.panels.value(PickerLogic::subPanelOf(opener)));
        return false;
    };
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const QList<PickerImage*> items = column(image->parentWidget());
        const auto at = items.indexOf(image);
        if (at < 0)
            return false;
        const auto step = key == Qt::Key_Down ? 1 : items.size() - 1;
        items[(at + step) % items.size()]->setFocus(Qt::OtherFocusReason);
        return true;
    }
    case Qt::Key_Right:
        return enter();
    case Qt::Key_Left:
        if (const int from = PickerLogic::openerOf(number); from && buttons_.value(from)) {
            buttons_.value(from)->setFocus(Qt::OtherFocusReason);
            return true;
        }
        if (!category && strip_.value(logic_.highlightedCategory()) &&
            strip_.value(logic_.highlightedCategory())->isVisible()) {
            strip_.value(logic_.highlightedCategory())->setFocus(Qt::OtherFocusReason);
            return true;
        }
        return false;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (!enter() && !category && !opener)
            emit image->clicked();
        return true;
    default:
        return false;
    }
}

bool ProfilePicker::eventFilter(QObject* watched, QEvent* event) {
    auto* image = qobject_cast<PickerImage*>(watched);
    if (image && event->type() == QEvent::KeyPress) {
        const auto* press = static_cast<QKeyEvent*>(event);
        if ((press->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
            key(image, press->key()))
            return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace vc
