#include "common/ProgressMarker.h"

#include "common/Rounding.h"

#include <algorithm>

namespace vc {

QRect markerRect(const QRect& start, int fullWidth, std::int64_t value) {
    const std::int64_t clamped = std::clamp<std::int64_t>(value, 0, 10000);
    QRect r = start;
    r.setWidth(static_cast<int>(mulDivRound(fullWidth, clamped, 10000).value_or(0)));
    return r;
}

ProgressMarker::ProgressMarker(ShapeFacet* shape, int fullWidth)
    : shape_(shape), fullWidth_(fullWidth), start_(shape ? shape->rect() : QRect()) {}

void ProgressMarker::show(std::int64_t value) {
    if (!shape_)
        return;
    shape_->setRect(markerRect(start_, fullWidth_, value));
    shape_->redraw();
}

} // namespace vc
