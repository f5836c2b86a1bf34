#include "shell/ElidingComboBox.h"

#include <QHelpEvent>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <algorithm>

namespace vc {

ElidingComboBox::ElidingComboBox(QWidget* parent) : QComboBox(parent) {
    // Its list then takes the style sheet's look for items, as the other lists do.
    setItemDelegate(new QStyledItemDelegate(this));
}

QString ElidingComboBox::fullText() const {
    return currentIndex() < 0 ? placeholderText() : currentText();
}

int ElidingComboBox::textRoom() const {
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
    // The styles draw the label a pixel in from each side of the field.
    return std::max(0, field.width() - 2);
}

QString ElidingComboBox::shownText() const {
    return fontMetrics().elidedText(fullText(), Qt::ElideRight, textRoom());
}

bool ElidingComboBox::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const QString full = fullText();
        if (shownText() != full) {
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), full, this);
            return true;
        }
    }
    return QComboBox::event(event);
}

void ElidingComboBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    painter.drawComplexControl(QStyle::CC_ComboBox, opt);
    if (currentIndex() < 0 && !placeholderText().isEmpty())
        opt.palette.setBrush(QPalette::ButtonText, opt.palette.placeholderText());
    opt.currentText = shownText();
    painter.drawControl(QStyle::CE_ComboBoxLabel, opt);
}

} // namespace vc
