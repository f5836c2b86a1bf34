#include "cli/Console.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace vc::cli {

namespace {

void put(std::FILE* to, const QString& shown) {
    std::fputs(shown.toLocal8Bit().constData(), to);
}

} // namespace

QString escapeControls(QStringView text) {
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\')
            shown += QLatin1String("\\\\");
        else if (u == u'\n')
            shown += QLatin1String("\\n");
        else if (u == u'\r')
            shown += QLatin1String("\\r");
        else if (u == u'\t')
            shown += QLatin1String("\\t");
        else if (u < 0x20 || u == 0x7f)
            shown += QStringLiteral("\\x%1").arg(u, 2, 16, QChar(u'0'));
        // A C1 control is a character, not a byte: "\x9b" would read back as a lone byte.
        else if (u >= 0x80 && u <= 0x9f)
            shown += QStringLiteral("\\u%1").arg(u, 4, 16, QChar(u'0'));
        // A byte of a name that is not UTF-8, kept as a lone surrogate (FileNames.h).
        else if (u >= 0xdc80 && u <= 0xdcff)
            shown += QStringLiteral("\\x%1").arg(u & 0xff, 2, 16, QChar(u'0'));
        else
            shown += c;
    }
    return shown;
}

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
    put(out_, "\r" + QString(shown_, u' ') + "\r");
    shown_ = 0;
}

void Console::line(const QString& text) {
    clearProgress();
    put(out_, escapeControls(text) + u'\n');
    std::fflush(out_);
}

void Console::fields(const QStringList& fields) {
    QStringList shown;
    shown.reserve(fields.size());
    for (const QString& field : fields)
        shown << escapeControls(field);
    clearProgress();
    put(out_, shown.join(u'\t') + u'\n');
    std::fflush(out_);
}

void Console::error(const QString& text) {
    clearProgress();
    std::fflush(out_);
    put(err_, escapeControls(text) + u'\n');
    std::fflush(err_);
}

void Console::progress(const QString& text) {
    if (!terminal_)
        return;
    // A line wider than the terminal would wrap, and "\r" would no longer reach its start.
    const QString shown = escapeControls(text).left(width() - 1);
    const qsizetype pad = std::max<qsizetype>(0, shown_ - shown.size());
    put(out_, "\r" + shown + QString(pad, u' '));
    std::fflush(out_);
    shown_ = shown.size();
}

} // namespace vc::cli
