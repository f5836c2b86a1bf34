#include "TestSupport.h"
#include "ToolRun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using namespace vc::test;

namespace {

class DvdTest : public ::testing::Test {
protected:
    // Authoring is slow: one disc and one image serve every test.
    static void SetUpTestSuite() {
        dir = new QTemporaryDir;
        disc = authorDvd(dir->path(), QStringLiteral("HOLIDAY"),
                         {3, 5, {QStringLiteral("en"), QStringLiteral("fr")}});
        image = makeDvdImage(disc, QDir(dir->path()).filePath("holiday.iso"), "HOLIDAY");
    }
    static void TearDownTestSuite() { delete dir; }

    static QString path(const QString& name) { return QDir(dir->path()).filePath(name); }

    // A copy of the disc folder to damage.
    static QString copyOfDisc(const QString& name) {
        const QString copy = path(name);
        QDir().mkpath(copy + "/VIDEO_TS");
        for (const QString& file : QDir(disc + "/VIDEO_TS").entryList(QDir::Files))
            EXPECT_TRUE(QFile::copy(disc + "/VIDEO_TS/" + file, copy + "/VIDEO_TS/" + file));
        return copy;
    }

    static double seconds(const QString& file) {
        const ProcessResult r = runProcess(
            "ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", file});
        return r.output.trimmed().toDouble();
    }

    static QString audioLanguage(const QString& file) {
        const ProcessResult r =
            runProcess("ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries",
                                   "stream_tags=language", "-of", "csv=p=0", file});
        return QString::fromUtf8(r.output.trimmed());
    }

    // The frame at `at` seconds, gray, 88x72.
    static QByteArray frameAt(const QString& file, double at) {
        return runProcess("ffmpeg",
                          {"-v", "error", "-ss", QString::number(at), "-i", file, "-frames:v", "1",
                           "-s", "88x72", "-f", "rawvideo", "-pix_fmt", "gray", "-"})
            .output;
    }

    static double difference(const QByteArray& a, const QByteArray& b) {
        if (a.size() != b.size() || a.isEmpty())
            return 255;
        double sum = 0;
        for (qsizetype i = 0; i < a.size(); ++i)
            sum += std::abs(static_cast<unsigned char>(a[i]) - static_cast<unsigned char>(b[i]));
        return sum / static_cast<double>(a.size());
    }

    static inline QTemporaryDir* dir = nullptr;
    static inline QString disc;
    static inline QString image;
};

TEST_F(DvdTest, ListsAndProbesTitlesOfAFolderItsVideoTsAndAnImage) {
    for (const QString& source : {disc, disc + "/VIDEO_TS", image}) {
        const ToolRun run = runTool({"--list-titles", source});
        ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
        const QString text = QString::fromUtf8(run.out);
        EXPECT_TRUE(text.startsWith("Disc: HOLIDAY\r\n")) << text.toStdString();
        EXPECT_TRUE(text.contains("Title 1: 00:00:03.00, 352x288\r\n"
                                  "    Audio 1: English, AC-3, Stereo\r\n"
                                  "    Audio 2: French, AC-3, Stereo\r\n"
                                  "    Subtitle 1: English\r\n"
                                  "Title 2: 00:00:05.00, 352x288\r\n"
                                  "    Audio 1: English, AC-3, Stereo\r\n"))
            << text.toStdString();
    }
    const ProbeReading probe = readProbe(runTool({"-i", "dvd://2" + image}).out.toStdString());
    EXPECT_EQ(probe.duration, "00:00:05");
    EXPECT_EQ(probe.resolution, "352x288");
    EXPECT_EQ(probe.audioFormat, "ac3");
    EXPECT_EQ(probe.channels, " stereo");
    EXPECT_FALSE(probe.bitrate.empty());
    EXPECT_NE(runTool({"-i", "dvd://3" + disc}).exitCode, 0);
}

