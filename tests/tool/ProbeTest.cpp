#include "TestSupport.h"
#include "ToolRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <regex>

using namespace vc::test;

namespace {

class ProbeTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    QString clip(const QString& name, const QStringList& options, bool video = true,
                 bool audio = true) {
        return makeClip(dir.path(), name, options, 1.0, QStringLiteral("160x120"), video, audio);
    }

    // Probes a file and checks the form every description must have.
    ProbeReading probe(const QString& path, std::string* text = nullptr) {
        const ToolRun run = runTool({"-i", path});
        EXPECT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
        const std::string out = run.out.toStdString();
        EXPECT_TRUE(out.ends_with("\r\n")) << out;
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'),
                  std::count(out.begin(), out.end(), '\r'))
            << "every line must end in CR LF:\n"
            << out;
        EXPECT_EQ(out.find("\r\r"), std::string::npos);
        EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
        if (text)
            *text = out;
        return readProbe(out);
    }
};

bool isNumber(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

TEST_F(ProbeTest, AviWithMpeg4AndMp3ReadsEveryField) {
    const QString path = clip("a.avi", {"-c:v", "mpeg4", "-c:a", "libmp3lame", "-ac", "2"});
    std::string text;
    const ProbeReading r = probe(path, &text);
    EXPECT_EQ(r.duration, "00:00:01");
    EXPECT_TRUE(isNumber(r.bitrate)) << text;
    EXPECT_EQ(r.videoFormat, "mpeg4");
    EXPECT_EQ(r.resolution, "160x120");
    EXPECT_EQ(r.frame, " 25.00 tb(r)");
    EXPECT_EQ(r.audioFormat, "mp3");
    EXPECT_EQ(r.sample, " 44100 Hz");
    EXPECT_EQ(r.channels, " stereo");
    EXPECT_TRUE(isNumber(r.audioBitrate)) << text;
    EXPECT_TRUE(text.starts_with("Input #0, avi:\r\n")) << text;
    EXPECT_NE(text.find("    Stream #0.0: Video: "), std::string::npos) << text;
    EXPECT_NE(text.find("    Stream #0.1: Audio: "), std::string::npos) << text;
}

TEST_F(ProbeTest, Mp4WithH264AndAacGivesStreamRates) {
    const QString path = clip("a.mp4", {"-c:v", "libx264", "-c:a", "aac"});
    std::string text;
    const ProbeReading r = probe(path, &text);
    EXPECT_EQ(r.duration, "00:00:01");
    EXPECT_EQ(r.videoFormat, "h264");
    EXPECT_EQ(r.resolution, "160x120");
    EXPECT_TRUE(isNumber(r.videoBitrate)) << text;
    EXPECT_EQ(r.frame, " 25.00 tb(r)");
    EXPECT_EQ(r.audioFormat, "aac");
    EXPECT_EQ(r.channels, " mono");
    // Nothing between codec and size: no profile, codec tag ("0x...") or aspect ratio.
    const std::regex line(
        R"(\r\n    Stream #0\.0\(und\): Video: h264, yuv\w+, 160x120, \d+ kb/s, 25\.00 tb\(r\) \(default\)\r\n)");
    EXPECT_TRUE(std::regex_search(text, line)) << text;
}

TEST_F(ProbeTest, StreamWithoutKnownRateKeepsTheOtherFieldsInPlace) {
    // ffmpeg's Matroska muxer writes no per-track statistics.
    const QString path = clip("a.mkv", {"-c:v", "libx264", "-c:a", "libvorbis"});
    std::string text;
    const ProbeReading r = probe(path, &text);
    EXPECT_EQ(r.videoBitrate, "") << text;
    EXPECT_EQ(r.resolution, "160x120");
    EXPECT_EQ(r.frame, " 25.00 tb(r)") << text;
    EXPECT_EQ(r.audioFormat, "vorbis");
    EXPECT_EQ(r.sample, " 44100 Hz");
    EXPECT_EQ(r.channels, " mono");
    EXPECT_TRUE(isNumber(r.bitrate)) << text;
}

TEST_F(ProbeTest, MatroskaTrackStatisticsGiveTheStreamRate) {
    const QString path =
        clip("tagged.mkv", {"-c:v", "libx264", "-c:a", "libvorbis", "-metadata:s:v", "BPS=45678",
                            "-metadata:s:a", "BPS-eng=36000"});
    const ProbeReading r = probe(path);
    EXPECT_EQ(r.videoBitrate, "45");
    EXPECT_EQ(r.audioBitrate, "36");
}

TEST_F(ProbeTest, RatesUnderAKilobitAreKnownAndImpossibleOnesAreNot) {
    // Ten minutes of one tiny frame a minute: a few bytes a second.
    const QString sparse = makeClip(
        dir.path(), "sparse.mkv",
        {"-f", "lavfi", "-i", "color=black:size=16x16:rate=1/60:duration=600", "-c:v", "libx264"},
        600, {}, false, false);
    std::string text;
    ProbeReading r = probe(sparse, &text);
    EXPECT_EQ(r.duration, "00:10:00");
    EXPECT_EQ(r.bitrate, "0") << text;

    // Tags claiming more than the whole file carries, or more than any file could.
    const QString tagged =
        clip("bragging.mkv", {"-c:v", "libx264", "-c:a", "libvorbis", "-metadata:s:v", "BPS=500000",
                              "-metadata:s:a", "BPS=9223372036854775807"});
    r = probe(tagged, &text);
    EXPECT_LT(std::stoi(r.bitrate), 500) << text;
    EXPECT_EQ(r.videoBitrate, "") << text;
    EXPECT_EQ(r.audioBitrate, "") << text;
}

TEST_F(ProbeTest, MpegProgramStreamHidesTheVariableRateMarker) {
    const QString path = clip("a.mpg", {});
    std::string text;
    const ProbeReading r = probe(path, &text);
    EXPECT_EQ(r.videoFormat, "mpeg1video");
    EXPECT_EQ(r.resolution, "160x120");
    EXPECT_EQ(r.videoBitrate, "") << text; // the header's all-ones "variable" rate
    EXPECT_EQ(r.audioFormat, "mp2");
    EXPECT_EQ(r.duration, "00:00:01");
}

TEST_F(ProbeTest, FlvListingAudioFirstStillFindsTheVideo) {
    const QString path = clip("a.flv", {});
    std::string text;
    const ProbeReading r = probe(path, &text);
    EXPECT_EQ(r.videoFormat, "flv1");
    EXPECT_EQ(r.resolution, "160x120");
    EXPECT_EQ(r.frame, " 25.00 tb(r)");
    EXPECT_EQ(r.audioFormat, "mp3");
}

TEST_F(ProbeTest, AudioOnlyFilesHaveNoVideoLine) {
    const QString mp3 = clip("a.mp3", {"-b:a", "128k"}, false);
    ProbeReading r = probe(mp3);
    EXPECT_FALSE(r.hasVideo);
    EXPECT_EQ(r.audioFormat, "mp3");
    EXPECT_EQ(r.audioBitrate, "128");
    EXPECT_EQ(r.duration, "00:00:01");

    const QString wav = clip("a.wav", {"-ac", "2"}, false);
    r = probe(wav);
    EXPECT_FALSE(r.hasVideo);
    EXPECT_EQ(r.audioFormat, "pcm_s16le");
    EXPECT_EQ(r.audioBitrate, "1411");
    EXPECT_EQ(r.channels, " stereo");
}

TEST_F(ProbeTest, CoverArtIsNotTakenForVideo) {
    const QString path =
        clip("cover.mp3",
             {"-f", "lavfi", "-i", "color=c=red:size=64x64:duration=0.04", "-map", "0:a", "-map",
              "1:v", "-c:v", "mjpeg", "-frames:v", "1", "-disposition:v", "attached_pic"},
             false);
    std::string text;
    const ProbeReading r = probe(path, &text);
    EXPECT_FALSE(r.hasVideo) << text;
    EXPECT_TRUE(r.hasAudio);
    EXPECT_NE(text.find("Stream #0.1:"), std::string::npos) << text;
}

TEST_F(ProbeTest, VideoOnlyFileHasNoAudioLine) {
    const QString path = clip("v.mp4", {"-c:v", "libx264"}, true, false);
    const ProbeReading r = probe(path);
    EXPECT_FALSE(r.hasAudio);
    EXPECT_EQ(r.resolution, "160x120");
}

TEST_F(ProbeTest, NoLowerCaseXBeforeTheFrameSize) {
    const QString path = makeClip(
        dir.path(), "dn.mov", {"-c:v", "dnxhd", "-profile:v", "dnxhr_lb", "-pix_fmt", "yuv422p"},
        1.0, "256x144", true, false);
    std::string text;
    const ProbeReading r = probe(path, &text);
    EXPECT_EQ(r.resolution, "256x144") << text;
    EXPECT_EQ(r.videoFormat, "dnXhd");
    EXPECT_EQ(r.frame, " 25.00 tb(r)");
}

TEST_F(ProbeTest, SurroundLayoutIsNamed) {
    const QString path = clip("six.mkv", {"-c:a", "pcm_s16le", "-ac", "6"}, false);
    EXPECT_EQ(probe(path).channels, " 5.1");
}

TEST_F(ProbeTest, DurationIsRoundedToHundredths) {
    // 61.996 s of audio reads as a whole minute and two seconds.
    const QString path =
        makeClip(dir.path(), "long.wav", {"-ac", "1", "-ar", "8000"}, 61.996, "160x120", false);
    std::string text;
    probe(path, &text);
    EXPECT_NE(text.find("  Duration: 00:01:02.00, "), std::string::npos) << text;
}

TEST_F(ProbeTest, LengthsAHeaderLacksGuessesOrUnderstatesAreMeasured) {
    // Loud, then silent: a length guessed from the first frame's rate is a third of the real one.
    const auto sound = [&](const QString& name, const QStringList& options) {
        const QStringList source{"-f", "lavfi", "-i",
                                 "anoisesrc=a=0.5:d=8,volume='if(lt(t,2),1,0)':eval=frame"};
        return probe(makeClip(dir.path(), name, source + options, 8, {}, false, false)).duration;
    };
    EXPECT_EQ(sound("noxing.mp3", {"-c:a", "libmp3lame", "-q:a", "0", "-write_xing", "0"}),
              "00:00:08");
    EXPECT_EQ(sound("radio.aac", {"-c:a", "aac", "-f", "adts"}), "00:00:08");
    // A browser's recording never goes back to write its length.
    EXPECT_EQ(probe(clip("recorded.weba", {"-c:a", "libopus", "-f", "webm", "-live", "1"}, false))
                  .duration,
              "00:00:01");
    // A Matroska header stating a quarter of what its index reaches: 1500 ms for 6000.
    QFile mkv(makeClip(dir.path(), "told.mkv", {"-c:v", "libx264", "-g", "25"}, 6, "160x120", true,
                       false));
    ASSERT_TRUE(mkv.open(QIODevice::ReadWrite));
    const QByteArray data = mkv.readAll().replace(QByteArray::fromHex("448988 40b7700000000000"),
                                                  QByteArray::fromHex("448988 4097700000000000"));
    ASSERT_TRUE(mkv.seek(0) && mkv.write(data) == data.size());
    mkv.close();
    EXPECT_EQ(probe(mkv.fileName()).duration, "00:00:06");
}

TEST_F(ProbeTest, NonMediaGetsOneErrorLineAndFailure) {
    const QString path = QDir(dir.path()).filePath("notes.avi");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("These are plain notes, not a film.\nDuration: 00:10:00\n");
    file.close();

    for (const QString& target : {path, QDir(dir.path()).filePath("missing.avi")}) {
        const ToolRun run = runTool({"-i", target});
        EXPECT_NE(run.exitCode, 0);
        const std::string out = run.out.toStdString();
        EXPECT_EQ(out.find("Duration"), std::string::npos) << out;
        EXPECT_EQ(out.find("bitrate"), std::string::npos) << out;
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
        EXPECT_TRUE(out.ends_with("\r\n")) << out;
    }
}

TEST_F(ProbeTest, FileNamesAreNeverPrintedNorMisread) {
    const QStringList names{"with blank 'single' \"double\" $HOME.avi",
                            "Video: 999x999, Duration: 12:34:56, bitrate: 7 kbps.avi",
                            QString::fromUtf8("m\xc3\xbcnchen \xe6\x97\xa5\xe6\x9c\xac.avi"),
                            "proto:name.avi"};
    for (const QString& name : names) {
        const QString path = clip(name, {"-c:v", "mpeg4"});
        std::string text;
        const ProbeReading r = probe(path, &text);
        EXPECT_EQ(r.duration, "00:00:01") << name.toStdString();
        EXPECT_EQ(r.resolution, "160x120") << name.toStdString();
        EXPECT_EQ(text.find("999"), std::string::npos) << text;
        EXPECT_EQ(text.find(name.toStdString()), std::string::npos) << text;
    }
}

TEST_F(ProbeTest, RelativeNamesThatLookLikeOptionsOrProtocols) {
    clip("-lead.avi", {});
    clip("pipe:0.avi", {});
    for (const QString& name : {QStringLiteral("-lead.avi"), QStringLiteral("pipe:0.avi")}) {
        const ToolRun run = runTool({"-i", name}, dir.path());
        EXPECT_EQ(run.exitCode, 0) << name.toStdString() << run.out.toStdString();
        EXPECT_EQ(readProbe(run.out.toStdString()).resolution, "160x120");
    }
}

} // namespace

