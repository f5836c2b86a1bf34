#include "common/IniFile.h"

#include "TestSupport.h"
#include "common/FileNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <chrono>
#include <climits>
#include <csignal>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <utility>

using namespace vc;

namespace {

class SavedVariable {
public:
    explicit SavedVariable(const char* name)
        : name_(name), wasSet_(qEnvironmentVariableIsSet(name)), value_(qgetenv(name)) {}
    ~SavedVariable() {
        if (wasSet_)
            qputenv(name_, value_);
        else
            qunsetenv(name_);
    }
    SavedVariable(const SavedVariable&) = delete;
    SavedVariable& operator=(const SavedVariable&) = delete;

private:
    const char* name_;
    bool wasSet_;
    QByteArray value_;
};

// Root writes through any permission bits, so permission tests must ask the system.
bool canCreateFileIn(const QString& folder) {
    QFile probe(QDir(folder).filePath(QStringLiteral("probe")));
    const bool created = probe.open(QIODevice::WriteOnly);
    if (created)
        probe.remove();
    return created;
}

// On a thread of its own, so a read that blocks fails the test instead of hanging it.
std::optional<QString> readWithin(const QString& path, std::chrono::seconds limit) {
    auto result = std::make_shared<std::promise<QString>>();
    std::future<QString> value = result->get_future();
    std::thread([result, path] {
        try {
            result->set_value(IniFile(path).readString("S", "k", "def"));
        } catch (...) {
            result->set_exception(std::current_exception());
        }
    }).detach();
    if (value.wait_for(limit) != std::future_status::ready)
        return std::nullopt;
    return value.get();
}

mode_t typeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        qputenv("VIDEOCONVERTER_CONFIG_DIR", dir_.path().toLocal8Bit());
    }

    QString file(const QString& name) const { return QDir(dir_.path()).filePath(name); }

    void put(const QString& name, const QByteArray& bytes) const {
        QFile f(file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

    QByteArray get(const QString& name) const {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    SavedVariable override_{"VIDEOCONVERTER_CONFIG_DIR"};
    SavedVariable xdg_{"XDG_CONFIG_HOME"};
    SavedVariable home_{"HOME"};
    QTemporaryDir dir_;
};

TEST_F(IniFileTest, ValuesRoundTrip) {
    IniFile ini(QStringLiteral("VideoConverter.ini"));
    EXPECT_EQ(ini.path(), file("VideoConverter.ini"));

    EXPECT_TRUE(ini.writeString("Main", "Name", "abc"));
    EXPECT_EQ(get("VideoConverter.ini"), "[Main]\nName=abc\n");
    EXPECT_TRUE(ini.writeInt("Main", "Width", -42));
    EXPECT_TRUE(ini.writeInt("Main", "Big", INT_MAX));
    EXPECT_TRUE(ini.writeInt("Main", "On", 1));
    EXPECT_EQ(ini.readString("Main", "Name"), "abc");
    EXPECT_EQ(ini.readInt("Main", "Width", 0), -42);
    EXPECT_EQ(ini.readInt("Main", "Big", 0), INT_MAX);
    EXPECT_TRUE(ini.readBool("Main", "On", false));

    // Values that reading would trim or unquote are stored so they come back unchanged.
    const QStringList tricky = {"a=b=c", "640×480", " padded ", "\"quoted\"",  "'single'",
                                "",      "\"",      "'x\"",     "tab\tinside", "  "};
    for (const QString& value : tricky) {
        ASSERT_TRUE(ini.writeString("Tricky", "v", value)) << value.toStdString();
        EXPECT_EQ(ini.readString("Tricky", "v", "<default>"), value) << value.toStdString();
    }
}

TEST_F(IniFileTest, NamesCompareCaseInsensitivelyAndKeepTheirSpelling) {
    put("a.ini", "[Main]\nWidth=640\n[Über]\nÄpfel=1\n");
    IniFile ini(QStringLiteral("a.ini"));
    EXPECT_EQ(ini.readString("MAIN", "width"), "640");
    EXPECT_EQ(ini.readString(" main ", "\tWIDTH "), "640");
    EXPECT_EQ(ini.readInt("über", "äPFEL", 0), 1);

    EXPECT_TRUE(ini.writeInt("main", "WIDTH", 800));
    EXPECT_TRUE(ini.writeInt("ÜBER", "äpfel", 2));
    EXPECT_EQ(get("a.ini"), "[Main]\nWidth=800\n[Über]\nÄpfel=2\n");
    EXPECT_EQ(ini.sections(), QStringList({"Main", "Über"}));
    EXPECT_EQ(ini.keys("main"), QStringList({"Width"}));
}

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesTheDefault) {
    IniFile missing(QStringLiteral("none.ini"));
    EXPECT_EQ(missing.readString("S", "k", "def"), "def");
    EXPECT_EQ(missing.readInt("S", "k", 7), 7);
    EXPECT_TRUE(missing.readBool("S", "k", true));
    EXPECT_TRUE(missing.sections().isEmpty());
    EXPECT_TRUE(missing.deleteKey("S", "k"));
    EXPECT_TRUE(missing.deleteSection("S"));
    EXPECT_FALSE(QFile::exists(missing.path())) << "reads and empty deletes create nothing";

    put("a.ini", "top=1\n[S]\nempty=\nblank=   \nother=2\n");
    IniFile ini(QStringLiteral("a.ini"));
    EXPECT_EQ(ini.readString("T", "other", "def"), "def");
    EXPECT_EQ(ini.readString("S", "nokey", "def"), "def");
    EXPECT_EQ(ini.readString("S", "empty", "def"), "");
    EXPECT_EQ(ini.readString("S", "blank", "def"), "");
    EXPECT_EQ(ini.readString("S", "top", "def"), "def")
        << "lines before a header are in no section";
    EXPECT_EQ(ini.readString("", "top", "def"), "def");
    EXPECT_TRUE(ini.keys("T").isEmpty());
}

TEST_F(IniFileTest, ReadTrimsBlanksAndOneMatchingQuotePair) {
    put("a.ini", "[S]\n  a  =  spaced value  \n\tb\t=\t\"  inner  \"\nc='x'\nd=\"mixed'\n"
                 "e=\"\"\"\"\nf = x = y\n   [ T ]   trailing\ng=1\n");
    IniFile ini(QStringLiteral("a.ini"));
    EXPECT_EQ(ini.readString("S", "a"), "spaced value");
    EXPECT_EQ(ini.readString("S", "b"), "  inner  ");
    EXPECT_EQ(ini.readString("S", "c"), "x");
    EXPECT_EQ(ini.readString("S", "d"), "\"mixed'");
    EXPECT_EQ(ini.readString("S", "e"), "\"\"");
    EXPECT_EQ(ini.readString("S", "f"), "x = y");
    EXPECT_EQ(ini.readString("T", "g"), "1");
}

TEST_F(IniFileTest, IntegersTakeTheLeadingDigitsOrFallBackToTheDefault) {
    put("a.ini",
        "[S]\na=12abc\nb=abc\nc=-3\nd=+4\ne=\nf=   \ng=0\nh= 5 6\ni=\"8\"\nj=- 3\n"
        "k=2147483647\nl=-2147483648\nm=2147483648\nn=99999999999999999999\no=0x10\np=1.9\n");
    const std::pair<const char*, int> expected[] = {
        {"a", 12}, {"b", 99}, {"c", -3}, {"d", 4},  {"e", 99},      {"f", 99},
        {"g", 0},  {"h", 5},  {"i", 8},  {"j", 99}, {"k", INT_MAX}, {"l", INT_MIN},
        {"m", 99}, {"n", 99}, {"o", 0},  {"p", 1},  {"absent", 99}};
    IniFile ini(QStringLiteral("a.ini"));
    for (const auto& [key, value] : expected)
        EXPECT_EQ(ini.readInt("S", key, 99), value) << key;
    EXPECT_FALSE(ini.readBool("S", "g", true));
    EXPECT_TRUE(ini.readBool("S", "e", true)) << "an empty value keeps the default";
}

TEST_F(IniFileTest, WritesKeepEveryOtherLineByteForByte) {
    const QByteArray before = "; top comment\n"
                              "preamble junk line\n"
                              "[Video]\n"
                              "# hash comment\n"
                              "  Width =  640   \n"
                              "garbage without equals\n"
                              "[ unterminated\n"
                              "Height=480\n"
                              "\n"
                              "[Audio]\n"
                              "Rate=44100";
    put("a.ini", before);
    IniFile ini(QStringLiteral("a.ini"));
    EXPECT_EQ(ini.readInt("Video", "Height", 0), 480) << "a broken header starts no section";

    EXPECT_TRUE(ini.writeInt("video", "width", 800));
    EXPECT_TRUE(ini.writeInt("Video", "Fps", 25));
    EXPECT_TRUE(ini.writeInt("Audio", "Channels", 2));
    EXPECT_TRUE(ini.writeString("Extra", "K", "v"));
    EXPECT_EQ(get("a.ini"), "; top comment\n"
                            "preamble junk line\n"
                            "[Video]\n"
                            "# hash comment\n"
                            "  Width =  800\n"
                            "garbage without equals\n"
                            "[ unterminated\n"
                            "Height=480\n"
                            "Fps=25\n"
                            "\n"
                            "[Audio]\n"
                            "Rate=44100\n"
                            "Channels=2\n"
                            "\n"
                            "[Extra]\n"
                            "K=v\n");

    put("b.ini", "[A]\n\n\n[B]\n");
    IniFile b(QStringLiteral("b.ini"));
    EXPECT_TRUE(b.writeInt("A", "k", 1));
    EXPECT_EQ(get("b.ini"), "[A]\nk=1\n\n\n[B]\n");
}

TEST_F(IniFileTest, KeepsCrLfLineEndsAndTheBom) {
    put("a.ini", "\xEF\xBB\xBF[A]\r\nx=1\r\n");
    IniFile ini(QStringLiteral("a.ini"));
    EXPECT_EQ(ini.sections(), QStringList({"A"}));
    EXPECT_EQ(ini.readString("A", "x"), "1");
    EXPECT_TRUE(ini.writeInt("A", "y", 2));
    EXPECT_TRUE(ini.writeInt("B", "z", 3));
    EXPECT_TRUE(ini.writeInt("A", "x", 10));
    EXPECT_EQ(get("a.ini"), "\xEF\xBB\xBF[A]\r\nx=10\r\ny=2\r\n\r\n[B]\r\nz=3\r\n");

    IniFile fresh(QStringLiteral("new.ini"));
    EXPECT_TRUE(fresh.writeString("N", "k", "v"));
    EXPECT_EQ(get("new.ini"), "[N]\nk=v\n");
}

TEST_F(IniFileTest, FirstOfDuplicatesWinsAndDeletesRemoveEveryCopy) {
    put("a.ini", "[A]\nk=1\nK=2\nj=0\n[a]\nk=3\nonly=4\n");
    IniFile ini(QStringLiteral("a.ini"));
    EXPECT_EQ(ini.readInt("A", "k", 0), 1);
    EXPECT_EQ(ini.readInt("A", "only", 0), 0) << "a repeated section is not consulted";
    EXPECT_EQ(ini.sections(), QStringList({"A"}));
    EXPECT_EQ(ini.keys("A"), QStringList({"k", "j"}));

    EXPECT_TRUE(ini.writeInt("A", "k", 5));
    EXPECT_EQ(get("a.ini"), "[A]\nk=5\nK=2\nj=0\n[a]\nk=3\nonly=4\n");
    EXPECT_TRUE(ini.deleteKey("a", "K"));
    EXPECT_EQ(ini.readInt("A", "k", -1), -1);
    EXPECT_EQ(get("a.ini"), "[A]\nj=0\n[a]\nk=3\nonly=4\n");
    EXPECT_TRUE(ini.deleteSection("A"));
    EXPECT_EQ(get("a.ini"), "");
}

TEST_F(IniFileTest, DeleteSectionTakesItsLinesAndLeavesTheRest) {
    put("a.ini", "; c\r\n[A]\r\nx=1\r\n; about A\r\n\r\n[B]\r\nz=3\r\n");
    IniFile ini(QStringLiteral("a.ini"));
    EXPECT_TRUE(ini.deleteSection("a"));
    EXPECT_EQ(get("a.ini"), "; c\r\n[B]\r\nz=3\r\n");
    EXPECT_TRUE(ini.deleteSection("Missing"));
    EXPECT_TRUE(ini.deleteKey("B", "missing"));
    EXPECT_EQ(get("a.ini"), "; c\r\n[B]\r\nz=3\r\n");
}

TEST_F(IniFileTest, RefusedOrFailedWritesLeaveTheFileAsItWas) {
    const QByteArray before = "[S]\nk=v\n";
    put("a.ini", before);
    IniFile ini(QStringLiteral("a.ini"));
    EXPECT_FALSE(ini.writeString("", "k", "v"));
    EXPECT_FALSE(ini.writeString("S\nT", "k", "v"));
    EXPECT_FALSE(ini.writeString("S", " ", "v"));
    EXPECT_FALSE(ini.writeString("S", "a=b", "v"));
    EXPECT_FALSE(ini.writeString("S", ";k", "v"));
    EXPECT_FALSE(ini.writeString("S", "[k", "v"));
    EXPECT_FALSE(ini.writeString("S", "k", "two\nlines"));
    EXPECT_FALSE(ini.writeString("S", "k", "cr\r"));
    EXPECT_EQ(get("a.ini"), before);

    // A folder that cannot be made because a plain file holds its name.
    put("plain", "x");
    IniFile blocked(file("plain") + "/sub/b.ini");
    EXPECT_FALSE(blocked.writeString("S", "k", "v"));
    EXPECT_EQ(get("plain"), "x");

    // Something that is there but cannot be read is never written over.
    ASSERT_TRUE(QDir(dir_.path()).mkdir("folder.ini"));
    IniFile folder(QStringLiteral("folder.ini"));
    EXPECT_EQ(folder.readString("S", "k", "def"), "def");
    EXPECT_FALSE(folder.writeString("S", "k", "v"));
    EXPECT_TRUE(QFileInfo(file("folder.ini")).isDir());
}

TEST_F(IniFileTest, OnlyRegularFilesUpToAMebibyteAreReadAndOddEntriesAreNeverReplaced) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(file("fifo.ini")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(file("fifo.ini"), file("to fifo.ini")));
    ASSERT_TRUE(QFile::link("/dev/zero", file("zero.ini")));
    const QByteArray big = "[S]\nk=v\n" + QByteArray(1 << 20, ';');
    put("big.ini", big);
    put("real.ini", "[S]\nk=v\n");
    ASSERT_TRUE(QFile::link(file("real.ini"), file("to real.ini")));

    for (const char* name : {"fifo.ini", "to fifo.ini", "zero.ini", "big.ini"}) {
        const std::optional<QString> value = readWithin(file(name), std::chrono::seconds(5));
        ASSERT_TRUE(value.has_value()) << name << " blocked";
        EXPECT_EQ(*value, "def") << name;
        EXPECT_FALSE(IniFile(file(name)).writeString("S", "k", "v")) << name;
    }
    EXPECT_EQ(typeOf(file("fifo.ini")), S_IFIFO);
    EXPECT_EQ(QFileInfo(file("to fifo.ini")).symLinkTarget(), file("fifo.ini"));
    EXPECT_EQ(QFileInfo(file("zero.ini")).symLinkTarget(), "/dev/zero");
    EXPECT_TRUE(get("big.ini") == big);

    // A link to a regular file is that file; a write that would outgrow what is read is refused.
    IniFile linked(file("to real.ini"));
    EXPECT_EQ(linked.readString("S", "k"), "v");
    EXPECT_FALSE(linked.writeString("S", "k", QString(1 << 20, u'x')));
    EXPECT_EQ(get("real.ini"), "[S]\nk=v\n");
}

