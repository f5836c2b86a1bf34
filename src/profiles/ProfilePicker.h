#pragma once

#include "profiles/PickerLogic.h"

#include <QHash>
#include <QLabel>
#include <QObject>
#include <QPixmap>
#include <functional>

class QFrame;

namespace vc {

class ShapeFacet;

// An image control of the picker: a bitmap that swaps to its hover bitmap. One that takes the
// focus is a button to the keyboard and to screen readers, the rest are decoration.
class PickerImage : public QLabel {
    Q_OBJECT
public:
    PickerImage(const QString& name, QWidget* parent);
    // False when either bitmap cannot be read; the control then stays empty.
    bool load(const QString& normal, const QString& hover);
    void setHover(bool hover);
    bool isHover() const { return hover_; }
    bool isButton() const { return focusPolicy() != Qt::NoFocus; }

signals:
    // The pointer or the keyboard focus came to it.
    void entered();
    void clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPixmap normal_;
    QPixmap hoverPixmap_;
    bool hover_ = false;
};

// The profile picker on the main window: the category strip, the twenty panels of profile
// buttons and the backdrop, driven by PickerLogic.
class ProfilePicker : public QObject, public PickerSurface {
    Q_OBJECT
public:
    struct Parts {
        QWidget* window = nullptr;
        QFrame* strip = nullptr;        // pl_main
        QHash<QString, QFrame*> panels; // pl_video1 ... pl_modern
        ShapeFacet* di = nullptr;       // the skin's backdrop element
        QWidget* preview = nullptr;     // pl_play
        QString programFolder;
        int subPanelOffset = 6;
    };

    explicit ProfilePicker(const Parts& parts, QObject* parent = nullptr);

    PickerLogic& logic() { return logic_; }
    void setSubPanelOffset(int offset) { parts_.subPanelOffset = offset; }
    PickerImage* button(int number) const { return buttons_.value(number); }
    PickerImage* stripImage(int category) const { return strip_.value(category); }
    PickerImage* image(const QString& name) const { return images_.value(name); }
    QWidget* backPanel() const { return back_; }
    // The bitmaps that could not be read while building, relative to the program folder.
    const QStringList& missingBitmaps() const { return missing_; }

    // The keyboard: the arrows walk the strip, the panels and the sub-panels, Return and Space
    // choose, Tab walks every control shown. The focus comes in at the highlighted category
    // and leaves through `returnFocus` as the picker closes.
    bool isOpen() const;
    bool containsFocus() const;
    void focusIn();
    bool focusNext(bool forward);
    void setFocusReturn(std::function<void()> returnFocus) {
        returnFocus_ = std::move(returnFocus);
    }

    // PickerSurface
    void setPanelVisible(const QString& panel, bool visible) override;
    bool isPanelVisible(const QString& panel) const override;
    void showSubPanel(const QString& panel) override;
    void showStandalone(const QString& panel, int left, bool restack) override;
    void showBackdrop(const QString& atPanel) override;
    void hideBackdrop() override;
    void setStripVisible(bool visible) override;
    bool isStripVisible() const override;
    void setStripHover(int category, bool hover) override;
    void setButtonHover(int number, bool hover) override;
    void setPreviewVisible(bool visible) override;
    int stripLeft() const override;

signals:
    // A selecting button was clicked; the picker has closed.
    void profileClicked(int number);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<PickerImage*> column(const QWidget* frame) const;
    QList<PickerImage*> chain() const;
    const QWidget* shownPage() const;
    bool focusFirst(const QWidget* frame);
    bool key(PickerImage* image, int key);

    void buildStrip();
    void buildPanel(const QString& panel, const QList<int>& numbers);
    PickerImage* makeImage(const QString& name, QWidget* parent, const QString& normal,
                           const QString& hover);

    Parts parts_;
    PickerLogic logic_;
    QHash<int, PickerImage*> buttons_;
    QHash<int, PickerImage*> strip_;
    QHash<QString, PickerImage*> images_;
    QWidget* back_ = nullptr;
    QStringList missing_;
    std::function<void()> returnFocus_;
    bool closing_ = false;
};

} // namespace vc
