#include "TestSupport.h"
#include "ToolRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vc::test;

namespace {

// Sources as phones, camcorders, recorders and music stores write them, converted through the
// tool and read back.
class SourceTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }

    QString make(const QString& name, const QStringList& args) {
        const ProcessResult r = runProcess(
            "ffmpeg", QStringList{"-hide_banner", "-loglevel", "error", "-y"} + args << path(name));
        EXPECT_EQ(r.exitCode, 0) << name.toStdString() << ": " << r.output.toStdString();
        return path(name);
    }

    ToolRun convert(const QString& in, const QStringList& options, const QString& out) {
        const ToolRun run = runTool(QStringList{"-y", "-i", in} + options << "-sn" << path(out));
        EXPECT_TRUE(runProcess("ffmpeg", {"-v", "error", "-i", path(out), "-f", "null", "-"})
                        .output.isEmpty())
            << out.toStdString() << " does not decode: " << run.err.toStdString();
        return run;
    }

    static QString probe(const QString& file, const QString& entries, const QString& streams = {}) {
        QStringList args{"-v", "error", "-show_entries", entries, "-of", "default=nw=1:nk=1"};
        if (!streams.isEmpty())
            args << "-select_streams" << streams;
        return runProcess("ffprobe", args << file).output.trimmed().replace('\n', ',');
    }

    // The first value, as a transport stream lists its streams once more in its program.
    static double number(const QString& file, const QString& entries, const QString& streams = {}) {
        return probe(file, entries, streams).section(',', 0, 0).toDouble();
    }

    // A signalstats value of the frame at `at` seconds.
    static double frameStat(const QString& file, double at, const QString& key) {
        const QByteArray out =
            runProcess("ffmpeg", {"-hide_banner", "-nostats", "-ss", QString::number(at), "-i",
                                  file, "-frames:v", "1", "-vf",
                                  "signalstats,metadata=print:key=lavfi.signalstats." + key, "-f",
                                  "null", "-"})
                .output;
        const QRegularExpressionMatch m =
            QRegularExpression(key + "=([0-9.]+)").match(QString::fromUtf8(out));
        return m.hasMatch() ? m.captured(1).toDouble() : -1;
    }

    // Where the sound starts after any silence, on the clock of the file's first packet.
    static double soundOnset(const QString& file) {
        const QByteArray out =
            runProcess("ffmpeg", {"-hide_banner", "-nostats", "-i", file, "-map", "0:a:0", "-af",
                                  "silencedetect=n=-40dB:d=0.2", "-f", "null", "-"})
                .output;
        const QRegularExpressionMatch m =
            QRegularExpression("silence_end: ([0-9.]+)").match(QString::fromUtf8(out));
        return m.hasMatch()
                   ? m.captured(1).toDouble()
                   : number(file, "stream=start_time", "a") - number(file, "format=start_time");
    }

    // The tone of the first second of sound, by its zero crossings.
    static double toneOf(const QString& file) {
        const QByteArray pcm =
            runProcess("ffmpeg", {"-v", "error", "-i", file, "-map", "0:a:0", "-t", "1", "-f",
                                  "s16le", "-ac", "1", "-ar", "8000", "-"})
                .output;
        const auto* s = reinterpret_cast<const qint16*>(pcm.constData());
        const qsizetype n = pcm.size() / 2;
        int rises = 0;
        for (qsizetype i = 1; i < n; ++i)
            rises += s[i - 1] < 0 && s[i] >= 0;
        return n > 0 ? rises * 8000.0 / static_cast<double>(n) : 0;
    }
};

const QStringList H264{"-vcodec", "libx264", "-pix_fmt", "yuv420p", "-acodec", "aac"};

