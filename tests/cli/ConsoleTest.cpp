#include "cli/Console.h"

#include <gtest/gtest.h>

namespace vc::cli {

namespace {

QByteArray contents(std::FILE* file) {
    std::fflush(file);
    std::rewind(file);
    QByteArray bytes;
    char buffer[256];
    while (const size_t n = std::fread(buffer, 1, sizeof buffer, file))
        bytes.append(buffer, static_cast<qsizetype>(n));
    return bytes;
}

} // namespace

TEST(Console, ShowsEveryControlCharacterEscapedAndKeepsItsOwn) {
    const QString raw = QString::fromUtf8("\x1b]0;t\x07|\r\n\t|") + QChar(0) + QChar(0x1f) +
                        QChar(0x7f) + QChar(0x80) + QChar(0x9b) + QChar(0x9f) +
                        QString::fromUtf8("|\\x1b|\u00a0é ü");
    EXPECT_EQ(escapeControls(raw), QString::fromUtf8("\\x1b]0;t\\x07|\\r\\n\\t|\\x00\\x1f\\x7f"
                                                     "\\u0080\\u009b\\u009f|\\\\x1b|\u00a0é ü"));

    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ASSERT_TRUE(out && err);
    Console console(out, err);
    console.setTerminal(true);
    console.progress("a\x1b[2J");
    console.line("b\nFinished");
    console.fields({"c\td", "e"});
    console.error("f\r");
    EXPECT_EQ(contents(out), "\ra\\x1b[2J\r        \rb\\nFinished\nc\\td\te\n");
    EXPECT_EQ(contents(err), "f\\r\n");
    std::fclose(out);
    std::fclose(err);
}

} // namespace vc::cli
