// Damaged files beside the program and in the settings folder: the program says what is wrong
// or carries on with defaults, and never writes over the user's stored choices.
#include "FaultFixture.h"

#include "common/SkinFacets.h"
#include "shell/TSkin.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRandomGenerator>

using namespace vc;

namespace {

QByteArray garbage(int size, quint32 seed) {
    QByteArray bytes(size, '\0');
    QRandomGenerator random(seed);
    for (char& c : bytes)
        c = static_cast<char>(random.bounded(256));
    return bytes;
}

struct Damage {
    const char* name;
    QByteArray bytes;
};

// Empty, cut short, noise, and noise that looks like lines.
QList<Damage> damagesOf(const QByteArray& good) {
    return {{"empty", {}},
            {"truncated", good.left(good.size() / 3)},
            {"cut mid-line", good.left(good.indexOf('\n', good.size() / 2) + 7)},
            {"noise", garbage(4096, 7)},
            {"noisy lines", garbage(2048, 11).replace('\0', '\n')}};
}

class DataFaultTest : public FaultTest {
protected:
    void SetUp() override {
        FaultTest::SetUp();
        source = clip("a.mpg");
    }
    QString programFile(const QString& name) const { return QDir(folder.path()).filePath(name); }
    // Starts the window on the damaged folder.
    Tfm_main& restart() {
        program.reset();
        dialogs.shown.clear();
        QDir(out).removeRecursively();
        QDir().mkpath(out);
        return open();
    }
    // The window came up and converts as usual.
    void expectWorking(Tfm_main& main, const char* what) {
        SCOPED_TRACE(what);
        ASSERT_TRUE(main.settingsLoaded()) << dialogs.texts().join('|').toStdString();
        add(main, {source});
        ASSERT_EQ(main.sources()->rows(), 1);
        main.ed_output()->setText(out);
        ASSERT_TRUE(convert(main));
        EXPECT_EQ(status(main, 0), "Finish");
        EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 1);
    }
    // The window refused to start, said why, and went away.
    void expectRefused(Tfm_main& main, const QString& naming, const char* what) {
        SCOPED_TRACE(what);
        EXPECT_FALSE(main.settingsLoaded());
        ASSERT_FALSE(dialogs.shown.isEmpty());
        EXPECT_TRUE(dialogs.shown.last().text.contains(naming))
            << dialogs.texts().join('|').toStdString();
        QApplication::processEvents();
        EXPECT_FALSE(main.isVisible());
    }

    QString source;
};

} // namespace

