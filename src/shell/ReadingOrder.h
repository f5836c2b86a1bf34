#pragma once

#include <QList>
#include <QRect>

class QWidget;

namespace vc {

// The order a reader takes boxes laid out on a window in: the layout is cut along the gaps that
// run right across it, rows before columns, and each part is read in turn the same way; boxes
// that no gap parts go by top, then left. A window of a title bar, a menu bar and two columns
// reads bar by bar, then the left column, then the right.
QList<int> readingOrder(const QList<QRect>& boxes);

// Makes Tab walk the window's controls in their reading order. `layout` holds what groups them
// on the window (cards, bars), which no cut may run through; controls inside `outside` (parts
// that keep an order of their own) are left out.
void setReadingTabOrder(QWidget* window, const QList<QRect>& layout = {},
                        const QList<const QWidget*>& outside = {});

} // namespace vc
