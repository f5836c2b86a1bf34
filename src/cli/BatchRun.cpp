#include "cli/BatchRun.h"

#include "cli/BatchChoices.h"
#include "common/Clock.h"
#include "common/FileNames.h"
#include "convert/BatchControl.h"
#include "convert/ConversionLine.h"
#include "convert/ConvertRunner.h"
#include "media/CutRules.h"
#include "media/DiscTitles.h"
#include "media/MediaProbe.h"
#include "profiles/Catalogue.h"
#include "profiles/ProfileData.h"
#include "shell/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace vc::cli {

namespace {

const QString Finish = QStringLiteral("Finish");
const QString Failed = QStringLiteral("Failed");
const QString Stop = QStringLiteral("Stop");

bool isFinal(const QString& status) {
    return status == Finish || status == Failed || status == Stop;
}

// -1 when the text is no percentage.
double percentOf(const QString& status) {
    if (!status.endsWith(u'%'))
        return -1;
    bool ok = false;
    const double value = status.chopped(1).toDouble(&ok);
    return ok ? value : -1;
}

int signalPipe[2] = {-1, -1};

// Setting up may wait on a file, and nothing runs or is claimed yet: a stop ends the process
// at once. From the first file on, it reaches the event loop so the tool goes with the run.
std::atomic<bool> settingUp{true};
static_assert(std::atomic<bool>::is_always_lock_free);

void onSignal(int signal) {
    if (settingUp.load(std::memory_order_relaxed))
        ::_exit(128 + signal);
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

} // namespace

BatchRun::BatchRun(BatchProgram program, Options options, Console& console, QObject* parent)
    : QObject(parent), program_(std::move(program)), options_(std::move(options)),
      console_(console) {}

BatchRun::~BatchRun() = default;

int BatchRun::setUp() {
    // Read only: nothing here writes the settings or the parameter store. The selection below
    // starts from no profile, so it has no previous profile's choices to write back.
    SettingsStore store(program_.name);
    const Settings settings = store.load(defaultProfileFor(program_.fileName));

    int number = settings.profile;
    if (options_.profile) {
        const ProfileLookup found = findProfile(*options_.profile);
        if (!found.error.isEmpty()) {
            console_.error(QStringLiteral("%1: %2").arg(program_.fileName, found.error));
            return ExitUsage;
        }
        number = found.number;
    }

    dataFile_ = profileDataPath(program_.folder);
    boxes_ = initialBoxStates();
    const SelectionOutcome selected =
        selectProfile(number, boxes_, profile_, store.parameterStore(), dataFile_);
    if (!selected.selected) {
        console_.error(QStringLiteral("%1: cannot read the profile data: %2")
                           .arg(program_.fileName, selected.error));
        return ExitFailed;
    }
    if (const QString refusal = applyBoxOptions(options_, boxes_); !refusal.isEmpty()) {
        console_.error(QStringLiteral("%1: %2").arg(program_.fileName, refusal));
        return ExitUsage;
    }

    QString folder = options_.output ? *options_.output : settings.outputFolder;
    if (folder.trimmed().isEmpty())
        folder = SettingsStore::defaultOutputFolder();
    // The tool runs in the program folder; a relative folder means the user's current one.
    outputFolder_ = absoluteFilePath(folder);
    if (!makeFolderPath(outputFolder_)) {
        console_.error(QStringLiteral("Cannot create the output folder %1.").arg(outputFolder_));
        return ExitFailed;
    }

    console_.line(QStringLiteral("Profile %1: %2").arg(number).arg(profileName(number)));
    QStringList choices;
    const auto describe = [&choices](const BoxState& box, const QString& what) {
        if (box.enabled && box.current >= 0)
            choices << what + box.currentText();
    };
    describe(boxes_.size, QStringLiteral("size "));
    describe(boxes_.video, QStringLiteral("video "));
    describe(boxes_.audio, QStringLiteral("audio "));
    describe(boxes_.channel, QString());
    if (!choices.isEmpty())
        console_.line(choices.join(QStringLiteral(", ")));
    console_.line(QStringLiteral("Output folder: %1").arg(outputFolder_));
    return -1;
}

void BatchRun::addWithRetry(const QString& path, const QString& shownName,
                            const std::function<void(SourceItem&)>& adjust) {
    std::optional<SourceItem> item = probeSourceItem(*probe_, path);
    if (!item && !interrupted_)
        item = probeSourceItem(*probe_, path);
    if (!item) {
        if (!interrupted_) {
            console_.error(shownName + QStringLiteral(" is not support!"));
            ++refused_;
        }
        return;
    }
    if (adjust)
        adjust(*item);

    QString cutNote;
    if (options_.cut) {
        Tcutinfo& cut = item->cut;
        if (cut.totalsecs > 0 && options_.cut->begin >= cut.totalsecs) {
            // The cutter would fall back to the whole clip; unattended, that is not what
            // was asked for.
            console_.error(QStringLiteral("%1: the cut begins after its end (%2)")
                               .arg(shownName, item->info.duration));
            ++refused_;
            return;
        }
        if (cut.totalsecs > 0) {
            setCutBegin(cut, options_.cut->begin);
            setCutEnd(cut, options_.cut->end);
        } else {
            cut.cutbegin = options_.cut->begin; // length unknown: nothing to keep it within
            cut.cutend = options_.cut->end;
        }
        item->info.duration = secondsToClock(cut.cutend - cut.cutbegin);
        cutNote = QStringLiteral(", cut %1-%2")
                      .arg(secondsToClock(cut.cutbegin), secondsToClock(cut.cutend));
    }

    records_.add(item->info, item->cut);
    titles_ << item->title;
    statuses_ << QStringLiteral("Status");
    const EstimateResult size = estimate(profile_, choiceOf(boxes_), sourceInfo(item->info));
    console_.line(QStringLiteral("Added %1: %2, %3, about %4%5")
                      .arg(item->title, item->info.resolution,
                           item->info.duration.isEmpty() ? QStringLiteral("length unknown")
                                                         : item->info.duration,
                           size.error.isEmpty() ? size.text : QStringLiteral("?"), cutNote));
}

void BatchRun::addDisc(const QString& path, const QString& shownName) {
    const DiscListing listing = listDiscTitles(program_.toolPath, program_.folder, path);
    const auto refuse = [&](const QString& why) {
        console_.error(QStringLiteral("%1: %2").arg(shownName, why));
        ++refused_;
    };
    if (!listing.refusal.isEmpty())
        return refuse(listing.refusal);
    int index = longestTitle(listing.titles);
    if (options_.title) {
        index = -1;
        for (int i = 0; i < listing.titles.size(); ++i) {
            if (listing.titles[i].number == *options_.title)
                index = i;
        }
    }
    if (index < 0)
        return refuse(QStringLiteral("the disc has no title %1").arg(options_.title.value_or(1)));
    const DiscTitle& title = listing.titles[index];
    if (options_.audioTrack && *options_.audioTrack > title.audio.size())
        return refuse(QStringLiteral("title %1 has no audio track %2")
                          .arg(title.number)
                          .arg(*options_.audioTrack));
    if (options_.subtitle && *options_.subtitle > title.subtitles.size())
        return refuse(QStringLiteral("title %1 has no subtitle %2")
                          .arg(title.number)
                          .arg(*options_.subtitle));
    addWithRetry(discTitleAddress(path, title.number), shownName, [&](SourceItem& item) {
        item.title = listing.volume + QStringLiteral(" Title ") + QString::number(title.number);
        item.info.audioTracks = title.audio;
        item.info.subtitleTracks = title.subtitles;
        item.info.audioTrack = options_.audioTrack.value_or(1);
        item.info.subtitleTrack = options_.subtitle.value_or(0);
    });
}

void BatchRun::addInputs() {
    probe_ = std::make_unique<MediaProbe>(program_.toolPath, program_.folder);
    for (const QString& input : options_.inputs) {
        if (interrupted_)
            return;
        const QString path = absoluteFilePath(input);
        if (isDiscSource(path)) {
            addDisc(path, QFileInfo(path).fileName());
        } else if (isFolderPath(path)) {
            for (const QString& name : scannedEntries(path)) {
                if (interrupted_)
                    return;
                if (isScannedExtension(name))
                    addWithRetry(QDir(path).filePath(name), name);
            }
        } else if (pathFileSize(path) >= 0) {
            addWithRetry(path, QFileInfo(path).fileName());
        } else {
            console_.error(QStringLiteral("%1: no such file or folder").arg(input));
            ++refused_;
        }
    }
}

QString BatchRun::rowLabel(int row) const {
    return QStringLiteral("[%1/%2] %3").arg(row + 1).arg(records_.rows()).arg(titles_[row]);
}

bool BatchRun::prepare(int row, intputrec& job) {
    if (row < 0 || row >= records_.rows())
        return false;
    fillJob(job,
            rowConversionInputs(outputFolder_, titles_[row], records_.info(row), records_.cut(row),
                                profile_, choiceOf(boxes_), boxes_.size.enabled),
            claimOnDisk);
    lastMessage_.clear();
    ffmpegMessage_.clear();
    shownTenth_ = 0;
    console_.line(QStringLiteral("%1 -> %2").arg(rowLabel(row), job.outfile));
    if (options_.verbose)
        console_.line(QStringLiteral("Command: ") + commandLine(job));
    return true;
}

void BatchRun::setStatus(int row, const QString& status) {
    if (row < 0 || row >= statuses_.size())
        return;
    statuses_[row] = status;
    if (isFinal(status)) {
        console_.line(QStringLiteral("%1  %2").arg(rowLabel(row), status));
        if (status == Failed && !lastMessage_.isEmpty())
            console_.error(QStringLiteral("%1: %2").arg(titles_[row], lastMessage_));
        // Advice on a box ends the tool's words; what ffmpeg itself said stands before it.
        if (status == Failed && lastMessage_.contains(QLatin1String(": choose ")) &&
            !ffmpegMessage_.isEmpty())
            console_.error(QStringLiteral("%1: %2").arg(titles_[row], ffmpegMessage_));
        return;
    }
    if (console_.isTerminal()) {
        console_.progress(QStringLiteral("%1  %2").arg(rowLabel(row), status));
        return;
    }
    // Elsewhere one line per tenth of the way, so a log shows that the run moves.
    const double percent = percentOf(status);
    const int tenth = percent < 0 ? 0 : static_cast<int>(percent / 10.0);
    if (tenth > shownTenth_ && tenth < 10) {
        shownTenth_ = tenth;
        console_.line(QStringLiteral("%1  %2").arg(rowLabel(row), status));
    }
}

void BatchRun::stopWhenIdle() {
    // A stopped run still reports its end; the batch is over only once it has.
    if (batch_ && !batch_->converting() && !runner_->active())
        loop_.quit();
}

void BatchRun::convert() {
    runner_ = std::make_unique<ConvertRunner>();
    // The user waits on batch mode and there is no desktop to keep responsive; "nice" still
    // lowers it, since the tool inherits the priority.
    runner_->setIdlePriority(false);
    connect(runner_.get(), &ConvertRunner::lineDelivered, this, [this](const QByteArray& line) {
        if (line.trimmed().isEmpty())
            return;
        ffmpegMessage_ = lastMessage_;
        lastMessage_ = QString::fromLocal8Bit(line).trimmed();
    });
    job_.toolpath = program_.toolPath;
    job_.workdir = program_.folder;

    BatchControl::Hooks hooks;
    hooks.previewPlaying = [] {
        return false;
    };
    hooks.rows = [this] {
        return records_.rows();
    };
    hooks.ticked = [](int) {
        return true;
    };
    hooks.prepare = [this](int row, intputrec& job) {
        return prepare(row, job);
    };
    hooks.setStatus = [this](int row, const QString& status) {
        setStatus(row, status);
    };
    hooks.refreshCommands = [this] {
        stopWhenIdle();
    };
    hooks.refuse = [](int) {
    };
    hooks.inform = [this](const QString& text) {
        console_.error(text);
    };
    batch_ = std::make_unique<BatchControl>(*runner_, job_, hooks);

    batch_->bt_startClick();
    if (batch_->converting() || runner_->active())
        loop_.exec();
}

int BatchRun::summary() {
    int finished = 0, failed = 0, stopped = 0, notStarted = 0;
    for (const QString& status : statuses_) {
        if (status == Finish)
            ++finished;
        else if (status == Failed)
            ++failed;
        else if (status == Stop)
            ++stopped;
        else
            ++notStarted;
    }
    QString text =
        QStringLiteral("Finished %1, failed %2, stopped %3").arg(finished).arg(failed).arg(stopped);
    if (refused_ > 0)
        text += QStringLiteral(", refused %1").arg(refused_);
    if (notStarted > 0)
        text += QStringLiteral(", not converted %1").arg(notStarted);
    console_.line(text + QStringLiteral(". Output folder: %1").arg(outputFolder_));

    if (interrupted_)
        return interruptStatus_;
    return finished == statuses_.size() && refused_ == 0 ? ExitFinished : ExitFailed;
}

int BatchRun::exec() {
    if (const int status = setUp(); status >= 0)
        return status;
    // Without the tool every file would be refused as "not support"; name what is missing.
    if (!QFileInfo(program_.toolPath).isExecutable()) {
        console_.error(QStringLiteral("Cannot start the converter tool %1.")
                           .arg(QDir::toNativeSeparators(program_.toolPath)));
        return ExitFailed;
    }
    settingUp = false;
    addInputs();
    if (records_.rows() == 0 && !interrupted_) {
        console_.error(QStringLiteral("No files to convert."));
        summary();
        return ExitFailed;
    }
    if (!interrupted_)
        convert();
    return summary();
}

void BatchRun::interrupt(int exitStatus) {
    if (interrupted_) {
        // Asked twice: leave now, taking the tool with us.
        if (runner_)
            runner_->Kill();
        std::fflush(nullptr);
        std::_Exit(exitStatus);
    }
    interrupted_ = true;
    interruptStatus_ = exitStatus;
    if (batch_ && batch_->converting()) {
        console_.line(QStringLiteral("Stopping..."));
        batch_->Bt_ConvertstopClick();
    } else if (!batch_) {
        console_.line(QStringLiteral("Stopping after the file being examined..."));
    }
}

bool catchStopSignals() {
    if (signalPipe[0] >= 0)
        return true;
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    return true;
}

int runBatchMode(const BatchProgram& program, const QStringList& arguments) {
    Console console(stdout, stderr);
    const ParseResult parsed = parseArguments(arguments);
    if (!parsed.ok()) {
        console.error(QStringLiteral("%1: %2").arg(program.fileName, parsed.error));
        console.error(QStringLiteral("Try '%1 --help'.").arg(program.fileName));
        return ExitUsage;
    }
    const Options& options = parsed.options;
    if (options.mode == Mode::Help) {
        for (const QString& line : usageLines(program.fileName))
            console.line(line);
        return ExitFinished;
    }
    if (options.mode == Mode::ListTitles) {
        const DiscListing listing = listDiscTitles(program.toolPath, program.folder,
                                                   absoluteFilePath(options.inputs.first()));
        if (!listing.refusal.isEmpty()) {
            console.error(QStringLiteral("%1: %2").arg(options.inputs.first(), listing.refusal));
            return ExitFailed;
        }
        for (const QString& line : listing.lines)
            console.line(line);
        return ExitFinished;
    }
    if (options.mode == Mode::ListProfiles) {
        const ProfileListing listing = listProfiles(profileDataPath(program.folder));
        if (!listing.error.isEmpty()) {
            console.error(QStringLiteral("%1: cannot read the profile data: %2")
                              .arg(program.fileName, listing.error));
            return ExitFailed;
        }
        for (const QStringList& row : listing.rows)
            console.fields(row);
        return ExitFinished;
    }

    // A closed pipe on the output must not end the program with the tool left running.
    std::signal(SIGPIPE, SIG_IGN);
    if (!catchStopSignals()) {
        console.error(QStringLiteral("%1: cannot set up Ctrl+C handling").arg(program.fileName));
        return ExitFailed;
    }
    BatchRun run(program, options, console);
    QSocketNotifier notifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &run, [&run] {
        unsigned char byte = 0;
        while (::read(signalPipe[0], &byte, 1) == 1)
            run.interrupt(128 + byte);
    });
    return run.exec();
}

} // namespace vc::cli
