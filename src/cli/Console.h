#pragma once

#include <QString>
#include <cstdio>

namespace vc::cli {

// Batch mode's output. On a terminal the progress of the running file is one line rewritten
// in place; elsewhere only whole lines are written, so logs stay readable.
class Console {
public:
    Console(std::FILE* out, std::FILE* err);

    bool isTerminal() const { return terminal_; }
    void setTerminal(bool terminal) { terminal_ = terminal; }

    void line(const QString& text);
    void error(const QString& text);
    // Replaces the progress line on a terminal; writes nothing elsewhere.
    void progress(const QString& text);

private:
    void clearProgress();
    int width() const;

    std::FILE* out_;
    std::FILE* err_;
    bool terminal_ = false;
    qsizetype shown_ = 0; // characters of the progress line on screen
};

} // namespace vc::cli
