#include "shell/SkinCanvas.h"

#include "common/Bitmaps.h"
#include "shell/SkinControls.h"
#include "shell/TSkin.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QWindow>

namespace vc {

namespace {

// The drawing of an image made for the screen's device pixel ratio.
QPixmap pixmap(const QString& path, qreal screenRatio) {
    QPixmap pm;
    if (path.isEmpty())
        return pm;
    const BitmapFile file = bitmapFileFor(path, screenRatio);
    if (!QPixmapCache::find(file.path, &pm)) {
        pm.load(file.path);
        pm.setDevicePixelRatio(file.ratio);
        QPixmapCache::insert(file.path, pm);
    }
    return pm;
}

template <typename T> const T& firstSet(const T& a, const T& b) {
    if constexpr (std::is_same_v<T, QColor>)
        return a.isValid() ? a : b;
    else
        return a.isEmpty() ? b : a;
}

} // namespace

SkinCanvas::SkinCanvas(TSkin& engine, QWidget* window) : QWidget(window), engine_(&engine) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(window->rect());
    lower();
    window->installEventFilter(this);
    for (QObject* child : window->children())
        watch(child);
    installSkinAccessibility();
    show();
}

// The stand-ins go before the elements they read.
SkinCanvas::~SkinCanvas() {
    qDeleteAll(controls_);
}

void SkinCanvas::setForm(std::unique_ptr<SkinForm> form) {
    hover_ = nullptr;
    pressed_ = nullptr;
    pressing_ = sliding_ = moving_ = false;
    qDeleteAll(controls_);
    controls_.clear();
    form_ = std::move(form);
    form_->setCanvas(this);
    form_->setChangeHandler([this](SkinElement& element) { syncControl(element); });
    syncControls();
    setCursor(Qt::ArrowCursor);
    lower();
    update();
}

void SkinCanvas::watch(QObject* child) {
    if (child != this && child->isWidgetType())
        child->installEventFilter(this);
}

