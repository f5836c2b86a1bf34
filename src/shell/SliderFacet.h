#pragma once

namespace vc {

// A skin slider: its position runs from 0 to 10000 whatever its width.
class SliderFacet {
public:
    static constexpr int MaxPosition = 10000;

    virtual ~SliderFacet() = default;
    virtual int position() const = 0;
    // Values outside 0..MaxPosition are clamped.
    virtual void setPosition(int position) = 0;
};

} // namespace vc
