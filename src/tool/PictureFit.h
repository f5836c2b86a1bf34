#pragma once

#include "Arguments.h"

#include <optional>

namespace vc::tool {

// How a sized video output keeps its picture's proportions: the output options it replaces
// (each with its value) and those that take their place.
struct PictureFit {
    Args dropped;
    Args added;
};

// For an output with a frame size ("-s WxH" or a disc "-target"), a filter chain that fits
// the picture into the frame by its display shape, with black bars where the shapes differ.
std::optional<PictureFit> fitPicture(const ConvertCall& call);

} // namespace vc::tool