// A profile whose group is missing or damaged is refused by name, in the window and in batch
// mode, and converts nothing; the stored choices stay.
TEST_F(DataFaultTest, DamagedProfileDataNeverCostsTheStoredChoices) {
    const QByteArray good = test::readBytes(programFile("profiles.pop"));
    QList<Damage> damages = damagesOf(good);
    // Numbers that are no rates, sizes without a height, an option with an open quote.
    QByteArray absurd = good;
    absurd.replace("320x240 176x144 352x288 640x480", "0x0 x 99999999x99999999 abc");
    absurd.replace("256 384 512 768 1024", "-5 x 1e99 0 99999999999");
    absurd.replace("-vcodec msmpeg4 -acodec wmav2", "-vcodec \"msmpeg4 -acodec wmav2");
    damages.append({"absurd values", absurd});
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        ASSERT_TRUE(test::writeBytes(programFile("profiles.pop"), damage.bytes));
        // Cut after a third or more, profiles 1 and 2 are whole; absurd values spoil only 1.
        const QByteArrayView name(damage.name);
        const bool firstWhole = name.startsWith("cut") || name == "truncated";
        const bool secondWhole = firstWhole || name == "absurd values";
        Tfm_main& main = restart();
        ASSERT_TRUE(main.settingsLoaded());
        add(main, {source});
        ASSERT_EQ(main.sources()->rows(), 1);
        main.selectProfile(2);
        main.selectProfile(1);
        ASSERT_TRUE(convert(main)) << "the batch never ended";
        EXPECT_EQ(status(main, 0), secondWhole ? "Finish" : "Status");
        EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), secondWhole ? 1 : 0);
        EXPECT_TRUE(firstWhole || messages().last().startsWith(
                                      "The profile \"ASF-Advanced Streaming Format(*.asf)\""))
            << messages().join('|').toStdString();
        main.close();
        // Profile 2's choice joins the store once in force, as 2 stays when 1 is refused.
        QByteArray settings = settingsBytes;
        if (secondWhole && !firstWhole)
            settings.replace("selcetsubindex=1", "selcetsubindex=2");
        EXPECT_EQ(test::readBytes(settingsPath()).toStdString(), settings.toStdString());
        const QByteArray store = test::readBytes(parameterPath());
        EXPECT_TRUE(secondWhole ? store.startsWith(parameterBytes + "\n[2]\n")
                                : store == parameterBytes)
            << store.toStdString();
        ASSERT_TRUE(test::writeBytes(parameterPath(), parameterBytes));
    }
    // Cut short, the file lacks the newer profiles' groups: none converts without its codec.
    ASSERT_TRUE(test::writeBytes(programFile("profiles.pop"), good.left(good.size() / 3)));
    const test::ProcessResult batch = test::runProcess(
        programFile("VideoConverter"), {"--convert", "--profile", "133", "--output", out, source});
    EXPECT_EQ(batch.exitCode, 1);
    EXPECT_TRUE(batch.output.endsWith(
        ("The profile \"MP4 - H.265/HEVC Video(*.mp4)\" cannot be used: its settings in " +
         programFile("profiles.pop") + " are missing or damaged.\n")
            .toUtf8()))
        << batch.output.toStdString();

    // A data file that cannot be read at all is reported by name, and nothing converts.
    ASSERT_TRUE(QFile::remove(programFile("profiles.pop")));
    ASSERT_TRUE(QDir().mkdir(programFile("profiles.pop")));
    Tfm_main& main = restart();
    ASSERT_FALSE(dialogs.shown.isEmpty());
    EXPECT_TRUE(dialogs.texts().first().contains("profiles.pop"))
        << dialogs.texts().first().toStdString();
    add(main, {source});
    ASSERT_EQ(main.sources()->rows(), 1);
    ASSERT_TRUE(convert(main)) << "the batch never ended";
    EXPECT_EQ(status(main, 0), "Status");
    EXPECT_TRUE(messages().last().contains("profiles.pop")) << messages().last().toStdString();
    EXPECT_TRUE(QDir(out).isEmpty());
    main.close();
    expectSettingsKept();
}

TEST_F(DataFaultTest, DamagedLayoutAndSkinFiles) {
    const QByteArray layout = test::readBytes(programFile("Skin.ini"));
    QList<Damage> layouts = damagesOf(layout);
    QByteArray absurd = layout;
    absurd.replace("=", "=-99999999999");
    layouts.append({"absurd values", absurd});
    for (const Damage& damage : layouts) {
        ASSERT_TRUE(test::writeBytes(programFile("Skin.ini"), damage.bytes));
        Tfm_main& main = restart();
        expectWorking(main, damage.name);
        main.close();
        expectSettingsKept();
    }
    ASSERT_TRUE(test::writeBytes(programFile("Skin.ini"), layout));

    const QByteArray skin = test::readBytes(programFile("skn.skn"));
    for (const Damage& damage : damagesOf(skin)) {
        ASSERT_TRUE(test::writeBytes(programFile("skn.skn"), damage.bytes));
        Tfm_main& main = restart();
        expectRefused(main, "skn.skn", damage.name);
        expectSettingsKept();
    }
}

