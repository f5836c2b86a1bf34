#include "convert/JobRecord.h"

#include <gtest/gtest.h>

using namespace vc;

namespace {
intputrec aviJob() {
    intputrec job;
    job.toolpath = "/opt/vc/register.dat";
    job.infile = "/home/u/My Videos/clip one.mpg";
    job.outfile = "/home/u/out/clip one.avi";
    job.vbitrate = " -r 25 -b 872000";
    job.abitrate = " -ab 128000";
    job.achannels = " -ac 2";
    job.aspect = " -aspect 1.3333";
    job.start = " -ss 00:00:00";
    job.length = " -t 00:01:30";
    job.size = " -s 640x480";
    job.arate = " -ar 44100 ";
    job.seconds = 90;
    return job;
}
} // namespace

TEST(JobRecord, CommandLineIsThePlainConcatenation) {
    EXPECT_EQ(commandLine(aviJob()),
              "/opt/vc/register.dat -y  -i \"/home/u/My Videos/clip one.mpg\" -r 25 -b 872000"
              " -ab 128000 -ac 2 -aspect 1.3333 -ss 00:00:00 -t 00:01:30 -s 640x480  -ar 44100 "
              " -sn \"/home/u/out/clip one.avi\"");
}

TEST(JobRecord, EmptyFieldsContributeNothing) {
    intputrec job;
    job.toolpath = "t";
    job.infile = "in";
    job.outfile = "out";
    EXPECT_EQ(commandLine(job), "t -y  -i in  -sn out");
    EXPECT_EQ(toolArguments(job), (QStringList{"-y", "-i", "in", "-sn", "out"}));
}

TEST(JobRecord, ArgumentsKeepPathsWholeAndSplitOptions) {
    intputrec job = aviJob();
    job.infile = "-odd \"name\" $HOME ünï.mpg";
    job.outfile = "/out/a b\"c.avi";
    job.extra = " -vcodec mpeg4 -metadata \"title=My Clip\"";
    const QStringList expected{"-y",    "-i",       job.infile, "-r",        "25",
                               "-b",    "872000",   "-ab",      "128000",    "-ac",
                               "2",     "-aspect",  "1.3333",   "-ss",       "00:00:00",
                               "-t",    "00:01:30", "-s",       "640x480",   "-ar",
                               "44100", "-vcodec",  "mpeg4",    "-metadata", "title=My Clip",
                               "-sn",   job.outfile};
    EXPECT_EQ(toolArguments(job), expected);
}

TEST(JobRecord, SplitOptionsHonoursQuotes) {
    EXPECT_EQ(splitOptions("  -a  b "), (QStringList{"-a", "b"}));
    EXPECT_EQ(splitOptions("-vf \"scale=1:2, fps\"x"), (QStringList{"-vf", "scale=1:2, fpsx"}));
    EXPECT_EQ(splitOptions("-x \"\""), (QStringList{"-x", ""}));
    EXPECT_EQ(splitOptions("-x \"open ended"), (QStringList{"-x", "open ended"}));
    EXPECT_TRUE(splitOptions("   ").isEmpty());
}
