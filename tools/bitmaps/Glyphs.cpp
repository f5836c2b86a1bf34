#include "Glyphs.h"

#include <QPainterPath>
#include <cmath>

namespace vc::tools {

void drawGlyph(QPainter& p, Glyph glyph, const QRectF& box, const QColor& colour) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    // Icons are designed on a 16-unit grid.
    p.translate(box.topLeft());
    p.scale(box.width() / 16.0, box.height() / 16.0);
    QPen pen(colour, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const auto fill = [&] {
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
    };
    switch (glyph) {
    case Glyph::None:
        break;
    case Glyph::Plus:
        p.drawLine(QPointF(8, 3), QPointF(8, 13));
        p.drawLine(QPointF(3, 8), QPointF(13, 8));
        break;
    case Glyph::Minus:
        p.drawLine(QPointF(3, 8), QPointF(13, 8));
        break;
    case Glyph::Folder: {
        QPainterPath path;
        path.moveTo(2, 4.5);
        path.lineTo(6, 4.5);
        path.lineTo(7.5, 6);
        path.lineTo(14, 6);
        path.lineTo(14, 12.5);
        path.lineTo(2, 12.5);
        path.closeSubpath();
        p.drawPath(path);
        break;
    }
    case Glyph::Trash:
        p.drawLine(QPointF(2.5, 4.5), QPointF(13.5, 4.5));
        p.drawLine(QPointF(6, 4.5), QPointF(6.5, 2.5));
        p.drawLine(QPointF(6.5, 2.5), QPointF(9.5, 2.5));
        p.drawLine(QPointF(9.5, 2.5), QPointF(10, 4.5));
        p.drawRoundedRect(QRectF(4, 4.5, 8, 9), 1.2, 1.2);
        break;
    case Glyph::Info:
        p.drawEllipse(QRectF(2, 2, 12, 12));
        p.drawLine(QPointF(8, 7.2), QPointF(8, 11));
        fill();
        p.drawEllipse(QPointF(8, 5), 0.95, 0.95);
        break;
    case Glyph::Help: {
        p.drawEllipse(QRectF(2, 2, 12, 12));
        QPainterPath q;
        q.moveTo(6.2, 6.3);
        q.cubicTo(6.2, 4.2, 9.9, 4.2, 9.9, 6.3);
        q.cubicTo(9.9, 7.8, 8, 7.8, 8, 9.3);
        p.drawPath(q);
        fill();
        p.drawEllipse(QPointF(8, 11.3), 0.9, 0.9);
        break;
    }
    case Glyph::Warning: {
        QPainterPath triangle;
        triangle.moveTo(8, 2.2);
        triangle.lineTo(14.2, 13.3);
        triangle.lineTo(1.8, 13.3);
        triangle.closeSubpath();
        p.drawPath(triangle);
        p.drawLine(QPointF(8, 6.3), QPointF(8, 9.3));
        fill();
        p.drawEllipse(QPointF(8, 11.3), 0.85, 0.85);
        break;
    }
    case Glyph::Error:
        p.drawEllipse(QRectF(2, 2, 12, 12));
        p.drawLine(QPointF(5.8, 5.8), QPointF(10.2, 10.2));
        p.drawLine(QPointF(10.2, 5.8), QPointF(5.8, 10.2));
        break;
    case Glyph::File: {
        QPainterPath page;
        page.moveTo(3.5, 1.8);
        page.lineTo(9.5, 1.8);
        page.lineTo(12.5, 4.8);
        page.lineTo(12.5, 14.2);
        page.lineTo(3.5, 14.2);
        page.closeSubpath();
        p.drawPath(page);
        p.drawLine(QPointF(9.5, 1.8), QPointF(9.5, 4.8));
        p.drawLine(QPointF(9.5, 4.8), QPointF(12.5, 4.8));
        break;
    }
    case Glyph::Computer:
        p.drawRoundedRect(QRectF(2, 2.5, 12, 8.5), 1.2, 1.2);
        p.drawLine(QPointF(8, 11), QPointF(8, 13.5));
        p.drawLine(QPointF(5, 13.5), QPointF(11, 13.5));
        break;
    case Glyph::Drive:
        p.drawRoundedRect(QRectF(2, 4.5, 12, 7), 1.5, 1.5);
        p.drawLine(QPointF(2, 8.5), QPointF(14, 8.5));
        fill();
        p.drawEllipse(QPointF(11.5, 10), 0.7, 0.7);
        break;
    case Glyph::ArrowLeft:
        p.drawLine(QPointF(13, 8), QPointF(3.5, 8));
        p.drawLine(QPointF(7.5, 4), QPointF(3.5, 8));
        p.drawLine(QPointF(7.5, 12), QPointF(3.5, 8));
        break;
    case Glyph::ArrowRight:
        p.drawLine(QPointF(3, 8), QPointF(12.5, 8));
        p.drawLine(QPointF(8.5, 4), QPointF(12.5, 8));
        p.drawLine(QPointF(8.5, 12), QPointF(12.5, 8));
        break;
    case Glyph::ArrowUp:
        p.drawLine(QPointF(8, 13), QPointF(8, 3.5));
        p.drawLine(QPointF(4, 7.5), QPointF(8, 3.5));
        p.drawLine(QPointF(12, 7.5), QPointF(8, 3.5));
        break;
    case Glyph::NewFolder: {
        QPainterPath path;
        path.moveTo(2, 4.5);
        path.lineTo(6, 4.5);
        path.lineTo(7.5, 6);
        path.lineTo(14, 6);
        path.lineTo(14, 12.5);
        path.lineTo(2, 12.5);
        path.closeSubpath();
        p.drawPath(path);
        p.drawLine(QPointF(8, 7.6), QPointF(8, 11));
        p.drawLine(QPointF(6.3, 9.3), QPointF(9.7, 9.3));
        break;
    }
    case Glyph::ListView:
        for (const double y : {4.0, 8.0, 12.0}) {
            p.drawLine(QPointF(6, y), QPointF(13.5, y));
            p.drawPoint(QPointF(3, y));
        }
        break;
    case Glyph::DetailView:
        p.drawRoundedRect(QRectF(2, 2.5, 12, 11), 1.2, 1.2);
        p.drawLine(QPointF(2, 6.2), QPointF(14, 6.2));
        p.drawLine(QPointF(2, 9.8), QPointF(14, 9.8));
        p.drawLine(QPointF(6.5, 2.5), QPointF(6.5, 13.5));
        break;
    case Glyph::Check:
        p.drawLine(QPointF(3.5, 8.5), QPointF(6.5, 11.5));
        p.drawLine(QPointF(6.5, 11.5), QPointF(12.5, 4.5));
        break;
    case Glyph::Gear: {
        p.drawEllipse(QPointF(8, 8), 2.2, 2.2);
        QPainterPath path;
        for (int i = 0; i < 16; ++i) {
            const double a = i * M_PI / 8.0;
            const double r = (i % 2 == 0) ? 6.2 : 4.6;
            const QPointF pt(8 + r * std::cos(a), 8 + r * std::sin(a));
            if (i == 0)
                path.moveTo(pt);
            else
                path.lineTo(pt);
        }
        path.closeSubpath();
        p.drawPath(path);
        break;
    }
    case Glyph::Back:
        fill();
        p.drawPolygon(QPolygonF({QPointF(12.5, 3.5), QPointF(12.5, 12.5), QPointF(5.5, 8)}));
        p.drawRect(QRectF(3.5, 3.5, 1.8, 9));
        break;
    case Glyph::Next:
        fill();
        p.drawPolygon(QPolygonF({QPointF(3.5, 3.5), QPointF(3.5, 12.5), QPointF(10.5, 8)}));
        p.drawRect(QRectF(10.7, 3.5, 1.8, 9));
        break;
    case Glyph::Play:
        fill();
        p.drawPolygon(QPolygonF({QPointF(4.5, 2.8), QPointF(4.5, 13.2), QPointF(13, 8)}));
        break;
    case Glyph::Pause:
        fill();
        p.drawRoundedRect(QRectF(4, 3, 2.8, 10), 0.6, 0.6);
        p.drawRoundedRect(QRectF(9.2, 3, 2.8, 10), 0.6, 0.6);
        break;
    case Glyph::Stop:
        fill();
        p.drawRoundedRect(QRectF(3.5, 3.5, 9, 9), 1.2, 1.2);
        break;
    case Glyph::Cut:
        p.drawEllipse(QPointF(4.5, 11.5), 2, 2);
        p.drawEllipse(QPointF(11.5, 11.5), 2, 2);
        p.drawLine(QPointF(5.8, 10), QPointF(11.5, 2.5));
        p.drawLine(QPointF(10.2, 10), QPointF(4.5, 2.5));
        break;
    case Glyph::Camera:
        p.drawRoundedRect(QRectF(2, 5, 12, 8.5), 1.5, 1.5);
        p.drawLine(QPointF(5.5, 5), QPointF(6.5, 3));
        p.drawLine(QPointF(6.5, 3), QPointF(9.5, 3));
        p.drawLine(QPointF(9.5, 3), QPointF(10.5, 5));
        p.drawEllipse(QPointF(8, 9.2), 2.3, 2.3);
        break;
    case Glyph::Convert:
        p.drawLine(QPointF(3, 8), QPointF(12.5, 8));
        p.drawLine(QPointF(8.5, 4), QPointF(12.5, 8));
        p.drawLine(QPointF(8.5, 12), QPointF(12.5, 8));
        break;
    case Glyph::Close:
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case Glyph::Minimize:
        p.drawLine(QPointF(4, 8.5), QPointF(12, 8.5));
        break;
    case Glyph::Chevron:
        p.drawLine(QPointF(4.5, 6.5), QPointF(8, 10));
        p.drawLine(QPointF(8, 10), QPointF(11.5, 6.5));
        break;
    case Glyph::ChevronRight:
        p.drawLine(QPointF(6.5, 4.5), QPointF(10, 8));
        p.drawLine(QPointF(10, 8), QPointF(6.5, 11.5));
        break;
    case Glyph::Film:
        p.drawRoundedRect(QRectF(2, 3, 12, 10), 1.5, 1.5);
        p.drawLine(QPointF(5, 3), QPointF(5, 13));
        p.drawLine(QPointF(11, 3), QPointF(11, 13));
        p.drawLine(QPointF(2, 8), QPointF(5, 8));
        p.drawLine(QPointF(11, 8), QPointF(14, 8));
        break;
    case Glyph::Rewind:
        fill();
        p.drawPolygon(QPolygonF({QPointF(8, 3.5), QPointF(8, 12.5), QPointF(2, 8)}));
        p.drawPolygon(QPolygonF({QPointF(14, 3.5), QPointF(14, 12.5), QPointF(8, 8)}));
        break;
    case Glyph::Forward:
        fill();
        p.drawPolygon(QPolygonF({QPointF(2, 3.5), QPointF(2, 12.5), QPointF(8, 8)}));
        p.drawPolygon(QPolygonF({QPointF(8, 3.5), QPointF(8, 12.5), QPointF(14, 8)}));
        break;
    }
    p.restore();
}

} // namespace vc::tools
