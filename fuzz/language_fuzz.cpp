// language.info: the numbered texts looked up by id, for hovers and for commands, with and
// without a conversion running.
#include "FuzzSupport.h"
#include "common/SkinFacets.h"
#include "shell/Dialogs.h"
#include "shell/LanguageTable.h"

#include <QList>
#include <string_view>

using namespace vc;

namespace {

class NoDialogs : public Dialogs {
public:
    int warnings = 0;
    void information(QWidget*, const QString&, const QString&) override {}
    void warning(QWidget*, const QString&, const QString&) override { ++warnings; }
    bool question(QWidget*, const QString&, const QString&) override { return false; }
    QStringList openFiles(QWidget*, const QString&, const QString&, const QString&) override {
        return {};
    }
    QString chooseFolder(QWidget*, const QString&, const QString&) override { return {}; }
    QString chooseDisc(QWidget*, const QString&, const QString&) override { return {}; }
};

class HintLine : public TextFacet {
public:
    QString value;
    QString text() const override { return value; }
    void setText(const QString& text) override { value = text; }
    void redraw() override {}
};

// Line id of the file as a plain reading gives it: line ends and the CRs before them dropped.
QString plainLine(std::string_view text, int id) {
    for (int line = 1; line < id; ++line) {
        const std::size_t lf = text.find('\n');
        if (lf == std::string_view::npos)
            return {};
        text.remove_prefix(lf + 1);
    }
    text = text.substr(0, text.find('\n'));
    while (text.ends_with('\r'))
        text.remove_suffix(1);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = fuzz::writeWorkFile(QStringLiteral("language.info"), data, size);
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    NoDialogs dialogs;
    HintLine hint;
    LanguageTable table(path, dialogs);
    table.setHint(&hint);
    table.setProgramName(QStringLiteral("Video Converter"));
    bool converting = false;
    table.setConverting([&] { return converting; });

    // Every id the program uses, one past them, and nonsense ids.
    QList<int> ids{-1, 0, 38, 1000};
    for (int id = 1; id <= 37; ++id)
        ids << id;
    for (const int id : ids) {
        const auto use = id % 2 ? LanguageTable::Use::Hover : LanguageTable::Use::Command;
        const std::optional<QString> found = table.lookup(id, use);
        fuzz::check(found.has_value(), "a readable file could not be read");
        fuzz::check(*found == (id >= 1 ? plainLine(text, id) : QString()), "a text is not its line",
                    QString::number(id));
        if (id >= 1 && id < LanguageTable::GeneralHint)
            fuzz::check(hint.value == *found, "a hint shows another text", QString::number(id));
    }
    converting = true;
    for (const int id : {LanguageTable::ConversionRunning, 1, 31})
        table.lookup(id);
    fuzz::check(dialogs.warnings == 0, "a warning about a readable file");
    return 0;
}
