#include "shell/SkinControls.h"

#include "shell/SkinCanvas.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <algorithm>

namespace vc {

namespace {

constexpr int SliderStep = SliderFacet::MaxPosition / 100;
constexpr int SliderPage = SliderFacet::MaxPosition / 10;

QAccessible::Role accessibleRole(ElementRole role) {
    switch (role) {
    case ElementRole::Button:
        return QAccessible::Button;
    case ElementRole::MenuButton:
        return QAccessible::ButtonMenu;
    case ElementRole::ComboBox:
        return QAccessible::ComboBox;
    case ElementRole::Slider:
        return QAccessible::Slider;
    case ElementRole::Progress:
        return QAccessible::ProgressBar;
    case ElementRole::Status:
        return QAccessible::StatusBar;
    case ElementRole::Label:
    case ElementRole::None:
        break;
    }
    return QAccessible::StaticText;
}

bool hasNumber(ElementRole role) {
    return role == ElementRole::Slider || role == ElementRole::Progress;
}

// What a screen reader learns of a painted element, read from the element each time.
class SkinControlAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit SkinControlAccessible(SkinControl* control) : QAccessibleWidget(control) {}

    QAccessible::Role role() const override { return accessibleRole(control()->element().role()); }
    QString text(QAccessible::Text t) const override {
        const SkinElement& e = control()->element();
        switch (t) {
        case QAccessible::Name:
            // A combo box is called by its choice, as Qt's are here; its caption labels it.
            if (e.role() == ElementRole::ComboBox && !e.valueText().isEmpty())
                return e.valueText();
            return e.accessibleName();
        case QAccessible::Description:
            return e.description();
        case QAccessible::Value:
            if (hasNumber(e.role()))
                return QStringLiteral("%1%").arg(currentValue().toInt() * 100 /
                                                 maximumValue().toInt());
            return e.valueText();
        default:
            return QAccessibleWidget::text(t);
        }
    }
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override {
        auto found = QAccessibleWidget::relations(match);
        const SkinElement& e = control()->element();
        QWidget* caption = e.label() ? control()->canvas().control(e.label()) : nullptr;
        if ((match & QAccessible::Label) && caption)
            found.append({QAccessible::queryAccessibleInterface(caption), QAccessible::Label});
        return found;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface && hasNumber(control()->element().role()))
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QVariant currentValue() const override {
        const SkinElement& e = control()->element();
        return e.role() == ElementRole::Slider ? e.position() : e.progressPercent();
    }
    void setCurrentValue(const QVariant& value) override {
        if (control()->element().role() == ElementRole::Slider)
            control()->slideTo(value.toInt());
    }
    QVariant maximumValue() const override {
        return control()->element().role() == ElementRole::Slider ? SliderFacet::MaxPosition : 100;
    }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override {
        return control()->element().role() == ElementRole::Slider ? SliderStep : 1;
    }

    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        switch (control()->element().role()) {
        case ElementRole::Button:
        case ElementRole::MenuButton:
        case ElementRole::ComboBox:
            names.prepend(pressAction());
            break;
        case ElementRole::Slider:
            names << increaseAction() << decreaseAction();
            break;
        default:
            break;
        }
        return names;
    }
    void doAction(const QString& action) override {
        const SkinElement& e = control()->element();
        if (action == pressAction())
            control()->press();
        else if (action == increaseAction())
            control()->slideTo(e.position() + SliderStep);
        else if (action == decreaseAction())
            control()->slideTo(e.position() - SliderStep);
        else
            QAccessibleWidget::doAction(action);
    }

private:
    SkinControl* control() const { return static_cast<SkinControl*>(widget()); }
};

QAccessibleInterface* skinAccessibilityFactory(const QString&, QObject* object) {
    if (auto* control = qobject_cast<SkinControl*>(object))
        return new SkinControlAccessible(control);
    return nullptr;
}

void announce(QObject* object, QAccessible::Event kind) {
    QAccessibleEvent event(object, kind);
    QAccessible::updateAccessibility(&event);
}

} // namespace

