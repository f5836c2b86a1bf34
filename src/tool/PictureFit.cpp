#include "PictureFit.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numeric>

namespace vc::tool {

namespace {

struct Ratio {
    long num = 1;
    long den = 1;
};

struct Frame {
    long width = 0;
    long height = 0;
};

std::optional<long> positive(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        text.size() > 6)
        return std::nullopt;
    const long value = std::stol(text);
    return value > 0 ? std::optional<long>(value) : std::nullopt;
}

std::optional<Frame> frameSize(const std::string& text) {
    const std::size_t x = text.find('x');
    if (x == std::string::npos)
        return std::nullopt;
    const std::optional<long> width = positive(text.substr(0, x));
    const std::optional<long> height = positive(text.substr(x + 1));
    if (!width || !height)
        return std::nullopt;
    return Frame{*width, *height};
}

// "4:3", "16/9" or "1.7778", the forms the program and ffmpeg users write.
std::optional<Ratio> ratio(const std::string& text) {
    const std::size_t split = text.find_first_of(":/");
    if (split != std::string::npos) {
        const std::optional<long> num = positive(text.substr(0, split));
        const std::optional<long> den = positive(text.substr(split + 1));
        if (!num || !den)
            return std::nullopt;
        return Ratio{*num, *den};
    }
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(value > 0.01 && value < 100))
        return std::nullopt;
    return Ratio{std::lround(value * 10000), 10000};
}

// The frame of the disc standards; their pictures are always shown 4:3 here.
std::optional<Frame> discFrame(const std::string& target) {
    const std::size_t dash = target.find('-');
    if (dash == std::string::npos)
        return std::nullopt;
    const std::string norm = target.substr(0, dash);
    const std::string disc = target.substr(dash + 1);
    if (norm != "pal" && norm != "ntsc" && norm != "film")
        return std::nullopt;
    const bool pal = norm == "pal";
    if (disc == "vcd")
        return Frame{352, pal ? 288 : 240};
    if (disc == "svcd")
        return Frame{480, pal ? 576 : 480};
    if (disc == "dvd")
        return Frame{720, pal ? 576 : 480};
    return std::nullopt;
}

// Scales to fit by display shape, so pixels of any shape are judged by what is seen, then
// pads to the frame and gives its pixels the shape `sar`. Within about 1% of the frame's
// shape the picture just fills it: bars of a pixel or two would only look like a fault.
std::string chain(const Frame& frame, const Ratio& sar) {
    const long w = frame.width;
    const long h = frame.height;
    // The source's display shape over the frame's is dar*k/l.
    const long k = h * sar.den;
    const long l = w * sar.num;
    // pad cuts an odd frame of subsampled pixels down to even; a still picture may be odd.
    const char* whole = w % 2 != 0 || h % 2 != 0 ? ",format=rgb24" : "";
    char text[512];
    std::snprintf(text, sizeof text,
                  "scale=w='if(lt(dar*%ld/%ld,0.99),min(%ld,max(2,2*round(dar*%ld/%ld/2))),%ld)'"
                  ":h='if(gt(dar*%ld/%ld,1.01),min(%ld,max(2,2*round(%ld/(%ld*dar)/2))),%ld)'"
                  "%s,pad=%ld:%ld:(ow-iw)/2:(oh-ih)/2:black,setsar=%ld/%ld",
                  k, l, w, k, sar.num, w, k, l, h, l, sar.den, h, whole, w, h, sar.num, sar.den);
    return text;
}

} // namespace

std::optional<PictureFit> fitPicture(const ConvertCall& call) {
    if (!call.input || !call.output || hasOption(call, {"-vn", "-filter_complex", "-lavfi"}))
        return std::nullopt;
    if (outputOptionValue(call, {"-vcodec", "-c:v", "-codec:v", "-c", "-codec"}) == "copy")
        return std::nullopt;

    // Whichever comes last decides the frame, as in ffmpeg.
    std::optional<Frame> frame;
    bool disc = false;
    for (std::size_t i = *call.input + 1; i + 1 < *call.output; ++i) {
        if (call.args[i] == "-s") {
            frame = frameSize(call.args[++i]);
            disc = false;
        } else if (call.args[i] == "-target") {
            if (const std::optional<Frame> standard = discFrame(call.args[++i])) {
                frame = standard;
                disc = true;
            }
        }
    }
    if (!frame)
        return std::nullopt;
    // The 4:2:0 encoders take even sizes only; a still picture keeps the size asked for.
    if (outputOptionValue(call, {"-f"}) != "image2") {
        frame->width -= frame->width % 2;
        frame->height -= frame->height % 2;
    }
    if (frame->width < 2 || frame->height < 2)
        return std::nullopt;

    const std::optional<std::string> aspectText = outputOptionValue(call, {"-aspect"});
    std::optional<Ratio> aspect = aspectText ? ratio(*aspectText) : std::nullopt;
    if (!aspect && disc)
        aspect = Ratio{4, 3};
    Ratio sar;
    if (aspect) {
        sar = {aspect->num * frame->height, aspect->den * frame->width};
        const long divisor = std::gcd(sar.num, sar.den);
        sar = {sar.num / divisor, sar.den / divisor};
        if (std::abs(static_cast<double>(sar.num) / static_cast<double>(sar.den) - 1) <= 0.01)
            sar = {1, 1};
    }

    PictureFit fit;
    fit.dropped = {"-s", "-vf", "-filter:v"};
    // Square pixels say the frame's own shape exactly; a rounded "-aspect" would not.
    if (aspectText && aspect && sar.num == sar.den)
        fit.dropped.push_back("-aspect");
    else if (disc && !aspectText)
        fit.added = {"-aspect", "4:3"};

    std::string filters = chain(*frame, sar);
    if (const std::optional<std::string> own = outputOptionValue(call, {"-vf", "-filter:v"}))
        filters = *own + "," + filters;
    fit.added.insert(
        fit.added.end(),
        {"-s", std::to_string(frame->width) + "x" + std::to_string(frame->height), "-vf", filters});
    return fit;
}

} // namespace vc::tool