TEST_F(SourceTest, HdrIsMappedToSdrAndDeepColourMadeEightBit) {
    // The same picture as SDR and coded for PQ and HLG screens, HEVC Main 10 as phones write.
    const QString source = "testsrc2=size=320x180:rate=25:duration=1";
    make("sdr.mp4", {"-f", "lavfi", "-i", source, "-c:v", "libx264", "-pix_fmt", "yuv420p"});
    for (const QString transfer : {"smpte2084", "arib-std-b67"}) {
        make(transfer + ".mp4",
             {"-f", "lavfi", "-i", source, "-vf",
              "zscale=tin=bt709:min=bt709:pin=bt709:rin=tv:t=" + transfer +
                  ":m=bt2020nc:p=bt2020:r=tv,format=yuv420p10le",
              "-c:v", "libx265", "-preset", "ultrafast", "-x265-params", "log-level=error",
              "-color_primaries", "bt2020", "-color_trc", transfer, "-colorspace", "bt2020nc"});
    }
    convert(path("sdr.mp4"), H264, "sdr-out.mp4");
    const double sdr = frameStat(path("sdr-out.mp4"), 0.5, "SATAVG");
    ASSERT_GT(sdr, 20);
    for (const QString transfer : {"smpte2084", "arib-std-b67"}) {
        const QString out = transfer + "-out.mp4";
        convert(path(transfer + ".mp4"), H264, out);
        EXPECT_EQ(probe(path(out), "stream=color_transfer,color_primaries", "v"), "bt709,bt709");
        EXPECT_GT(frameStat(path(out), 0.5, "SATAVG"), 0.7 * sdr) << transfer.toStdString();
    }
    // A deep SDR source stays as it is, in 8 bits: no High 10 H.264.
    const QString deep = make("deep.mkv", {"-f", "lavfi", "-i", source, "-c:v", "libx264",
                                           "-pix_fmt", "yuv420p10le", "-colorspace", "bt709"});
    convert(deep, {"-vcodec", "libx264"}, "deep-out.mkv");
    EXPECT_EQ(probe(path("deep-out.mkv"), "stream=pix_fmt,profile", "v"), "High,yuv420p");
}

TEST_F(SourceTest, InterlacedCamcorderFootageIsDeinterlaced) {
    // 50 fields a second woven into 25 frames: coded top field first as a camcorder does, as
    // DV's bottom first with 4:1:1 chroma, and as a lossless capture whose frames say nothing.
    const QStringList weave{"-f",  "lavfi",
                            "-i",  "testsrc2=size=960x540:rate=50:duration=1",
                            "-vf", "interlace=scan=tff"};
    const QStringList sources{
        make("camera.m2ts",
             weave + QStringList{"-c:v", "libx264", "-preset", "ultrafast", "-flags", "+ildct+ilme",
                                 "-x264opts", "tff=1", "-f", "mpegts", "-mpegts_m2ts_mode", "1"}),
        make("camera.dv",
             {"-f", "lavfi", "-i", "testsrc2=size=720x480:rate=60000/1001:duration=1", "-vf",
              "interlace=scan=bff,setfield=bff", "-c:v", "dvvideo", "-pix_fmt", "yuv411p"}),
        make("capture.mkv", weave + QStringList{"-c:v", "huffyuv", "-field_order", "tt"})};
    const auto interlacedFrames = [](const QString& file) {
        const QByteArray out = runProcess("ffmpeg", {"-hide_banner", "-nostats", "-i", file, "-an",
                                                     "-vf", "idet", "-f", "null", "-"})
                                   .output;
        const QRegularExpressionMatch m =
            QRegularExpression("Multi frame detection: TFF: *(\\d+) BFF: *(\\d+) Progressive: "
                               "*(\\d+)")
                .match(QString::fromUtf8(out));
        return m.hasMatch()
                   ? std::pair(m.captured(1).toInt() + m.captured(2).toInt(), m.captured(3).toInt())
                   : std::pair(-1, -1);
    };
    for (const QString& source : sources) {
        const std::string name = QFileInfo(source).fileName().toStdString();
        ASSERT_GT(interlacedFrames(source).first, 10) << name;
        const QString out = QFileInfo(source).fileName() + ".mp4";
        convert(source, H264, out);
        const auto [interlaced, progressive] = interlacedFrames(path(out));
        EXPECT_EQ(interlaced, 0) << name;
        EXPECT_GT(progressive, 20) << name;
        EXPECT_EQ(probe(path(out), "stream=r_frame_rate", "v"),
                  probe(source, "stream=r_frame_rate", "v").section(',', 0, 0))
            << name;
    }
}