SkinControl::SkinControl(SkinCanvas& canvas, SkinElement& element)
    : QWidget(&canvas), canvas_(canvas), element_(element) {
    setObjectName(element.name());
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void SkinControl::sync(bool covered) {
    const ElementRole role = element_.role();
    setFocusPolicy(element_.takesFocus() ? Qt::TabFocus : Qt::NoFocus);
    setGeometry(element_.rect());
    setEnabled(element_.isEnabled());
    setVisible(role != ElementRole::None && element_.isVisible() && !covered);

    // Told the way Qt's own labels, combo boxes, sliders and progress bars tell it.
    if (const QString name = element_.accessibleName(); name != name_) {
        name_ = name;
        announce(this, QAccessible::NameChanged);
    }
    if (element_.description() != description_) {
        description_ = element_.description();
        announce(this, QAccessible::DescriptionChanged);
    }
    if (element_.valueText() != value_) {
        value_ = element_.valueText();
        QAccessibleValueChangeEvent event(this, value_);
        QAccessible::updateAccessibility(&event);
    }
    const int number = role == ElementRole::Slider     ? element_.position()
                       : role == ElementRole::Progress ? element_.progressPercent()
                                                       : -1;
    int& last = role == ElementRole::Slider ? position_ : percent_;
    if (number >= 0 && number != last) {
        last = number;
        QAccessibleValueChangeEvent event(this, number);
        QAccessible::updateAccessibility(&event);
    }
}

void SkinControl::press() {
    canvas_.press(element_);
}

void SkinControl::slideTo(int position) {
    canvas_.slide(element_, std::clamp(position, 0, int(SliderFacet::MaxPosition)));
}

bool SkinControl::handles(const QKeyEvent* event) const {
    if (event->modifiers() & ~(Qt::KeypadModifier))
        return false;
    switch (element_.role()) {
    case ElementRole::Button:
    case ElementRole::MenuButton:
    case ElementRole::ComboBox:
        return event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
               event->key() == Qt::Key_Enter;
    case ElementRole::Slider:
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            return true;
        default:
            return false;
        }
    default:
        return false;
    }
}

bool SkinControl::event(QEvent* event) {
    // Before the window's shortcuts, which would take Space and Return from a focused button.
    if (event->type() == QEvent::ShortcutOverride && handles(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void SkinControl::keyPressEvent(QKeyEvent* event) {
    if (!handles(event)) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (element_.role() != ElementRole::Slider) {
        press();
        return;
    }
    const int at = element_.position();
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        slideTo(at - SliderStep);
        break;
    case Qt::Key_Right:
    case Qt::Key_Up:
        slideTo(at + SliderStep);
        break;
    case Qt::Key_PageDown:
        slideTo(at - SliderPage);
        break;
    case Qt::Key_PageUp:
        slideTo(at + SliderPage);
        break;
    case Qt::Key_Home:
        slideTo(0);
        break;
    default:
        slideTo(SliderFacet::MaxPosition);
        break;
    }
}

void SkinControl::focusInEvent(QFocusEvent* event) {
    focusShown_ = focusMarkShown(event->reason(), focusShown_);
    QWidget::focusInEvent(event);
    canvas_.focusChanged(*this);
}

void SkinControl::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    canvas_.focusChanged(*this);
}

void installSkinAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(skinAccessibilityFactory);
        return true;
    }();
    (void)installed;
}

bool focusMarkShown(Qt::FocusReason reason, bool shownBefore) {
    switch (reason) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
        return true;
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
        return shownBefore;
    default:
        return false;
    }
}

void paintFocusMark(QPainter& p, const QRectF& r, qreal radius, const QColor& accent) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(accent, 2));
    const QRectF ring = r.adjusted(1, 1, -1, -1);
    p.drawRoundedRect(ring, radius, radius);
    p.setPen(QPen(QColor(255, 255, 255, 220), 1));
    const qreal inner = std::max<qreal>(0, radius - 2);
    p.drawRoundedRect(ring.adjusted(1.5, 1.5, -1.5, -1.5), inner, inner);
    p.restore();
}

} // namespace vc