bool SkinCanvas::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget()) {
        if (event->type() == QEvent::Resize)
            setGeometry(parentWidget()->rect());
        else if (event->type() == QEvent::ChildAdded)
            watch(static_cast<QChildEvent*>(event)->child());
    } else {
        // An ordinary control of the window that comes or goes may cover elements.
        switch (event->type()) {
        case QEvent::ShowToParent:
        case QEvent::HideToParent:
        case QEvent::Move:
        case QEvent::Resize:
            if (watched->parent() == parentWidget())
                syncControls();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool SkinCanvas::covered(const QRect& area) const {
    for (const QObject* child : parentWidget()->children()) {
        if (child == this || !child->isWidgetType())
            continue;
        const auto* w = static_cast<const QWidget*>(child);
        if (!w->isHidden() && !w->isWindow() && w->geometry().contains(area))
            return true;
    }
    return false;
}

void SkinCanvas::syncControl(SkinElement& element) {
    SkinControl* control = controls_.value(&element);
    if (!control) {
        if (element.role() == ElementRole::None)
            return;
        control = new SkinControl(*this, element);
        controls_.insert(&element, control);
    }
    control->sync(covered(element.rect()));
}

void SkinCanvas::syncControls() {
    if (!form_ || !parentWidget())
        return;
    for (const auto& element : form_->elements())
        syncControl(*element);
}

namespace {

// After the click is reported, so that its handler sees the window as it was.
void actOnWindow(const QPointer<QWidget>& win, ElementAction action) {
    if (!win)
        return;
    if (action == ElementAction::Close)
        win->close();
    else if (action == ElementAction::Minimize)
        win->showMinimized();
}

} // namespace

void SkinCanvas::press(SkinElement& element) {
    if (!form_ || !engine_ || !element.isVisible() || !element.isEnabled())
        return;
    const QPoint at = element.rect().center();
    const ElementAction action = element.def().action;
    const QPointer<SkinCanvas> alive(this);
    const QPointer<QWidget> win(window());
    emit engine_->OnMouseDown(&element, Qt::LeftButton, at.x(), at.y());
    if (!alive || !engine_)
        return;
    emit engine_->OnMouseUp(&element, Qt::LeftButton, at.x(), at.y());
    if (!alive || !engine_)
        return;
    emit engine_->OnClick(&element);
    actOnWindow(win, action);
}

void SkinCanvas::slide(SkinElement& element, int position) {
    if (!form_ || !engine_ || !element.isVisible() || !element.isEnabled() ||
        element.kind() != ElementKind::Slider)
        return;
    const QPoint at = element.thumbRect().center();
    const QPointer<SkinCanvas> alive(this);
    emit engine_->OnMouseDown(&element, Qt::LeftButton, at.x(), at.y());
    if (!alive || !engine_)
        return;
    if (position != element.position()) {
        element.setPosition(position);
        emit engine_->OnScrollTrack(&element, element.position());
        if (!alive || !engine_)
            return;
    }
    const QPoint to = element.thumbRect().center();
    emit engine_->OnMouseUp(&element, Qt::LeftButton, to.x(), to.y());
}

void SkinCanvas::focusChanged(SkinControl& control) {
    SkinElement& element = control.element();
    const int margin = element.kind() == ElementKind::Slider ? element.def().look.thumbSize : 2;
    update(element.rect().marginsAdded(QMargins(margin, margin, margin, margin)));
    if (control.hasFocus() && engine_)
        emit engine_->OnFocus(&element);
}

ISkinObject* SkinCanvas::target(SkinElement* element) const {
    return element ? static_cast<ISkinObject*>(element) : form_.get();
}

void SkinCanvas::setHover(SkinElement* element) {
    if (element == hover_)
        return;
    if (hover_)
        hover_->redraw();
    hover_ = element;
    if (hover_)
        hover_->redraw();
    setCursor(hover_ && hover_->def().handCursor ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void SkinCanvas::mousePressEvent(QMouseEvent* event) {
    if (!form_ || !engine_)
        return;
    const QPoint pos = event->position().toPoint();
    const Qt::MouseButton button = event->button();
    if (pressing_) {
        // Another button while one is held: reported, but the first press keeps the capture.
        emit engine_->OnMouseDown(target(pressed_), button, pos.x(), pos.y());
        return;
    }
    SkinElement* element = form_->elementAt(pos);
    pressing_ = true;
    pressButton_ = button;
    pressed_ = element;
    setHover(element);
    if (element)
        element->redraw();

    const QPointer<SkinCanvas> alive(this);
    emit engine_->OnMouseDown(target(element), button, pos.x(), pos.y());
    if (!alive || !pressing_ || pressed_ != element || !element || button != Qt::LeftButton)
        return;

    if (element->kind() == ElementKind::Slider) {
        sliding_ = true;
        const QRect thumb = element->thumbRect();
        thumbGrab_ = thumb.contains(pos) ? pos.x() - (thumb.left() + thumb.width() / 2) : 0;
        dragThumb(pos.x());
    } else if (element->def().action == ElementAction::Move) {
        QWindow* handle = window()->windowHandle();
        if (handle && handle->startSystemMove()) {
            // The window manager has the pointer now; no release will come here.
            pressing_ = false;
            pressed_ = nullptr;
            return;
        }
        moving_ = true;
        moveStartGlobal_ = event->globalPosition().toPoint();
        moveStartWindow_ = window()->pos();
    }
}

void SkinCanvas::dragThumb(int x) {
    const int position = pressed_->positionAt(x - thumbGrab_);
    if (position == pressed_->position())
        return;
    pressed_->setPosition(position);
    emit engine_->OnScrollTrack(pressed_, position);
}

void SkinCanvas::mouseMoveEvent(QMouseEvent* event) {
    if (!form_ || !engine_)
        return;
    const QPoint pos = event->position().toPoint();
    SkinElement* under = form_->elementAt(pos);
    setHover(under);
    if (!pressing_) {
        emit engine_->OnMouseMove(target(under), pos.x(), pos.y());
        return;
    }
    if (moving_)
        window()->move(moveStartWindow_ + event->globalPosition().toPoint() - moveStartGlobal_);
    const QPointer<SkinCanvas> alive(this);
    if (sliding_ && pressed_)
        dragThumb(pos.x());
    if (alive && pressing_)
        emit engine_->OnMouseMove(target(pressed_), pos.x(), pos.y());
}

void SkinCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (!form_ || !engine_ || !pressing_)
        return;
    const QPoint pos = event->position().toPoint();
    const Qt::MouseButton button = event->button();
    if (button != pressButton_) {
        emit engine_->OnMouseUp(target(pressed_), button, pos.x(), pos.y());
        return;
    }
    SkinElement* element = pressed_;
    pressing_ = sliding_ = moving_ = false;
    pressed_ = nullptr;
    SkinElement* under = form_->elementAt(pos);
    setHover(under);
    if (element)
        element->redraw();

    const bool click = button == Qt::LeftButton && under == element;
    const ElementAction action = element ? element->def().action : ElementAction::None;
    const QPointer<SkinCanvas> alive(this);
    const QPointer<QWidget> win(window());
    emit engine_->OnMouseUp(target(element), button, pos.x(), pos.y());
    if (!alive || !click)
        return;
    emit engine_->OnClick(target(element));
    actOnWindow(win, action);
}

void SkinCanvas::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double click is a second press; the engine knows single clicks only.
    mousePressEvent(event);
}

void SkinCanvas::leaveEvent(QEvent* event) {
    if (!pressing_)
        setHover(nullptr);
    QWidget::leaveEvent(event);
}

void SkinCanvas::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!form_) {
        p.fillRect(event->rect(), palette().window());
        return;
    }
    const FormDef& def = form_->def();
    p.fillRect(event->rect(), def.color.isValid() ? QBrush(def.color) : palette().window());
    if (!def.image.isEmpty())
        p.drawPixmap(rect(), pixmap(def.image, devicePixelRatioF()));
    for (const auto& element : form_->elements()) {
        if (!element->isVisible())
            continue;
        const int margin =
            element->kind() == ElementKind::Slider ? element->def().look.thumbSize : 1;
        if (element->rect()
                .marginsAdded(QMargins(margin, margin, margin, margin))
                .intersects(event->rect()))
            paintElement(p, *element);
    }
}