TEST_F(DataFaultTest, DamagedTextTableAndProductLinks) {
    const QByteArray texts = test::readBytes(programFile("language.info"));
    for (const Damage& damage : damagesOf(texts)) {
        ASSERT_TRUE(test::writeBytes(programFile("language.info"), damage.bytes));
        Tfm_main& main = restart();
        expectWorking(main, damage.name);
        // Hovers and refusals still look their texts up.
        emit main.skin()->OnMouseMove(main.skin()->skinObject(&main)->findChild("browse"), 1, 1);
        main.setConverting(true);
        main.openPicker();
        main.setConverting(false);
        main.close();
        expectSettingsKept();
    }
    // A missing table is reported by name: for hovers once, for a refused command each time.
    ASSERT_TRUE(QFile::remove(programFile("language.info")));
    {
        Tfm_main& main = restart();
        ASSERT_TRUE(main.settingsLoaded());
        for (int i = 0; i < 3; ++i)
            emit main.skin()->OnMouseMove(main.skin()->skinObject(&main)->findChild("browse"), 1,
                                          1);
        ASSERT_EQ(dialogs.shown.size(), 1);
        EXPECT_TRUE(dialogs.texts().first().contains("language.info"));
        main.setConverting(true);
        main.openPicker();
        main.openPicker();
        main.setConverting(false);
        EXPECT_EQ(dialogs.shown.size(), 3);
        EXPECT_FALSE(main.control("pl_main")->isVisible());
        main.close();
        expectSettingsKept();
    }
    ASSERT_TRUE(test::writeBytes(programFile("language.info"), texts));

    const QByteArray links = test::readBytes(programFile("softinfo.dat"));
    QList<Damage> damages = damagesOf(links);
    // The right name with length bytes that overrun every field.
    QByteArray overrun = links.left(484);
    for (int at : {31, 182, 333})
        overrun[at] = static_cast<char>(255);
    damages.append({"overrunning lengths", overrun + garbage(100, 3)});
    for (const Damage& damage : damages) {
        ASSERT_TRUE(test::writeBytes(programFile("softinfo.dat"), damage.bytes));
        Tfm_main& main = restart();
        SCOPED_TRACE(damage.name);
        ASSERT_TRUE(main.settingsLoaded());
        main.openWebPage();
        main.openSupportPage();
        for (const QString& url : shell.urls)
            EXPECT_TRUE(isOpenableAddress(url)) << url.toStdString();
        shell.urls.clear();
        main.close();
        expectSettingsKept();
    }
}

TEST_F(DataFaultTest, DamagedSettingsFallBackToDefaultsAndKeepWhatCanBeRead) {
    // Values that are out of every range: the choices fall back to their defaults.
    ASSERT_TRUE(test::writeBytes(settingsPath(),
                                 "[output]\npath=" + out.toUtf8() +
                                     "\n[profiles]\nselcetsubindex=99999999999\nselcetindex=-3\n"
                                     "FinishSelcet=9\n[plane]\nvideo=abc\naudio=-1\n"));
    ASSERT_TRUE(test::writeBytes(parameterPath(), "[1]\nsize=abc\nvideo bitrate=99\n"
                                                  "audio bitrate=-2\nChannel=7\n"));
    {
        Tfm_main& main = restart();
        EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.texts().join('|').toStdString();
        EXPECT_EQ(main.selectedProfile(), 1);
        main.openPicker();
        main.closePicker();
        expectWorking(main, "out of range");
        EXPECT_TRUE(shell.folders.isEmpty());
        EXPECT_EQ(shell.powerOffs, 0);
        main.close();
    }

    // Noise in either file: defaults, and a conversion still runs.
    for (const Damage& damage : damagesOf(settingsBytes)) {
        storeSettings(out);
        ASSERT_TRUE(test::writeBytes(settingsPath(), damage.bytes));
        ASSERT_TRUE(test::writeBytes(parameterPath(), garbage(1024, 5)));
        Tfm_main& main = restart();
        expectWorking(main, damage.name);
        main.close();
    }

    // A file cut short keeps what it still holds.
    storeSettings(out);
    ASSERT_TRUE(test::writeBytes(settingsPath(), "[output]\npath=" + out.toUtf8() +
                                                     "\n[profiles]\nselcetsubindex=8\nselcetin"));
    Tfm_main& main = restart();
    EXPECT_EQ(main.selectedProfile(), 8);
    EXPECT_EQ(main.ed_output()->text(), out);
    main.close();
    EXPECT_TRUE(test::readBytes(settingsPath()).contains("selcetsubindex=8\n"));
    EXPECT_TRUE(test::readBytes(parameterPath()).startsWith(parameterBytes));
}

