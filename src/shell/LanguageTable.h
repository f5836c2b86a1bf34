#pragma once

#include <QString>
#include <functional>
#include <optional>

namespace vc {

class Dialogs;
class TextFacet;

// The numbered texts of language.info: hover hints and message texts. The file is read on
// every lookup, so a replaced file takes effect at once.
class LanguageTable {
public:
    static constexpr int GeneralHint = 25;
    static constexpr int ConversionRunning = 26;

    enum class Use { Hover, Command };

    LanguageTable(QString path, Dialogs& dialogs);

    void setHint(TextFacet* hint) { hint_ = hint; }
    void setProgramName(const QString& name) { programName_ = name; }
    void setConverting(std::function<bool()> converting) { converting_ = std::move(converting); }

    // The text of line `id` (counted from 1), empty when the file is shorter. Hints below
    // GeneralHint, and GeneralHint followed by the program name, also go to the hint line.
    // While a conversion runs only ConversionRunning is looked up; everything else is empty
    // and the hint line is left to the progress report. No value when the file cannot be
    // read: a command is told so every time, hovers only the first time.
    std::optional<QString> lookup(int id, Use use = Use::Command);
    // The same text, and nothing else: no hint line, no message when the file cannot be read.
    std::optional<QString> text(int id) const;

private:
    QString path_;
    Dialogs& dialogs_;
    TextFacet* hint_ = nullptr;
    QString programName_;
    std::function<bool()> converting_;
    bool hoverFailureShown_ = false;
};

} // namespace vc
