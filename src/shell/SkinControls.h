#pragma once

#include "shell/SkinObject.h"

#include <QWidget>

class QPainter;

namespace vc {

class SkinCanvas;

// Stands in for one element before the keyboard and assistive technology, since the canvas
// paints every element itself: it lies over the element, lets the mouse through to the canvas,
// takes the focus when the element is a control and tells screen readers what changed.
class SkinControl final : public QWidget {
    Q_OBJECT
public:
    SkinControl(SkinCanvas& canvas, SkinElement& element);

    SkinElement& element() const { return element_; }
    SkinCanvas& canvas() const { return canvas_; }
    // Follows the element's place, state and texts; a covered element is out of reach.
    void sync(bool covered);
    // The focus came from the keyboard, so its mark is drawn.
    bool showsFocus() const { return hasFocus() && focusShown_; }

    // What Return, Space and the arrow keys do; also the accessible actions.
    void press();
    void slideTo(int position);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool handles(const QKeyEvent* event) const;

    SkinCanvas& canvas_;
    SkinElement& element_;
    bool focusShown_ = false;
    // As last told to assistive technology.
    QString name_, description_, value_;
    int position_ = -1;
    int percent_ = -1;
};

// Gives every SkinControl its accessible interface; done once.
void installSkinAccessibility();

// Whether a focus of this reason should show its mark: keyboard moves do, mouse clicks and
// the program's own choice at start do not, and a window coming back keeps what was shown.
bool focusMarkShown(Qt::FocusReason reason, bool shownBefore);

// The keyboard focus mark in the skin's look: a ring of the accent colour inside r with a light
// line within it, so that it shows on light and dark faces alike.
void paintFocusMark(QPainter& p, const QRectF& r, qreal radius, const QColor& accent);

} // namespace vc