TEST_F(DataFaultTest, StoredNumbersThatNameNothingFallBackToTheDefaults) {
    struct Stored {
        QByteArray profile, category, action;
    };
    // Out of every table, just past each end, and profiles whose buttons do not select.
    for (const Stored& stored :
         {Stored{"999", "15", "3"}, Stored{"2", "0", "-1"}, Stored{"13", "99", "4"}}) {
        SCOPED_TRACE(stored.profile.toStdString());
        const QByteArray text =
            "[output]\npath=" + out.toUtf8() + "\n[profiles]\nselcetsubindex=" + stored.profile +
            "\nselcetindex=" + stored.category + "\nFinishSelcet=" + stored.action + "\n";
        ASSERT_TRUE(test::writeBytes(settingsPath(), text));

        // Batch mode reads the same file and leaves it alone.
        QProcess batch;
        batch.start(programFile("VideoConverter"),
                    {"--convert", "--output", QDir(config.path()).filePath("batch"), source});
        ASSERT_TRUE(batch.waitForFinished(120000));
        const QString said = QString::fromUtf8(batch.readAllStandardOutput());
        EXPECT_EQ(batch.exitCode(), 0) << batch.readAllStandardError().toStdString();
        EXPECT_TRUE(said.startsWith("Profile 1: ")) << said.toStdString();
        EXPECT_EQ(test::readBytes(settingsPath()), text);

        Tfm_main& main = restart();
        EXPECT_EQ(main.selectedProfile(), 1);
        EXPECT_EQ(main.category(), 1);
        EXPECT_EQ(main.finishAction(), 0);
        for (const char* name : {"cb_size", "cb_videobitrate", "cb_audiobitrate"}) {
            const auto* box = static_cast<QComboBox*>(main.control(name));
            EXPECT_GT(box->count(), 0) << name;
            EXPECT_GE(box->currentIndex(), 0) << name;
        }
        main.openPicker();
        EXPECT_TRUE(main.control("pl_video1")->isVisible());
        main.closePicker();
        expectWorking(main, "fallen back");
        main.close();
        const QByteArray saved = test::readBytes(settingsPath());
        for (const char* line : {"selcetsubindex=1\n", "selcetindex=1\n", "FinishSelcet=0\n"})
            EXPECT_TRUE(saved.contains(line)) << line << saved.toStdString();
    }
}

TEST_F(DataFaultTest, MissingBitmapsAreNamedAndNothingIsWritten) {
    for (const char* bitmap :
         {"images/bt_startD.bmp", "images/main/move/img_hd.bmp", "images/sub/general/8.bmp"}) {
        const QString path = programFile(bitmap);
        ASSERT_TRUE(QFile::exists(path)) << bitmap;
        const QByteArray bytes = test::readBytes(path);
        ASSERT_TRUE(QFile::remove(path));
        Tfm_main& main = restart();
        expectRefused(main, QFileInfo(path).fileName(), bitmap);
        expectSettingsKept();
        ASSERT_TRUE(test::writeBytes(path, bytes));
    }
    // The title bitmap is optional: without it the title panel is hidden.
    ASSERT_TRUE(QFile::remove(programFile("images/main/VideoConverter.bmp")) ||
                !QFile::exists(programFile("images/main/VideoConverter.bmp")));
    Tfm_main& main = restart();
    EXPECT_TRUE(main.settingsLoaded());
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.texts().join('|').toStdString();
    main.close();
    expectSettingsKept();
}
