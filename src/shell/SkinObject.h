#pragma once

#include "common/SkinFacets.h"
#include "shell/SkinFile.h"
#include "shell/SliderFacet.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vc {

class SkinForm;

// What an element is to the keyboard and to assistive technology. Buttons and sliders take the
// focus; the rest are only read.
enum class ElementRole { None, Button, MenuButton, ComboBox, Label, Status, Slider, Progress };

// Anything the skin reports events for: a form attached to a window, or one of its elements.
class ISkinObject {
public:
    virtual ~ISkinObject() = default;
    virtual QString name() const = 0;
    // The child element of exactly this name (case counts), or null.
    virtual ISkinObject* findChild(const QString& name) const = 0;
    // The facets the object offers; null where it has none.
    virtual TextFacet* textFacet() { return nullptr; }
    virtual ShapeFacet* shapeFacet() { return nullptr; }
    virtual SliderFacet* sliderFacet() { return nullptr; }
};

// A named element of an attached form. Every element has a shape; text lines and areas have
// text, sliders a position. Every change repaints what it touched; redraw() repaints anyway.
class SkinElement final : public ISkinObject,
                          public TextFacet,
                          public ShapeFacet,
                          public SliderFacet {
public:
    SkinElement(SkinForm& form, ElementDef def);

    QString name() const override { return def_.name; }
    ISkinObject* findChild(const QString&) const override { return nullptr; }
    TextFacet* textFacet() override;
    ShapeFacet* shapeFacet() override { return this; }
    SliderFacet* sliderFacet() override;

    ElementKind kind() const { return def_.kind; }
    const ElementDef& def() const { return def_; }
    SkinForm& form() const { return form_; }

    QString text() const override { return text_; }
    void setText(const QString& text) override;

    QRect rect() const override { return rect_; }
    void setRect(const QRect& rect) override;
    void setVisible(bool visible) override;
    bool isVisible() const { return visible_; }
    void redraw() override;

    int position() const override { return position_; }
    void setPosition(int position) override;

    // A disabled element shows its disabled look and lets the pointer through.
    void setEnabled(bool enabled);
    bool isEnabled() const { return enabled_; }

    // Where a slider's thumb is drawn, and the position a thumb centred on x would have.
    QRect thumbRect() const;
    int positionAt(int x) const;

    // By default an area with a hand pointer (or a close or minimise action) is a button, a
    // slider a slider, and text lines and other areas labels; shapes are decoration.
    ElementRole role() const;
    void setRole(ElementRole role);
    bool takesFocus() const;
    // What a screen reader says: the name (the caption unless one is set), a description, and
    // for a combo box the choice shown.
    QString accessibleName() const;
    void setAccessibleName(const QString& name);
    QString description() const { return description_; }
    void setDescription(const QString& description);
    QString valueText() const { return valueText_; }
    void setValueText(const QString& value);
    // The caption that labels the element, which takes its text as the name.
    SkinElement* label() const { return label_; }
    void setLabel(SkinElement* caption);
    // A progress marker: its share of this full width, in percent.
    void setProgressWidth(int fullWidth);
    int progressPercent() const;

private:
    void changed(const QRect& before);

    SkinForm& form_;
    ElementDef def_;
    QString text_;
    QRect rect_;
    bool visible_;
    bool enabled_ = true;
    int position_;
    std::optional<ElementRole> role_;
    QString name_;
    QString description_;
    QString valueText_;
    SkinElement* label_ = nullptr;
    int progressWidth_ = 0;
};

// A form of the skin as attached to one window; it owns the window's elements.
class SkinForm final : public ISkinObject {
public:
    SkinForm(const FormDef& def, QWidget* window);

    QString name() const override { return def_.name; }
    ISkinObject* findChild(const QString& name) const override { return element(name); }

    SkinElement* element(const QString& name) const;
    const std::vector<std::unique_ptr<SkinElement>>& elements() const { return elements_; }
    const FormDef& def() const { return def_; }
    QWidget* window() const { return window_; }

    // The topmost visible, enabled element under p that takes the pointer, or null.
    SkinElement* elementAt(const QPoint& p) const;

    // Where repaints go; set by the engine.
    void setCanvas(QWidget* canvas) { canvas_ = canvas; }
    void repaint(const QRect& area);
    // Told about every change of an element, after its repaint.
    void setChangeHandler(std::function<void(SkinElement&)> handler) {
        changeHandler_ = std::move(handler);
    }
    void elementChanged(SkinElement& element);

    // The colour of the keyboard focus mark: the first hover border of the form's elements,
    // the colour that shows a control is being pointed at.
    QColor accentColor() const;

private:
    FormDef def_;
    QPointer<QWidget> window_;
    QPointer<QWidget> canvas_;
    std::vector<std::unique_ptr<SkinElement>> elements_;
    std::function<void(SkinElement&)> changeHandler_;
};

} // namespace vc
