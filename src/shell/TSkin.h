#pragma once

#include "shell/SkinFile.h"
#include "shell/SkinObject.h"

#include <QObject>
#include <QString>
#include <QWidget>
#include <optional>

namespace vc {

// The skin engine: one per program. It reads a skin file, draws attached forms beneath each
// window's controls and reports what the mouse does on their elements. Coordinates in events
// are the window's client coordinates.
class TSkin : public QObject {
    Q_OBJECT
public:
    explicit TSkin(QObject* parent = nullptr);
    ~TSkin() override;

    // False leaves the previous skin in force; errorString() says why. A skin in force gives the
    // whole application its style, icons and style sheet.
    bool loadSkinFile(const QString& path);
    // Makes the window frameless; its caption stays what it is, for the window manager.
    bool skinWindow(QWidget* window);
    // Replaces whatever form the window had; the window takes the form's size. Skins the window
    // first when that has not been done.
    bool attachForm(QWidget* window, const QString& formName);
    // The form attached to the window, or null.
    SkinForm* skinObject(QWidget* window) const;
    // The widget that paints the form and receives its mouse events, or null.
    QWidget* canvas(QWidget* window) const;
    // The widget that stands in for an element before the keyboard and screen readers: it
    // takes the focus for a button or slider. Null for an element that is only decoration.
    QWidget* control(const SkinElement* element) const;

    QString errorString() const { return error_; }
    QString skinPath() const { return skin_ ? skin_->path : QString(); }

signals:
    // A press and a release of the left button on the same element (or both on the form).
    void OnClick(vc::ISkinObject* source);
    // Presses, releases and moves go to the object under the pointer; while a button is held
    // they go to the object it was pressed on.
    void OnMouseDown(vc::ISkinObject* source, Qt::MouseButton button, int x, int y);
    void OnMouseUp(vc::ISkinObject* source, Qt::MouseButton button, int x, int y);
    void OnMouseMove(vc::ISkinObject* source, int x, int y);
    // A slider's thumb was dragged to a new position.
    void OnScrollTrack(vc::ISkinObject* source, int newPos);
    // An element took the keyboard focus. Return and Space on a button are reported as a
    // press, release and click at its centre; the arrow keys on a slider as a drag.
    void OnFocus(vc::ISkinObject* source);

private:
    friend class SkinCanvas;
    bool fail(const QString& error);

    std::optional<SkinDef> skin_;
    QString error_;
};

} // namespace vc