TEST_F(IniFileTest, FullDiskKeepsTheOldFileWhole) {
    const QByteArray before = "[S]\nk=v\n";
    put("a.ini", before);
    ASSERT_TRUE(QFile::setPermissions(file("a.ini"), QFile::ReadOwner | QFile::WriteOwner));
    IniFile ini(QStringLiteral("a.ini"));

    // A file size limit makes every write past 64 bytes fail, as a full disk would, even for root.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = ini.writeString("S", "k", QString(200, u'x'));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(get("a.ini"), before);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList({"a.ini"}))
        << "no temporary file is left behind";
    EXPECT_EQ(ini.readString("S", "k"), "v");

    EXPECT_TRUE(ini.writeString("S", "k", "w"));
    const auto ownerGroupOther = QFile::Permissions(0x7077);
    EXPECT_EQ(QFile::permissions(file("a.ini")) & ownerGroupOther,
              QFile::ReadOwner | QFile::WriteOwner)
        << "replacing the file keeps its permissions";
}

TEST_F(IniFileTest, ReadOnlyFolderOrUnreadableFileRefusesWrites) {
    const QString sub = file("ro");
    const QString path = QDir(sub).filePath("a.ini");
    ASSERT_TRUE(QDir().mkpath(sub));
    const QByteArray before = "[S]\nk=v\n";
    put(path, before);
    const auto restore = qScopeGuard([&] {
        QFile::setPermissions(sub, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    });
    QFile::setPermissions(sub, QFile::ReadOwner | QFile::ExeOwner);
    if (canCreateFileIn(sub))
        GTEST_SKIP() << "permissions are not enforced for this user";

    IniFile ini(path);
    EXPECT_FALSE(ini.writeString("S", "k", "changed"));
    EXPECT_EQ(ini.readString("S", "k"), "v");
    EXPECT_EQ(get(path), before);

    QFile::setPermissions(sub, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(path, QFile::WriteOwner);
    EXPECT_EQ(ini.readString("S", "k", "def"), "def");
    EXPECT_FALSE(ini.writeString("S", "k", "changed"));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(get(path), before);
}

TEST_F(IniFileTest, SeesChangesMadeThroughOtherObjects) {
    IniFile a(QStringLiteral("shared.ini"));
    IniFile b(QStringLiteral("shared.ini"));
    EXPECT_EQ(a.readInt("S", "n", -1), -1);
    for (int n = 0; n < 20; ++n) {
        // Same size, written at once: a size or time check alone would miss these.
        ASSERT_TRUE(b.writeInt("S", "n", n % 10));
        ASSERT_EQ(a.readInt("S", "n", -1), n % 10);
    }
    put("shared.ini", "[S]\nn=7\n");
    EXPECT_EQ(a.readInt("S", "n", -1), 7);

    // Writes start from what is on disk, not from what the object last saw.
    EXPECT_TRUE(a.writeInt("S", "x", 1));
    EXPECT_TRUE(b.writeInt("S", "y", 2));
    EXPECT_TRUE(a.writeInt("S", "z", 3));
    EXPECT_EQ(get("shared.ini"), "[S]\nn=7\nx=1\ny=2\nz=3\n");
}

TEST_F(IniFileTest, ConfigFolderFollowsOverrideThenXdgThenHome) {
    const QString home = file("home");
    const QString homeConfig = QDir(home).filePath(".config/VideoConverter");
    const QString xdgConfig = QDir(file("xdg")).filePath("VideoConverter");
    qputenv("HOME", home.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", file("xdg").toLocal8Bit());
    EXPECT_EQ(configDir(), dir_.path());

    qputenv("VIDEOCONVERTER_CONFIG_DIR", "");
    EXPECT_EQ(configDir(), xdgConfig);
    qunsetenv("VIDEOCONVERTER_CONFIG_DIR");
    EXPECT_EQ(configDir(), xdgConfig);

    qputenv("XDG_CONFIG_HOME", "relative/cfg");
    EXPECT_EQ(configDir(), homeConfig);
    qputenv("XDG_CONFIG_HOME", "");
    EXPECT_EQ(configDir(), homeConfig);
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(configDir(), homeConfig);

    // The first write makes the whole folder chain.
    IniFile ini(QStringLiteral("VideoConverter.ini"));
    EXPECT_EQ(ini.path(), QDir(homeConfig).filePath("VideoConverter.ini"));
    EXPECT_TRUE(ini.writeInt("S", "k", 1));
    EXPECT_TRUE(QFile::exists(ini.path()));
}

TEST_F(IniFileTest, NamesWithAFolderPartAreUsedAsGiven) {
    IniFile blanks(QStringLiteral("pro VideoConverter.ini"));
    EXPECT_EQ(blanks.path(), file("pro VideoConverter.ini"));
    EXPECT_TRUE(blanks.writeString("S", "k", "v"));
    EXPECT_EQ(get("pro VideoConverter.ini"), "[S]\nk=v\n");

    const QString absolute = file("some folder/deeper/x.ini");
    IniFile given(absolute);
    EXPECT_EQ(given.path(), absolute);
    EXPECT_TRUE(given.writeString("S", "k", "v"));
    EXPECT_TRUE(QFile::exists(absolute));

    EXPECT_EQ(IniFile(QStringLiteral("sub/x.ini")).path(), QDir::current().filePath("sub/x.ini"));
}

TEST_F(IniFileTest, CorruptFilesAreReadAsFarAsPossibleAndKept) {
    QByteArray garbage;
    for (int i = 0; i < 512; ++i)
        garbage += char((i * 37 + 11) % 256);
    const char odd[] = "nul\0inside=1\n[\xff\xfe\0\n";
    garbage += QByteArray(odd, sizeof odd - 1);
    const QByteArray longLine(1 << 19, 'x');
    const QByteArray longValue(100000, 'y');
    const QByteArray before = "[A]\nk=1\n" + garbage + "\n" + longLine + "\n[unterminated\n" +
                              "after=2\n[B]\nlong=" + longValue + "\n";
    put("a.ini", before);
    IniFile ini(QStringLiteral("a.ini"));
    EXPECT_EQ(ini.readInt("A", "k", 0), 1);
    EXPECT_EQ(ini.readString("B", "long").size(), longValue.size());
    EXPECT_TRUE(ini.sections().contains("B"));

    EXPECT_TRUE(ini.writeInt("A", "k", 2));
    EXPECT_TRUE(ini.writeInt("B", "new", 3));
    QByteArray expected = before;
    expected.replace("[A]\nk=1\n", "[A]\nk=2\n");
    expected += "new=3\n";
    EXPECT_TRUE(get("a.ini") == expected);
}

TEST_F(IniFileTest, RandomBytesNeverBreakReadsOrLoseData) {
    std::mt19937 random(20240601);
    const char letters[] = "[]=;#\r\n\t \"'\0aAzZ\xc3\x9c\xff";
    const QByteArray alphabet(letters, sizeof letters - 1);
    for (int round = 0; round < 150; ++round) {
        QByteArray bytes;
        const int length = int(random() % 400);
        for (int i = 0; i < length; ++i)
            bytes += random() % 3 ? alphabet[random() % alphabet.size()] : char(random() % 256);
        put("fuzz.ini", bytes);
        IniFile ini(QStringLiteral("fuzz.ini"));
        for (const QString& section : ini.sections())
            for (const QString& key : ini.keys(section))
                (void)ini.readInt(section, key, 0);
        ASSERT_TRUE(ini.writeString("Fuzz Section", "key", "value"));
        EXPECT_EQ(ini.readString("Fuzz Section", "key"), "value") << bytes.toHex().constData();
        EXPECT_TRUE(get("fuzz.ini").startsWith(bytes)) << bytes.toHex().constData();
    }
}

// Names in another encoding than UTF-8 (a Latin-1 "é" is the lone byte 0xe9) keep their bytes
// through text, the INI files, the file system calls and file:// addresses.
TEST_F(IniFileTest, NamesInAnyEncodingKeepTheirBytes) {
    std::mt19937 random(20261208);
    const QList<QByteArray> notable = {"caf\xe9",          "\xc3\xa9",     "\xc0\x80",
                                       "\xed\xa0\x80",     "\xed\xb2\x80", "\xf4\x90\x80\x80",
                                       "\xf0\x9f\x8e\xac", "\xe2\x82",     "\xff\xfe"};
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes = notable.value(round);
        for (int i = 0, n = int(random() % 12); bytes.isEmpty() && i < n; ++i)
            bytes += char(0x7f + random() % 0x81);
        const QString text = nameFromBytes(bytes);
        ASSERT_EQ(nameBytes(text), bytes) << bytes.toHex().constData();
        if (QUtf8StringView(bytes).isValidUtf8() && !bytes.contains('\xed')) {
            EXPECT_EQ(text, QString::fromUtf8(bytes)) << bytes.toHex().constData();
        }
    }

    const QByteArray folder = QFile::encodeName(dir_.path()) + "/out caf\xe9";
    const auto cleanUp = qScopeGuard([&] { test::removeTree(folder); });
    const QByteArray settings = "[output]\npath=" + folder + "\n[profiles]\nselcetsubindex=3\n";
    put("settings.ini", settings);
    IniFile ini(QStringLiteral("settings.ini"));
    const QString path = ini.readString("output", "path");
    EXPECT_EQ(nameBytes(path), folder);
    ASSERT_TRUE(ini.writeString("profiles", "selcetsubindex", "4"));
    ASSERT_TRUE(ini.writeString("output", "path", path));
    EXPECT_EQ(get("settings.ini"), "[output]\npath=" + folder + "\n[profiles]\nselcetsubindex=4\n");

    ASSERT_TRUE(makeFolderPath(path + "/inner"));
    EXPECT_TRUE(isFolderPath(path));
    struct stat st {};
    EXPECT_EQ(::stat((folder + "/inner").constData(), &st), 0);
    EXPECT_EQ(folderEntryNames(path), QStringList{"inner"});
    EXPECT_TRUE(folderEntryNames(dir_.path()).contains(nameFromBytes("out caf\xe9")));
    // As a file dialog hands it back.
    EXPECT_EQ(entryMeant(QString::fromUtf8(folder + "/inner")), path + "/inner");
    EXPECT_EQ(pathOfFileUrl(fileUrlOf(path)), path);
    EXPECT_TRUE(fileUrlOf(path).toEncoded().endsWith("/out%20caf%E9"));
}

} // namespace