TEST_F(DvdTest, ConvertsTheChosenAudioWithTheSubtitleBurnedInAndCutsInsideATitle) {
    const QString plain = path("plain.mp4");
    const QString chosen = path("chosen.mp4");
    ToolRun run = runTool({"-y", "-i", "dvd://1" + disc, "-sn", plain});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    run = runTool(
        {"-y", "-i", "dvd://1" + disc, "-dvd-audio", "2", "-dvd-subtitle", "1", "-sn", chosen});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_NEAR(seconds(chosen), 3, 0.3);
    EXPECT_EQ(audioLanguage(plain), "eng");
    EXPECT_EQ(audioLanguage(chosen), "fre");
    // The subtitle shows from 1 s to 3 s only.
    EXPECT_GT(difference(frameAt(plain, 2), frameAt(chosen, 2)), 1.0);
    EXPECT_LT(difference(frameAt(plain, 0.5), frameAt(chosen, 0.5)), 1.0);

    const QString whole = path("whole.mp4");
    const QString cut = path("cut.mp4");
    ASSERT_EQ(runTool({"-y", "-i", "dvd://2" + image, "-sn", whole}).exitCode, 0);
    run = runTool({"-y", "-i", "dvd://2" + image, "-ss", "00:00:02.5", "-t", "1.5", "-sn", cut});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_NEAR(seconds(cut), 1.5, 0.2);
    EXPECT_LT(difference(frameAt(cut, 0), frameAt(whole, 2.5)), 3.0);
    EXPECT_FALSE(reportedTimes(run.out.toStdString()).empty());

    // A still picture, as the preview's poster asks for it, takes no sound.
    run = runTool({"-y", "-i", "dvd://2" + image, "-ss", "00:00:02", "-t", "0.01", "-f", "image2",
                   "-sn", path("still.bmp")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_LT(difference(frameAt(path("still.bmp"), 0), frameAt(whole, 2)), 3.0);
}

TEST_F(DvdTest, RefusesEncryptedDamagedIncompleteAndEmptyDiscs) {
    const QString encrypted = copyOfDisc("encrypted");
    QFile vob(encrypted + "/VIDEO_TS/VTS_01_1.VOB");
    ASSERT_TRUE(vob.open(QIODevice::ReadWrite));
    QByteArray data = vob.readAll();
    // Marks every pack's payload scrambled, as a disc read without its keys shows it.
    for (qsizetype pack = 0; pack + 2048 <= data.size(); pack += 2048) {
        const qsizetype pes = pack + 14 + (data[pack + 13] & 7);
        const auto id = static_cast<unsigned char>(data[pes + 3]);
        if (id == 0xbd || (id >= 0xc0 && id <= 0xef))
            data[pes + 6] = static_cast<char>(data[pes + 6] | 0x10);
    }
    vob.seek(0);
    vob.write(data);
    vob.close();

    const QString damaged = copyOfDisc("damaged");
    QFile ifo(damaged + "/VIDEO_TS/VTS_01_0.IFO");
    ASSERT_TRUE(ifo.open(QIODevice::ReadWrite));
    ifo.seek(200);
    ifo.write(QByteArray(64, '\x5a'));
    ifo.close();

    const QString incomplete = copyOfDisc("incomplete");
    QFile::remove(incomplete + "/VIDEO_TS/VTS_01_1.VOB");
    const QString empty = path("empty");
    QDir().mkpath(empty);

    const std::pair<QString, QString> cases[] = {
        {encrypted, "This disc is encrypted and cannot be read."},
        {damaged, "The disc's title information is damaged and cannot be read."},
        {incomplete, "The disc's video files are missing or incomplete."},
        {empty, "No DVD-Video disc was found here."}};
    for (const auto& [source, message] : cases) {
        for (const QStringList& args :
             {QStringList{"--list-titles", source}, QStringList{"-i", "dvd://1" + source},
              QStringList{"-y", "-i", "dvd://1" + source, path("out.mp4")}}) {
            const ToolRun run = runTool(args);
            EXPECT_NE(run.exitCode, 0) << args.join(' ').toStdString();
            EXPECT_TRUE(run.out.contains(message.toUtf8()))
                << args.join(' ').toStdString() << ": " << run.out.toStdString();
        }
    }
}

} // namespace
