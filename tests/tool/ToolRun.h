#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace vc::test {

struct ToolRun {
    bool finished = false;
    int exitCode = -1;
    QByteArray out; // standard output alone: the text the main program parses
    QByteArray err;
};

// Runs register.dat to its end with separate output channels.
ToolRun runTool(const QStringList& args, const QString& workingDir = {},
                const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());

// The probe description read the way the main program reads it.
struct ProbeReading {
    std::string duration;     // "00:01:23"
    std::string bitrate;      // total, "" when the line has no " kb/s"
    std::string videoBitrate; // "" when unknown or there is no video
    std::string audioBitrate;
    std::string resolution; // "320x240"
    std::string videoFormat;
    std::string frame; // " 25.00 tb(r)"
    std::string audioFormat;
    std::string sample;   // " 44100 Hz"
    std::string channels; // " stereo"
    bool hasVideo = false;
    bool hasAudio = false;
    bool hasDuration = false;
};

ProbeReading readProbe(const std::string& text);

// Seconds of every status line's "time=" report, in order of appearance.
std::vector<double> reportedTimes(const std::string& text);

} // namespace vc::test