// The size of a FLAC output depends on the sound, so the probe states what FLAC makes of it:
// within a few per cent of the file ffmpeg writes, for pauses and speech as for dense music.
TEST_F(ProbeTest, LosslessSoundIsWhatFlacWrites) {
    const QString speech = dir.filePath("speech.m4a");
    const QString music = dir.filePath("music.mp3");
    const QString voice = "140+25*sin(2*PI*2.7*t)";
    ASSERT_EQ(
        runProcess("ffmpeg", {"-v", "error", "-f", "lavfi", "-i",
                              "aevalsrc='0.3*sin(2*PI*(" + voice +
                                  ")*t)*pow(max(0,sin(2*PI*3.5*t)),2)*gt(sin(2*PI*0.35*t),-0.4)"
                                  "':s=48000:d=8",
                              "-ac", "2", "-c:a", "aac", speech})
            .exitCode,
        0);
    ASSERT_EQ(runProcess("ffmpeg", {"-v", "error", "-f", "lavfi", "-i",
                                    "anoisesrc=color=pink:amplitude=0.2:d=30", "-ac", "2", "-c:a",
                                    "libmp3lame", music})
                  .exitCode,
              0);
    for (const QString& source : {speech, music}) {
        std::string text;
        probe(source, &text);
        std::smatch m;
        ASSERT_TRUE(std::regex_search(
            text, m, std::regex(R"(\r\n  Lossless sound: (\d+) kb/s mono, (\d+) kb/s stereo\r\n)")))
            << text;
        for (const int channels : {1, 2}) {
            const QString flac = dir.filePath("out.flac");
            ASSERT_EQ(runProcess("ffmpeg", {"-v", "error", "-y", "-i", source, "-ac",
                                            QString::number(channels), "-c:a", "flac", flac})
                          .exitCode,
                      0);
            const double seconds = source == speech ? 8 : 30;
            const double written = QFileInfo(flac).size() * 8 / seconds / 1000;
            EXPECT_NEAR(std::stod(m[channels].str()) / written, 1.0, 0.08)
                << source.toStdString() << ", " << channels << " channels: " << text;
        }
    }
}
