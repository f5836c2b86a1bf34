#pragma once

#include "common/Processors.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace vc::cli {

// What the program was asked to do, decided by its first argument alone.
enum class Mode { Window, Convert, ListProfiles, ListTitles, Help, Version };

Mode modeOf(const QStringList& arguments);

// Exit statuses of batch mode.
enum ExitStatus : int {
    ExitFinished = 0,     // every file ended "Finish" or was skipped
    ExitFailed = 1,       // a file failed or was refused, or nothing could be converted
    ExitUsage = 2,        // the command line was wrong
    ExitInterrupted = 130 // stopped by Ctrl+C; a stop by another signal gives 128 plus its number
};

// A part of every source to convert, in whole seconds.
struct CutRange {
    int begin = 0;
    int end = 0;
};

struct Options {
    Mode mode = Mode::Help;
    std::optional<QString> profile;
    std::optional<QString> size;
    std::optional<QString> videoQuality;
    std::optional<QString> audioQuality;
    std::optional<int> channel; // 0 mono, 1 stereo
    std::optional<CutRange> cut;
    std::optional<QString> output;
    bool verbose = false;
    // Leaves out a source whose first output name already holds a file, for reruns.
    bool skipExisting = false;
    int jobs = 0; // conversions at once; 0 for one per usable processor
    // For a disc: the title (default the longest); for a disc title or a file: the audio
    // track (from 1) and the subtitle burned in (0 none).
    std::optional<int> title;
    std::optional<int> audioTrack;
    std::optional<int> subtitle;
    QStringList inputs; // in window mode, the files and folders to add at start
};

struct ParseResult {
    Options options;
    QString error; // why the command line is not usable
    bool ok() const { return error.isEmpty(); }
};

// Reads the arguments after the program name. Values follow their option as the next
// argument or after "="; "--" ends the options. Help and version are asked for anywhere among
// the options, in window mode as well, whose other arguments are files and folders.
ParseResult parseArguments(const QStringList& arguments);

// "hh:mm:ss" with two digits each, minutes and seconds below 60: at most 99:59:59.
std::optional<int> parseClock(const QString& text);
// "BEGIN-END" in clock text, ending after it begins.
std::optional<CutRange> parseCut(const QString& text);

// The help text, line by line.
QStringList usageLines(const QString& programFileName);

} // namespace vc::cli
