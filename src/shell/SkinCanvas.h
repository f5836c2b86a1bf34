#pragma once

#include "shell/SkinObject.h"

#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <memory>

namespace vc {

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
};

} // namespace vc
