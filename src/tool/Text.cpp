#include "Text.h"

#include <cstdarg>
#include <cstdio>

namespace vc::tool {

void Text::add(const char* format, ...) {
    va_list list;
    va_start(list, format);
    va_list again;
    va_copy(again, list);
    const int n = std::vsnprintf(nullptr, 0, format, list);
    va_end(list);
    if (n > 0) {
        const std::size_t old = text_.size();
        text_.resize(old + static_cast<std::size_t>(n) + 1);
        std::vsnprintf(text_.data() + old, static_cast<std::size_t>(n) + 1, format, again);
        text_.resize(old + static_cast<std::size_t>(n));
    }
    va_end(again);
}

} // namespace vc::tool
