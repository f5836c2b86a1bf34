#pragma once

#include <QRect>
#include <QString>

namespace vc {

// The facets of a skin element that non-skin code drives. The skin engine implements them;
// tests use plain recording fakes.
class TextFacet {
public:
    virtual ~TextFacet() = default;
    virtual QString text() const = 0;
    virtual void setText(const QString& text) = 0;
    virtual void redraw() = 0;
};

class ShapeFacet {
public:
    virtual ~ShapeFacet() = default;
    virtual QRect rect() const = 0;
    virtual void setRect(const QRect& rect) = 0;
    virtual void setVisible(bool visible) = 0;
    virtual void redraw() = 0;
};

} // namespace vc
