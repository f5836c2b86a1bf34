#pragma once

#include <QComboBox>

namespace vc {

// A combo box whose current text, when too long for the box, ends in "…" instead of being cut
// mid-glyph; the pointer resting on it then shows the whole text.
class ElidingComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit ElidingComboBox(QWidget* parent = nullptr);

    // The text as the box shows it: the current text, or the placeholder without a current item.
    QString shownText() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString fullText() const;
    int textRoom() const;
};

} // namespace vc
