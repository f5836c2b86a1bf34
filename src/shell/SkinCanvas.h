#pragma once

#include "shell/SkinObject.h"

#include <QHash>
#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <memory>

namespace vc {

class SkinControl;
class TSkin;

// Lies under every other child of a skinned window, paints its form and turns mouse input
// into the engine's events.
class SkinCanvas final : public QWidget {
    // Needed for findChild<SkinCanvas*> to tell the canvas from the window's other children.
    Q_OBJECT
public:
    SkinCanvas(TSkin& engine, QWidget* window);
    ~SkinCanvas() override;

    void setForm(std::unique_ptr<SkinForm> form);
    SkinForm* form() const { return form_.get(); }

    // The widget standing in for an element before the keyboard and screen readers, or null.
    SkinControl* control(const SkinElement* element) const { return controls_.value(element); }
    // A press from the keyboard: reported as a click at the element's centre would be.
    void press(SkinElement& element);
    // A slider moved from the keyboard: reported as a press, a drag there and a release.
    void slide(SkinElement& element, int position);
    void focusChanged(SkinControl& control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    ISkinObject* target(SkinElement* element) const;
    void setHover(SkinElement* element);
    void paintElement(QPainter& p, const SkinElement& e) const;
    void dragThumb(int x);
    void watch(QObject* child);
    bool covered(const QRect& area) const;
    void syncControl(SkinElement& element);
    void syncControls();

    QPointer<TSkin> engine_;
    std::unique_ptr<SkinForm> form_;
    SkinElement* hover_ = nullptr;
    // The press being followed, between a button's press and its release.
    bool pressing_ = false;
    Qt::MouseButton pressButton_ = Qt::NoButton;
    SkinElement* pressed_ = nullptr;
    int thumbGrab_ = 0; // where in the thumb the slider was grabbed
    bool sliding_ = false;
    bool moving_ = false;
    QPoint moveStartGlobal_;
    QPoint moveStartWindow_;
    QHash<const SkinElement*, SkinControl*> controls_;
};

} // namespace vc
