#pragma once

#include <QString>
#include <QStringList>
#include <cstdio>

namespace vc::cli {

// Text from outside (names, paths, the tool's words) as batch mode shows it. Control
// characters (C0, DEL, C1) become escapes that bash's $'...' reads back to the same text, so
// a terminal never acts on them; a backslash is doubled, so a shown "\n" is never a name's
// own backslash and "n".
QString escapeControls(QStringView text);

// Batch mode's output. On a terminal the progress of the running file is one line rewritten
// in place; elsewhere only whole lines are written, so logs stay readable. Everything written
// is escaped here, so no caller can let a control character through; only the console's own
// line ends, tabs between fields and progress redraws reach the terminal.
class Console {
public:
    Console(std::FILE* out, std::FILE* err);

    bool isTerminal() const { return terminal_; }
    void setTerminal(bool terminal) { terminal_ = terminal; }

    void line(const QString& text);
    // One line of tab-separated fields, for reading by programs.
    void fields(const QStringList& fields);
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
