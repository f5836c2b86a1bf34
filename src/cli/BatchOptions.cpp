#include "cli/BatchOptions.h"

#include <QRegularExpression>
#include <algorithm>

namespace vc::cli {

namespace {

const QString ConvertCommand = QStringLiteral("--convert");
const QString ListCommand = QStringLiteral("--list-profiles");
const QString TitlesCommand = QStringLiteral("--list-titles");
const QString HelpCommand = QStringLiteral("--help");
const QString ShortHelpCommand = QStringLiteral("-h");
const QString VersionCommand = QStringLiteral("--version");

bool asksForHelp(const QString& argument) {
    return argument == HelpCommand || argument == ShortHelpCommand;
}

bool takesValue(const QString& name) {
    static const QStringList names{
        "--profile", "--size", "--video-quality", "--audio-quality", "--cut",     "--channels",
        "--output",  "--jobs", "--title",         "--audio-track",   "--subtitle"};
    return names.contains(name);
}

QString applyValue(Options& o, const QString& name, const QString& value) {
    if (value.isEmpty())
        return name + QStringLiteral(" needs a value");
    if (name == QLatin1String("--profile")) {
        o.profile = value;
    } else if (name == QLatin1String("--size")) {
        o.size = value;
    } else if (name == QLatin1String("--video-quality")) {
        o.videoQuality = value;
    } else if (name == QLatin1String("--audio-quality")) {
        o.audioQuality = value;
    } else if (name == QLatin1String("--output")) {
        o.output = value;
    } else if (name == QLatin1String("--channels")) {
        if (value.compare(QLatin1String("mono"), Qt::CaseInsensitive) == 0)
            o.channel = 0;
        else if (value.compare(QLatin1String("stereo"), Qt::CaseInsensitive) == 0)
            o.channel = 1;
        else
            return QStringLiteral("--channels takes mono or stereo, not \"%1\"").arg(value);
    } else if (name == QLatin1String("--jobs")) {
        bool ok = false;
        o.jobs = value.toInt(&ok);
        if (!ok || o.jobs < 1)
            return QStringLiteral("--jobs takes a number of conversions from 1 up, not \"%1\"")
                .arg(value);
    } else if (name == QLatin1String("--title") || name == QLatin1String("--audio-track")) {
        bool ok = false;
        const int number = value.toInt(&ok);
        if (!ok || number < 1)
            return QStringLiteral("%1 takes a number from 1, not \"%2\"").arg(name, value);
        (name == QLatin1String("--title") ? o.title : o.audioTrack) = number;
    } else if (name == QLatin1String("--subtitle")) {
        bool ok = false;
        const int number = value.toInt(&ok);
        if (value.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0)
            o.subtitle = 0;
        else if (ok && number >= 1)
            o.subtitle = number;
        else
            return QStringLiteral("--subtitle takes a number from 1 or none, not \"%1\"")
                .arg(value);
    } else if (name == QLatin1String("--cut")) {
        o.cut = parseCut(value);
        if (!o.cut)
            return QStringLiteral("--cut takes BEGIN-END as hh:mm:ss-hh:mm:ss with the end after "
                                  "the begin, not \"%1\"")
                .arg(value);
    }
    return {};
}

} // namespace

Mode modeOf(const QStringList& arguments) {
    if (arguments.isEmpty())
        return Mode::Window;
    const QString& first = arguments.first();
    if (first == ConvertCommand)
        return Mode::Convert;
    if (first == ListCommand)
        return Mode::ListProfiles;
    if (asksForHelp(first))
        return Mode::Help;
    if (first == VersionCommand)
        return Mode::Version;
    if (first == TitlesCommand)
        return Mode::ListTitles;
    return Mode::Window;
}

std::optional<int> parseClock(const QString& text) {
    // Lengths are whole seconds in an int everywhere after this; 99:59:59 is the clock's
    // own limit and keeps every sum of them far from overflowing.
    static const QRegularExpression clock(QStringLiteral("^(\\d{2}):([0-5]\\d):([0-5]\\d)$"));
    const QRegularExpressionMatch m = clock.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    return m.captured(1).toInt() * 3600 + m.captured(2).toInt() * 60 + m.captured(3).toInt();
}

std::optional<CutRange> parseCut(const QString& text) {
    const QStringList parts = text.split(u'-');
    if (parts.size() != 2)
        return std::nullopt;
    const auto begin = parseClock(parts[0].trimmed());
    const auto end = parseClock(parts[1].trimmed());
    if (!begin || !end || *end <= *begin)
        return std::nullopt;
    return CutRange{*begin, *end};
}

ParseResult parseArguments(const QStringList& arguments) {
    ParseResult r;
    Options& o = r.options;
    o.mode = modeOf(arguments);
    if (o.mode == Mode::Help || o.mode == Mode::Version)
        return r;
    if (o.mode == Mode::ListProfiles) {
        if (arguments.size() > 1)
            r.error = QStringLiteral("--list-profiles takes no further arguments");
        return r;
    }
    if (o.mode == Mode::ListTitles) {
        if (arguments.size() != 2)
            r.error = QStringLiteral("--list-titles takes one disc folder, image or device");
        else
            o.inputs << arguments[1];
        return r;
    }

    // The window has no command word: every argument is its own.
    const bool window = o.mode == Mode::Window;
    bool optionsEnded = false;
    for (qsizetype i = window ? 0 : 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (optionsEnded || !arg.startsWith(u'-') || arg == QLatin1String("-")) {
            o.inputs << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (asksForHelp(arg)) {
            o.mode = Mode::Help;
            return r;
        }
        if (arg == VersionCommand) {
            o.mode = Mode::Version;
            return r;
        }
        if (window) {
            r.error = QStringLiteral("unknown option %1").arg(arg);
            return r;
        }
        if (arg == QLatin1String("--verbose")) {
            o.verbose = true;
            continue;
        }
        if (arg == QLatin1String("--skip-existing")) {
            o.skipExisting = true;
            continue;
        }
        const qsizetype eq = arg.indexOf(u'=');
        const QString name = eq < 0 ? arg : arg.left(eq);
        if (!takesValue(name)) {
            r.error = QStringLiteral("unknown option %1").arg(name);
            return r;
        }
        QString value;
        if (eq >= 0) {
            value = arg.mid(eq + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            r.error = name + QStringLiteral(" needs a value");
            return r;
        }
        r.error = applyValue(o, name, value);
        if (!r.ok())
            return r;
    }
    if (o.inputs.isEmpty() && !window)
        r.error = QStringLiteral("no files or folders to convert");
    return r;
}

QStringList usageLines(const QString& programFileName) {
    QStringList lines =
        QStringLiteral(
            "Usage:\n"
            "  %1 [FILE-OR-FOLDER...]\n"
            "  %1 --convert [options] FILE-OR-FOLDER...\n"
            "  %1 --list-profiles\n"
            "  %1 --list-titles DISC\n"
            "  %1 -h|--help\n"
            "  %1 --version\n"
            "\n"
            "Without a command the window opens and adds the files given, and the supported\n"
            "files of each folder given, as Add File and Add Folder do. While a window of the\n"
            "same program name is open, they go to that window instead, which comes to the\n"
            "front.\n"
            "\n"
            "Batch mode converts the files given, and the supported files of each folder "
            "given,\nwith the window's engine, several at once. It needs no display. A DVD-Video "
            "folder,\nan .iso image or a drive converts one of its titles. --list-titles prints "
            "a disc's\ntitles with their lengths and streams.\n"
            "\n"
            "Options:\n"
            "  --profile N|NAME       profile number or exact display name "
            "(default: the remembered one)\n"
            "  --size S               frame size: index in the profile's list or the entry's "
            "text\n"
            "                         (\"640x480\"); \"original\" keeps the source's size\n"
            "  --video-quality Q      level 0-4 or its text (\"Normal\"); \"original\" keeps "
            "the\n"
            "                         source's rate where the profile offers it\n"
            "  --audio-quality Q      the same for the audio rate\n"
            "  --channels mono|stereo\n"
            "  --cut BEGIN-END        convert only hh:mm:ss-hh:mm:ss of every file\n"
            "  --output DIR           output folder (default: the remembered one)\n"
            "  --jobs N               conversions at once (default: one per processor this\n"
            "                         program may use; 1 converts one after another)\n"
            "  --title N              a disc's title to convert (default: the longest)\n"
            "  --audio-track N        the audio track of a file or disc title (default: a\n"
            "                         file's default track, a title's first)\n"
            "  --subtitle N|none      the subtitle of a file or disc title to burn in\n"
            "                         (default: none)\n"
            "  --skip-existing        leave out a file whose output name (without _1, _2...)\n"
            "                         already holds a file that is not empty\n"
            "  --verbose              show the converter command line of every file\n"
            "  -h, --help             show this help\n"
            "  --version              show the program name and version\n"
            "\n"
            "Options not given take the choices remembered for the profile. Settings are read,\n"
            "never written. --list-profiles prints one line per profile, fields separated by\n"
            "tabs: number, category, display name, extension, frame sizes.\n"
            "\n"
            "Exit status: 0 every file finished or was skipped, 1 a file failed or was\n"
            "refused, or nothing could be converted, 2 usage error, 129, 130 and 143 stopped\n"
            "by SIGHUP, Ctrl+C (SIGINT) and SIGTERM.")
            .split(u'\n');
    // Substituted line by line: a line break in the name must not make a line of its own.
    for (QString& line : lines)
        line.replace(QLatin1String("%1"), programFileName);
    return lines;
}

} // namespace vc::cli