void SkinCanvas::paintElement(QPainter& p, const SkinElement& e) const {
    const ElementLook& look = e.def().look;
    const QRect r = e.rect();
    if (r.width() <= 0 || r.height() <= 0)
        return;
    const bool disabled = !e.isEnabled();
    const SkinControl* control = controls_.value(&e);
    const bool focused = !disabled && control && control->showsFocus();
    // The focused control looks as if pointed at, and carries the focus mark besides.
    const bool hovered = !disabled && (hover_ == &e || focused);
    const bool pressed = !disabled && hover_ == &e && pressing_ && pressed_ == &e;

    QColor fill = look.color;
    QString image = look.image;
    QColor textColor = look.textColor.isValid() ? look.textColor : QColor(Qt::black);
    QString icon = look.icon;
    if (disabled) {
        fill = firstSet(look.disabledColor, look.color);
        image = firstSet(look.disabledImage, look.image);
        textColor = firstSet(look.disabledTextColor, textColor);
    } else if (hovered) {
        fill = pressed ? firstSet(look.pressedColor, firstSet(look.hoverColor, look.color))
                       : firstSet(look.hoverColor, look.color);
        image = pressed ? firstSet(look.pressedImage, firstSet(look.hoverImage, look.image))
                        : firstSet(look.hoverImage, look.image);
        textColor = firstSet(look.hoverTextColor, textColor);
        icon = firstSet(look.hoverIcon, look.icon);
    }
    const QColor border = hovered ? firstSet(look.hoverBorder, look.border) : look.border;

    if (fill.isValid() || border.isValid()) {
        QRectF box(r);
        if (border.isValid()) {
            box.adjust(0.5, 0.5, -0.5, -0.5);
            p.setPen(QPen(border, 1));
        } else {
            p.setPen(Qt::NoPen);
        }
        p.setBrush(fill.isValid() ? QBrush(fill) : Qt::NoBrush);
        if (look.radius > 0)
            p.drawRoundedRect(box, look.radius, look.radius);
        else
            p.drawRect(box);
    }
    if (!image.isEmpty())
        p.drawPixmap(r, pixmap(image, devicePixelRatioF()));

    if (e.kind() == ElementKind::Slider) {
        if (look.trackColor.isValid()) {
            const int h = std::min(look.trackHeight, r.height());
            const QRectF track(r.left(), r.center().y() + 1 - h / 2.0, r.width(), h);
            p.setPen(Qt::NoPen);
            p.setBrush(look.trackColor);
            p.drawRoundedRect(track, h / 2.0, h / 2.0);
        }
        const QRect thumb = e.thumbRect();
        if (focused)
            paintFocusMark(p, QRectF(thumb).adjusted(-3, -3, 3, 3), thumb.width() / 2.0 + 3,
                           form_->accentColor());
        const QString thumbImage =
            hovered ? firstSet(look.thumbHoverImage, look.thumbImage) : look.thumbImage;
        if (!thumbImage.isEmpty()) {
            p.drawPixmap(thumb, pixmap(thumbImage, devicePixelRatioF()));
        } else {
            const QColor c =
                hovered ? firstSet(look.thumbHoverColor, look.thumbColor) : look.thumbColor;
            if (c.isValid()) {
                p.setPen(look.thumbBorder.isValid() ? QPen(look.thumbBorder, 1.5) : Qt::NoPen);
                p.setBrush(c);
                p.drawEllipse(QRectF(thumb).adjusted(0.75, 0.75, -0.75, -0.75));
            }
        }
        return;
    }
    if (e.kind() == ElementKind::Shape)
        return;
    if (focused)
        paintFocusMark(p, r, std::max(look.radius, 3),
                       firstSet(look.hoverBorder, form_->accentColor()));

    const QPixmap iconPixmap = pixmap(icon, devicePixelRatioF());
    const QString text = e.text();
    if (text.isEmpty() && iconPixmap.isNull())
        return;
    QFont font(look.font.isEmpty() ? p.font().family() : look.font);
    font.setPixelSize(std::max(1, look.fontSize));
    font.setWeight(static_cast<QFont::Weight>(look.fontWeight));
    const QFontMetrics metrics(font);
    const QRect inner = r.adjusted(look.padding, 0, -look.padding, 0);
    const QSize iconSize =
        iconPixmap.isNull() ? QSize() : iconPixmap.deviceIndependentSize().toSize();
    const int gap = (!iconPixmap.isNull() && !text.isEmpty()) ? 6 : 0;
    const int room = std::max(0, inner.width() - iconSize.width() - gap);
    const QString shown = metrics.elidedText(text, Qt::ElideRight, room);
    const int total = iconSize.width() + gap + metrics.horizontalAdvance(shown);
    int x = inner.left();
    if (look.align & Qt::AlignHCenter)
        x = inner.left() + (inner.width() - total) / 2;
    else if (look.align & Qt::AlignRight)
        x = inner.right() + 1 - total;
    if (!iconPixmap.isNull()) {
        p.drawPixmap(QPoint(x, r.top() + (r.height() - iconSize.height()) / 2), iconPixmap);
        x += iconSize.width() + gap;
    }
    if (!shown.isEmpty()) {
        p.setFont(font);
        p.setPen(textColor);
        p.drawText(QRect(x, r.top(), inner.right() + 1 - x, r.height()),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    }
}

} // namespace vc
