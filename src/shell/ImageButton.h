#pragma once

#include <QAbstractButton>
#include <QPixmap>

namespace vc {

// A button drawn from three bitmaps: normal, under the pointer, and disabled.
class ImageButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit ImageButton(const QString& name, QWidget* parent = nullptr);

    // Loads the three bitmaps; on failure nothing changes and the reason is returned.
    QString loadBitmaps(const QString& normal, const QString& hover, const QString& disabled);
    bool hasBitmaps() const { return !normal_.isNull(); }

    QSize sizeHint() const override;

    // The colour of the keyboard focus mark, the skin's accent.
    void setFocusColor(const QColor& color);
    bool showsFocus() const { return hasFocus() && focusShown_; }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QPixmap normal_;
    QPixmap hover_;
    QPixmap disabled_;
    QColor focusColor_;
    bool under_ = false;
    bool focusShown_ = false;
};

} // namespace vc
