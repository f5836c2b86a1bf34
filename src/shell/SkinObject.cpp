#include "shell/SkinObject.h"

#include <QPalette>
#include <algorithm>

namespace vc {

SkinElement::SkinElement(SkinForm& form, ElementDef def)
    : form_(form), def_(std::move(def)), text_(def_.text), rect_(def_.rect), visible_(def_.visible),
      position_(def_.position) {}

TextFacet* SkinElement::textFacet() {
    return def_.kind == ElementKind::Text || def_.kind == ElementKind::Area ? this : nullptr;
}

SliderFacet* SkinElement::sliderFacet() {
    return def_.kind == ElementKind::Slider ? this : nullptr;
}

void SkinElement::setText(const QString& text) {
    if (text == text_)
        return;
    text_ = text;
    changed(rect_);
}

void SkinElement::setRect(const QRect& rect) {
    if (rect == rect_)
        return;
    const QRect before = rect_;
    rect_ = rect;
    changed(before);
}

void SkinElement::setVisible(bool visible) {
    if (visible == visible_)
        return;
    visible_ = visible;
    changed(rect_);
}

void SkinElement::redraw() {
    changed(rect_);
}

void SkinElement::setPosition(int position) {
    position = std::clamp(position, 0, MaxPosition);
    if (position == position_)
        return;
    position_ = position;
    changed(rect_);
}

void SkinElement::setEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    changed(rect_);
}

QRect SkinElement::thumbRect() const {
    const int size = def_.look.thumbSize;
    const int travel = std::max(0, rect_.width() - size);
    const int left =
        rect_.left() + static_cast<int>(static_cast<long long>(travel) * position_ / MaxPosition);
    return QRect(left, rect_.center().y() - size / 2, size, size);
}

int SkinElement::positionAt(int x) const {
    const int size = def_.look.thumbSize;
    const int travel = rect_.width() - size;
    if (travel <= 0)
        return 0;
    const long long offset = std::clamp(x - size / 2 - rect_.left(), 0, travel);
    // Nearest position, so that a thumb placed at a pixel reads back the same pixel.
    return static_cast<int>((offset * MaxPosition + travel / 2) / travel);
}

ElementRole SkinElement::role() const {
    if (role_)
        return *role_;
    switch (def_.kind) {
    case ElementKind::Slider:
        return ElementRole::Slider;
    case ElementKind::Text:
        return ElementRole::Label;
    case ElementKind::Shape:
        return ElementRole::None;
    case ElementKind::Area:
        break;
    }
    const bool acts = def_.action == ElementAction::Close || def_.action == ElementAction::Minimize;
    return def_.mouse && (def_.handCursor || acts) ? ElementRole::Button : ElementRole::Label;
}

void SkinElement::setRole(ElementRole role) {
    role_ = role;
    form_.elementChanged(*this);
}

bool SkinElement::takesFocus() const {
    switch (role()) {
    case ElementRole::Button:
    case ElementRole::MenuButton:
    case ElementRole::ComboBox:
    case ElementRole::Slider:
        return true;
    default:
        return false;
    }
}

QString SkinElement::accessibleName() const {
    return name_.isEmpty() ? text_ : name_;
}

void SkinElement::setAccessibleName(const QString& name) {
    name_ = name;
    form_.elementChanged(*this);
}

void SkinElement::setDescription(const QString& description) {
    description_ = description;
    form_.elementChanged(*this);
}

void SkinElement::setValueText(const QString& value) {
    valueText_ = value;
    form_.elementChanged(*this);
}

void SkinElement::setLabel(SkinElement* caption) {
    label_ = caption;
    name_ = caption ? caption->text() : QString();
    form_.elementChanged(*this);
}

void SkinElement::setProgressWidth(int fullWidth) {
    progressWidth_ = fullWidth;
    role_ = ElementRole::Progress;
    form_.elementChanged(*this);
}

int SkinElement::progressPercent() const {
    if (progressWidth_ <= 0)
        return 0;
    return std::clamp((rect_.width() * 100 + progressWidth_ / 2) / progressWidth_, 0, 100);
}

void SkinElement::changed(const QRect& before) {
    // A slider's thumb may stick out of its rectangle.
    const int margin = def_.kind == ElementKind::Slider ? def_.look.thumbSize : 1;
    const QMargins grow(margin, margin, margin, margin);
    form_.repaint(before.marginsAdded(grow).united(rect_.marginsAdded(grow)));
    form_.elementChanged(*this);
}

SkinForm::SkinForm(const FormDef& def, QWidget* window) : def_(def), window_(window) {
    elements_.reserve(static_cast<std::size_t>(def_.elements.size()));
    for (const ElementDef& e : def_.elements)
        elements_.push_back(std::make_unique<SkinElement>(*this, e));
}

SkinElement* SkinForm::element(const QString& name) const {
    for (const auto& e : elements_) {
        if (e->name() == name)
            return e.get();
    }
    return nullptr;
}

SkinElement* SkinForm::elementAt(const QPoint& p) const {
    for (auto it = elements_.rbegin(); it != elements_.rend(); ++it) {
        SkinElement& e = **it;
        if (e.isVisible() && e.isEnabled() && e.def().mouse && e.rect().contains(p))
            return &e;
    }
    return nullptr;
}

void SkinForm::repaint(const QRect& area) {
    if (canvas_)
        canvas_->update(area);
}

void SkinForm::elementChanged(SkinElement& element) {
    if (changeHandler_)
        changeHandler_(element);
}

QColor SkinForm::accentColor() const {
    for (const ElementDef& e : def_.elements)
        if (e.look.hoverBorder.isValid())
            return e.look.hoverBorder;
    return QPalette().color(QPalette::Highlight);
}

} // namespace vc
