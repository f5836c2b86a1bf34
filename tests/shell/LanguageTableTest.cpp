#include "shell/LanguageTable.h"

#include "FakeShell.h"
#include "common/SkinFacets.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vc;

namespace {

struct HintLine : TextFacet {
    QString value = "untouched";
    int redraws = 0;
    QString text() const override { return value; }
    void setText(const QString& t) override { value = t; }
    void redraw() override { ++redraws; }
};

class LanguageTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.filePath("language.info");
        QByteArray lines;
        for (int i = 1; i <= 37; ++i)
            lines += "text " + QByteArray::number(i) + "\r\n";
        write(lines);
    }
    void write(const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    QTemporaryDir dir;
    QString path;
    test::FakeDialogs dialogs;
    HintLine hint;
};

} // namespace

TEST_F(LanguageTableTest, HintsGoToTheHintLineAndMessagesDoNot) {
    LanguageTable t(path, dialogs);
    t.setHint(&hint);
    t.setProgramName("iPod Converter");
    EXPECT_EQ(t.lookup(3, LanguageTable::Use::Hover), "text 3");
    EXPECT_EQ(hint.value, "text 3");
    EXPECT_EQ(t.lookup(25, LanguageTable::Use::Hover), "text 25");
    EXPECT_EQ(hint.value, "text 25 iPod Converter.");
    EXPECT_EQ(t.lookup(29), "text 29");
    EXPECT_EQ(t.lookup(37), "text 37");
    EXPECT_EQ(hint.value, "text 25 iPod Converter.");
    EXPECT_EQ(t.lookup(40), ""); // past the end of the file
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(LanguageTableTest, WhileConvertingOnlyTheRefusalIsLookedUp) {
    LanguageTable t(path, dialogs);
    t.setHint(&hint);
    bool running = true;
    t.setConverting([&] { return running; });
    EXPECT_EQ(t.lookup(3, LanguageTable::Use::Hover), "");
    EXPECT_EQ(t.lookup(37), "");
    EXPECT_EQ(hint.value, "untouched");
    EXPECT_EQ(t.lookup(26), "text 26");
    running = false;
    EXPECT_EQ(t.lookup(37), "text 37");
}

TEST_F(LanguageTableTest, AReplacedFileTakesEffectAtTheNextLookup) {
    LanguageTable t(path, dialogs);
    EXPECT_EQ(t.lookup(2), "text 2");
    write("one\nzwei ü\n");
    EXPECT_EQ(t.lookup(2), "zwei ü");
}

TEST_F(LanguageTableTest, AMissingFileIsReportedOnceForHoversAndEveryTimeForCommands) {
    LanguageTable t(dir.filePath("gone.info"), dialogs);
    t.setHint(&hint);
    EXPECT_FALSE(t.lookup(3, LanguageTable::Use::Hover).has_value());
    EXPECT_FALSE(t.lookup(4, LanguageTable::Use::Hover).has_value());
    EXPECT_EQ(dialogs.shown.size(), 1);
    EXPECT_FALSE(t.lookup(29).has_value());
    EXPECT_FALSE(t.lookup(29).has_value());
    EXPECT_EQ(dialogs.shown.size(), 3);
    EXPECT_TRUE(dialogs.shown[0].text.contains("gone.info"));
    EXPECT_EQ(hint.value, "untouched");
}
