#pragma once

#include <string>

namespace vc::tool {

// A growing line of text filled printf-style.
class Text {
public:
    __attribute__((format(printf, 2, 3))) void add(const char* format, ...);
    void endLine() { text_ += "\r\n"; }
    std::string& str() { return text_; }

private:
    std::string text_;
};

} // namespace vc::tool