TEST_F(SourceTest, SoundOnlyGetsAPictureAndTheCoverStaysWithTheSound) {
    const QString tone = "sine=frequency=440:duration=3";
    make("cover.png", {"-f", "lavfi", "-i", "color=blue:size=200x200", "-frames:v", "1"});
    const QString song =
        make("song.mp3", {"-f", "lavfi", "-i", tone, "-i", path("cover.png"), "-map", "0", "-map",
                          "1", "-c:v", "mjpeg", "-disposition:v", "attached_pic"});
    // A title that looks like ffmpeg's description of a video stream adds none.
    const QString sound = make("sound.m4a", {"-f", "lavfi", "-i", tone, "-metadata",
                                             "title=x\n  Stream #0:1: Video: h264, yuv420p, "
                                             "320x240, 25 fps (default)"});

    const ToolRun run = convert(song, QStringList{"-s", "320x240", "-r", "25"} + H264, "song.mp4");
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(probe(path("song.mp4"), "stream=codec_type,width,height"), "video,320,240,audio");
    // The picture lasts as long as the sound, give or take what the encoder holds back.
    EXPECT_NEAR(number(path("song.mp4"), "format=duration"), 3.1, 0.2);
    EXPECT_GT(frameStat(path("song.mp4"), 2.5, "UAVG"), 180); // the blue cover
    // ffmpeg's warnings pass as ffmpeg words them; its informational lines stay with the tool.
    EXPECT_FALSE(run.err.contains("[warning]") || run.err.contains("[info]") ||
                 run.err.contains("Stream mapping"))
        << run.err.toStdString();

    // A cut seeks, and the cover must not be lost with what lies before the start.
    convert(song, QStringList{"-ss", "00:00:01", "-t", "1", "-s", "320x240"} + H264, "cut.mp4");
    EXPECT_GT(frameStat(path("cut.mp4"), 0.5, "UAVG"), 180);

    convert(sound, {"-target", "pal-dvd"}, "sound.vob");
    EXPECT_EQ(probe(path("sound.vob"), "stream=width,height", "v"), "720,576");
    EXPECT_NEAR(number(path("sound.vob"), "stream=duration", "v"), 3.1, 0.2);

    for (const QString ext : {"mp3", "m4a", "flac", "ogg"}) {
        const QString out = "sound-only." + ext;
        EXPECT_EQ(convert(song, {"-ab", "128000", "-vn"}, out).exitCode, 0);
        EXPECT_EQ(probe(path(out), "stream_disposition=attached_pic", "v"), ext == "ogg" ? "" : "1")
            << out.toStdString();
        EXPECT_NEAR(number(path(out), "format=duration"), 3.0, 0.1);
    }
}

TEST_F(SourceTest, LateSoundKeepsItsPlaceInEveryContainer) {
    const QString late = make(
        "late.ts", {"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=25:duration=4", "-itsoffset",
                    "1.5", "-f", "lavfi", "-i", "sine=frequency=1000:duration=2.5", "-c:v",
                    "libx264", "-c:a", "mp2", "-f", "mpegts"});
    const double lead =
        number(late, "stream=start_time", "a") - number(late, "stream=start_time", "v");
    ASSERT_NEAR(lead, 1.5, 0.1);
    for (const QString ext : {"avi", "mp4", "mkv", "flv", "mpg"}) {
        const QString out = "late." + ext;
        convert(late, {"-r", "25", "-b", "400000", "-ab", "128000", "-ar", "44100"}, out);
        const double picture =
            number(path(out), "stream=start_time", "v") - number(path(out), "format=start_time");
        EXPECT_NEAR(soundOnset(path(out)) - picture, lead, 0.045) << out.toStdString();
    }
}

TEST_F(SourceTest, FastSourcesAreHalvedWhenNoRateIsAsked) {
    for (const QString rate : {"120", "50"}) {
        const QString in =
            make("fast" + rate + ".mp4",
                 {"-f", "lavfi", "-i", "testsrc2=size=160x120:duration=1:rate=" + rate, "-c:v",
                  "libx264"});
        convert(in, H264, "out" + rate + ".mp4");
        EXPECT_EQ(probe(path("out" + rate + ".mp4"), "stream=r_frame_rate", "v"),
                  rate == "120" ? "60/1" : "50/1");
    }
}

