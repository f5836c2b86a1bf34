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

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QPixmap normal_;
    QPixmap hover_;
    QPixmap disabled_;
    bool under_ = false;
};

} // namespace vc
