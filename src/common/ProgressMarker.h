#pragma once

#include "common/SkinFacets.h"

#include <QRect>
#include <cstdint>

namespace vc {

// Full widths of the skin's progress markers.
inline constexpr int PlayposWidth = 201;
inline constexpr int ConvertposWidth = 447;
inline constexpr int CutplayposWidth = 500;

// The marker for progress value v (hundredths of a percent): same left, top and height as
// start, right = left + fullWidth * min(v, 10000) / 10000, rounded; below 0 it is empty.
QRect markerRect(const QRect& start, int fullWidth, std::int64_t value);

// A progress bar drawn by a skin shape. Left and top are taken once, when it is made, so a
// bar shown at 0 can grow again.
class ProgressMarker {
public:
    ProgressMarker() = default;
    ProgressMarker(ShapeFacet* shape, int fullWidth);

    void show(std::int64_t value);
    ShapeFacet* shape() const { return shape_; }
    int fullWidth() const { return fullWidth_; }

private:
    ShapeFacet* shape_ = nullptr;
    int fullWidth_ = 0;
    QRect start_;
};

} // namespace vc