TEST_F(SourceTest, ChosenAudioTrackAndBurnedInSubtitles) {
    QFile srt(path("lines.srt"));
    ASSERT_TRUE(srt.open(QIODevice::WriteOnly));
    srt.write("1\n00:00:01,000 --> 00:00:02,000\nFIRST\n\n2\n00:00:06,000 --> 00:00:07,500\n"
              "SECOND\n");
    srt.close();
    // A black picture, so that anything bright is subtitle.
    const QStringList black{"-f", "lavfi", "-i", "color=black:size=320x240:rate=25:duration=8"};
    const QString film = make("film.mkv", black + QStringList{"-f",
                                                              "lavfi",
                                                              "-i",
                                                              "sine=frequency=440:duration=8",
                                                              "-f",
                                                              "lavfi",
                                                              "-i",
                                                              "sine=frequency=880:duration=8",
                                                              "-i",
                                                              path("lines.srt"),
                                                              "-map",
                                                              "0",
                                                              "-map",
                                                              "1",
                                                              "-map",
                                                              "2",
                                                              "-map",
                                                              "3",
                                                              "-c:v",
                                                              "libx264",
                                                              "-c:a",
                                                              "aac",
                                                              "-metadata:s:a:0",
                                                              "language=jpn",
                                                              "-metadata:s:a:1",
                                                              "language=eng"});
    convert(film, QStringList{"-audio-track", "2"} + H264, "english.mp4");
    EXPECT_NEAR(toneOf(path("english.mp4")), 880, 20);
    const ToolRun missing = runTool({"-y", "-i", film, "-audio-track", "3", path("none.mp4")});
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_TRUE(missing.out.endsWith("film.mkv has no audio track 3.\r\n")) << missing.out.data();

    // A cut from 5 s shows the line due at 6 s one second in, scaled with the picture.
    convert(film,
            QStringList{"-ss", "00:00:05", "-t", "2", "-subtitle-track", "1", "-s", "640x480"} +
                H264,
            "text.mp4");
    EXPECT_LT(frameStat(path("text.mp4"), 0.5, "YMAX"), 40);
    EXPECT_GT(frameStat(path("text.mp4"), 1.5, "YMAX"), 200);

    // The same lines as DVD bitmaps in Matroska.
    const QString program =
        make("plain.mpg", {"-f", "lavfi", "-i", "color=black:size=720x576:rate=25:duration=8",
                           "-c:v", "mpeg2video", "-f", "dvd"});
    QFile spu(path("spu.xml"));
    ASSERT_TRUE(spu.open(QIODevice::WriteOnly));
    spu.write("<subpictures format=\"PAL\"><stream><textsub filename=\"lines.srt\" "
              "font=\"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf\" fontsize=\"40\" "
              "movie-width=\"720\" movie-height=\"576\"/></stream></subpictures>");
    spu.close();
    QProcess spumux;
    spumux.setWorkingDirectory(dir.path());
    spumux.setStandardInputFile(program);
    spumux.setStandardOutputFile(path("subtitled.mpg"));
    spumux.start("spumux", {"-s", "0", "spu.xml"});
    ASSERT_TRUE(spumux.waitForFinished(60000) && spumux.exitCode() == 0);
    const QString bitmaps = make("bitmaps.mkv", {"-fflags", "+genpts", "-i", path("subtitled.mpg"),
                                                 "-map", "0:v", "-map", "0:s", "-c:v", "libx264",
                                                 "-preset", "ultrafast", "-c:s", "copy"});
    ASSERT_EQ(probe(bitmaps, "stream=codec_name", "s"), "dvd_subtitle");
    convert(bitmaps,
            QStringList{"-ss", "00:00:05", "-t", "2", "-subtitle-track", "1", "-s", "320x240"} +
                H264,
            "bitmap.mp4");
    EXPECT_LT(frameStat(path("bitmap.mp4"), 0.5, "YMAX"), 40);
    EXPECT_GT(frameStat(path("bitmap.mp4"), 1.5, "YMAX"), 200);
}

} // namespace
