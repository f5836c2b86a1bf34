#include "shell/ReadingOrder.h"

#include <QWidget>
#include <algorithm>
#include <climits>

namespace vc {

namespace {

void readInto(const QList<QRect>& boxes, QList<int> items, QList<int>& out) {
    if (items.size() > 1) {
        for (const bool rows : {true, false}) {
            const auto start = [&](int i) {
                return rows ? boxes[i].top() : boxes[i].left();
            };
            const auto end = [&](int i) {
                return rows ? boxes[i].bottom() + 1 : boxes[i].right() + 1;
            };
            std::stable_sort(items.begin(), items.end(),
                             [&](int a, int b) { return start(a) < start(b); });
            QList<QList<int>> parts;
            int reach = INT_MIN;
            for (const int i : items) {
                if (parts.isEmpty() || start(i) >= reach)
                    parts.append(QList<int>());
                parts.last() << i;
                reach = std::max(reach, end(i));
            }
            if (parts.size() > 1) {
                for (const QList<int>& part : parts)
                    readInto(boxes, part, out);
                return;
            }
        }
        std::stable_sort(items.begin(), items.end(), [&](int a, int b) {
            const QRect &ra = boxes[a], &rb = boxes[b];
            return ra.top() != rb.top() ? ra.top() < rb.top() : ra.left() < rb.left();
        });
    }
    out << items;
}

} // namespace

QList<int> readingOrder(const QList<QRect>& boxes) {
    QList<int> items;
    for (int i = 0; i < boxes.size(); ++i)
        items << i;
    QList<int> out;
    readInto(boxes, items, out);
    return out;
}

void setReadingTabOrder(QWidget* window, const QList<QRect>& layout,
                        const QList<const QWidget*>& outside) {
    QList<QWidget*> controls;
    QList<QRect> boxes;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!(w->focusPolicy() & Qt::TabFocus) || w->window() != window)
            continue;
        if (std::any_of(outside.cbegin(), outside.cend(),
                        [w](const QWidget* part) { return part->isAncestorOf(w); }))
            continue;
        controls << w;
        boxes << QRect(w->mapTo(window, QPoint(0, 0)), w->size());
    }
    // The layout's own boxes keep a cut from running through a card or a bar.
    boxes << layout;
    QList<QWidget*> ordered;
    for (const int i : readingOrder(boxes))
        if (i < controls.size())
            ordered << controls[i];
    for (qsizetype i = 1; i < ordered.size(); ++i)
        QWidget::setTabOrder(ordered[i - 1], ordered[i]);
}

} // namespace vc
