#include "cli/Console.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace vc::cli {

Console::Console(std::FILE* out, std::FILE* err)
    : out_(out), err_(err), terminal_(isatty(fileno(out)) == 1) {}

int Console::width() const {
    winsize size{};
    if (ioctl(fileno(out_), TIOCGWINSZ, &size) == 0 && size.ws_col > 10)
        return size.ws_col;
    return 80;
}

void Console::clearProgress() {
    if (shown_ == 0)
        return;
    std::fputs(("\r" + QString(shown_, u' ') + "\r").toLocal8Bit().constData(), out_);
    shown_ = 0;
}

void Console::line(const QString& text) {
    clearProgress();
    std::fputs((text + u'\n').toLocal8Bit().constData(), out_);
    std::fflush(out_);
}

void Console::error(const QString& text) {
    clearProgress();
    std::fflush(out_);
    std::fputs((text + u'\n').toLocal8Bit().constData(), err_);
    std::fflush(err_);
}

void Console::progress(const QString& text) {
    if (!terminal_)
        return;
    // A line wider than the terminal would wrap, and "\r" would no longer reach its start.
    QString shown = text.left(width() - 1);
    const qsizetype pad = std::max<qsizetype>(0, shown_ - shown.size());
    std::fputs(("\r" + shown + QString(pad, u' ')).toLocal8Bit().constData(), out_);
    std::fflush(out_);
    shown_ = shown.size();
}

} // namespace vc::cli
