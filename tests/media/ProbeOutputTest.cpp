#include "media/ProbeOutput.h"

#include "media/SourceRecords.h"

#include <gtest/gtest.h>
#include <string>

using namespace vc;

namespace {

const std::string classic = "Input #0, avi:\r\n"
                            "  Duration: 00:01:23.45, start: 0.000000, bitrate: 1234 kb/s\r\n"
                            "    Stream #0.0: Video: mpeg4, yuv420p, 320x240, 1150 kb/s, "
                            "25.00 tb(r)\r\n"
                            "    Stream #0.1: Audio: mp3, 44100 Hz, stereo, 128 kb/s\r\n"
                            "  Lossless sound: 640 kb/s mono, 1012 kb/s stereo\r\n";

ProbeResult classicValues() {
    ProbeResult r;
    r.duration = "00:01:23";
    r.bitrate = "1234";
    r.videobit = "1150";
    r.audiobit = "128";
    r.resolution = "320x240";
    r.videoformat = "mpeg4";
    r.frame = " 25.00 tb(r)";
    r.audioformat = "mp3";
    r.sample = " 44100 Hz";
    r.channels = " stereo";
    r.audioStreams = {{"", "mp3", "stereo", false}};
    r.losslessMono = "640";
    r.losslessStereo = "1012";
    return r;
}

ProbeResult parse(const std::string& output) {
    TtimeProcessor reader;
    reader.feed(output);
    return reader.result();
}

ProbeResult parseInPieces(const std::string& output, std::size_t piece) {
    TtimeProcessor reader;
    for (std::size_t at = 0; at < output.size(); at += piece)
        reader.feed(std::string_view(output).substr(at, piece));
    return reader.result();
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

TEST(ProbeOutput, OneBurstAndAnyChunkingGiveTheSameValues) {
    EXPECT_EQ(parse(classic), classicValues());
    for (std::size_t piece : {1u, 2u, 3u, 7u, 16u, 61u})
        EXPECT_EQ(parseInPieces(classic, piece), classicValues()) << "pieces of " << piece;
}

TEST(ProbeOutput, CrLfAndCrLfAllEndLines) {
    EXPECT_EQ(parse(replaceAll(classic, "\r\n", "\r")), classicValues());
    EXPECT_EQ(parse(replaceAll(classic, "\r\n", "\n")), classicValues());
    // A CR LF pair cut between two reads is still one line end.
    TtimeProcessor reader;
    reader.feed("  Duration: 00:00:09.00, start: 0.000000, bitrate: 77 kb/s\r");
    reader.feed("\n    Stream #0.0: Video: h264, yuv420p, 64x48, 25.00 tb(r)\r");
    EXPECT_EQ(reader.pending(), "");
    reader.feed("\n");
    EXPECT_EQ(reader.pending(), "");
    EXPECT_EQ(reader.result().bitrate, "77");
    EXPECT_EQ(reader.result().resolution, "64x48");
}

TEST(ProbeOutput, TextAfterTheLastLineEndWaitsForItsEnd) {
    TtimeProcessor reader;
    reader.feed("Input #0, avi:\r\n    Stream #0.1: Audio: mp3, 44100 Hz, stereo, 128 kb/s");
    EXPECT_EQ(reader.result().audiobit, "");
    EXPECT_EQ(reader.result().sample, "");
    EXPECT_EQ(reader.pending(), "    Stream #0.1: Audio: mp3, 44100 Hz, stereo, 128 kb/s");
    reader.feed("\r\n");
    EXPECT_EQ(reader.result().audiobit, "128");
    EXPECT_EQ(reader.result().channels, " stereo");
    EXPECT_EQ(reader.pending(), "");
}

TEST(ProbeOutput, DurationIsFoundInAFinalLineWithoutLineEnd) {
    const ProbeResult r =
        parse("Input #0, avi:\r\n  Duration: 00:00:05.00, start: 0.000000, bitrate: 99 kb/s");
    EXPECT_EQ(r.duration, "00:00:05");
    EXPECT_EQ(r.bitrate, ""); // line-based, and the line never ended

    // Without any line end no pass runs at all.
    EXPECT_EQ(parse("  Duration: 00:00:05.00, start: 0.0"), ProbeResult());
}

TEST(ProbeOutput, UnknownLengthAndRateAreTakenAsTheyStand) {
    const ProbeResult r = parse("  Duration: N/A, start: 0.000000, bitrate: N/A\r\n");
    EXPECT_EQ(r.duration, "N/A, sta");
    EXPECT_EQ(r.bitrate, "");
}

TEST(ProbeOutput, VideoLineFields) {
    // The first "x" decides the frame size, even inside a codec name.
    ProbeResult r = parse("    Stream #0.0: Video: xvid, yuv420p, 320x240, 25.00 tb(r)\r\n");
    EXPECT_EQ(r.resolution, "x");
    EXPECT_EQ(r.videoformat, "xvid");
    EXPECT_EQ(r.frame, " 25.00 tb(r)");
    EXPECT_EQ(r.videobit, "");

    r = parse("    Stream #0.0: Video: mpeg1video, yuv420p, 352x240, 1150 kb/s, 29.97 tb(r)\r\n");
    EXPECT_EQ(r.videoformat, "mpeg1video");
    EXPECT_EQ(r.resolution, "352x240");
    EXPECT_EQ(r.videobit, "1150");
    EXPECT_EQ(r.frame, " 29.97 tb(r)");

    // Fewer pieces than the walk drops: the last one stays.
    r = parse("Video: mpeg4, yuv420p, 320x240 [PAR 1:1 DAR 4:3], 25.00 tb(r)\r\n");
    EXPECT_EQ(r.frame, " 25.00 tb(r)");
    EXPECT_EQ(r.resolution, "320x240");

    r = parse("Video: h264\r\n");
    EXPECT_EQ(r.videoformat, "");
    EXPECT_EQ(r.resolution, "");
    EXPECT_EQ(r.frame, "");
}

TEST(ProbeOutput, WalksStopAfterTenCharacters) {
    ProbeResult r = parse("Video: codec, AAAAAAAAAAAA1234x12345678901234, 25.00 tb(r)\r\n");
    EXPECT_EQ(r.resolution, "AAAAAA1234x1234567890");
    r = parse("Video: codec, 123x45, 9 kb/s\r\n");
    EXPECT_EQ(r.resolution, "123x45");

    r = parse("  Duration: 00:00:01.00, start: 0.0, bitrate: 12345678901234 kb/s\r\n");
    EXPECT_EQ(r.bitrate, "5678901234");
    r = parse("  Duration: 00:00:01.00, start: 0.0, bitrate: 123456789 kb/s\r\n");
    EXPECT_EQ(r.bitrate, "123456789");
}

TEST(ProbeOutput, AudioLineWithoutRate) {
    const ProbeResult r = parse("    Stream #0.1: Audio: aac, 48000 Hz, stereo\r\n");
    EXPECT_EQ(r.audioformat, "aac");
    EXPECT_EQ(r.sample, " 48000 Hz");
    EXPECT_EQ(r.channels, "");
    EXPECT_EQ(r.audiobit, "");
}

TEST(ProbeOutput, FirstLineWithTheKeywordDecides) {
    // The first video line has no rate; the second one's is not taken instead.
    const ProbeResult r = parse("Video: h264, yuv420p, 64x48, 25.00 tb(r)\r\n"
                                "Video: mpeg4, yuv420p, 32x24, 500 kb/s, 25.00 tb(r)\r\n");
    EXPECT_EQ(r.videobit, "");
    EXPECT_EQ(r.resolution, "64x48");
    EXPECT_EQ(r.videoformat, "h264");
}

TEST(ProbeOutput, LaterPassesReplaceFoundValuesAndKeepTheRest) {
    TtimeProcessor reader;
    reader.feed(classic);
    reader.feed("Press [q] to stop\r\n");
    EXPECT_EQ(reader.result(), classicValues());
    reader.feed("    Stream #0.2: Audio: ac3, 48000 Hz, 5.1, 384 kb/s\r\n");
    ProbeResult expected = classicValues();
    expected.audioformat = "ac3";
    expected.sample = " 48000 Hz";
    expected.channels = " 5.1";
    expected.audiobit = "384";
    expected.audioStreams.push_back({"", "ac3", "5.1", false});
    EXPECT_EQ(reader.result(), expected);

    reader.clear();
    EXPECT_EQ(reader.result(), ProbeResult());
    EXPECT_EQ(reader.pending(), "");
}

TEST(ProbeOutput, AChunkEndsAtItsFirstNul) {
    TtimeProcessor reader;
    std::string cut = "  Duration: 00:00:03.00, start: 0.0, bitrate: 50 kb/s\r\n";
    cut += '\0';
    cut += "Video: h264, yuv420p, 64x48, 25.00 tb(r)\r\n";
    reader.feed(cut);
    EXPECT_EQ(reader.result().bitrate, "50");
    EXPECT_EQ(reader.result().resolution, "");

    // Only the rest of that read is lost; the next read counts again.
    std::string data = "Input #0, avi:\r\n";
    data += '\0';
    data += "Video: lost, yuv420p, 1x1\r\n";
    data.resize(TtimeProcessor::ChunkSize, '.');
    data += "\r\n    Stream #0.1: Audio: mp2, 22050 Hz, mono, 64 kb/s\r\n";
    reader.clear();
    reader.feed(data);
    EXPECT_EQ(reader.result().videoformat, "");
    EXPECT_EQ(reader.result().audiobit, "64");
    EXPECT_EQ(reader.result().channels, " mono");
}

// Every audio and subtitle stream with its language, in the classic form and ffmpeg's own;
// the default track is chosen, and its mark is no part of any field.
TEST(ProbeOutput, StreamsAreListedWithTheirLanguageAndTheDefaultChosen) {
    const ProbeResult r = parse(
        "bitrate: 9 kb/s\r\n    Stream #0.0: Video: h264, yuv420p, 64x48, 25.00 tb(r) (default)\r\n"
        "  Stream #0:1[0x2](ger): Audio: aac (LC) (mp4a / 0x6134706D), 44100 Hz, stereo, fltp\r\n"
        "    Stream #0.2: Audio: ac3, 48000 Hz, 5.1(side), 384 kb/s (default)\r\n"
        "    Stream #0.3(eng): Subtitle: hdmv_pgs_subtitle\r\n");
    const auto item = makeSourceItem("x.mkv", r);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->info.audioTracks, QStringList({"German, AAC, Stereo", "Unknown, AC-3, 5.1"}));
    EXPECT_EQ(item->info.audioTrack, 2);
    EXPECT_EQ(item->info.subtitleTracks, QStringList({"English, PGS"}));
    EXPECT_EQ(item->info.frame, " 25.00 tb(r)");
}
