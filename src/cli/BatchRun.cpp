#include "cli/BatchRun.h"

#include "common/Signals.h"

#include "cli/BatchChoices.h"
#include "cli/ProbeQueue.h"
#include "common/Clock.h"
#include "common/FileNames.h"
#include "common/Signals.h"
#include "common/Version.h"
#include "convert/BatchControl.h"
#include "convert/BatchProgress.h"
#include "convert/ConversionLine.h"
#include "convert/ConvertRunner.h"
#include "media/CutRules.h"
#include "media/DiscTitles.h"
#include "media/StreamChoices.h"
#include "profiles/Catalogue.h"
#include "profiles/ProfileData.h"
#include "shell/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vc::cli {

namespace {

const QString Finish = QStringLiteral("Finish");
const QString Failed = QStringLiteral("Failed");
const QString Stop = QStringLiteral("Stop");
const QString Skipped = QStringLiteral("Skipped");

bool isFinal(const QString& status) {
    return status == Finish || status == Failed || status == Stop;
}

// A link may point anywhere and an empty file holds no conversion: neither counts as done.
bool holdsAFile(const QString& path) {
    struct stat st {};
    return ::lstat(nameBytes(path).constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
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
        console_.error(selected.unusable ? selected.error
                                         : QStringLiteral("%1: cannot read the profile data: %2")
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

void BatchRun::accept(const QString& shownName, std::optional<SourceItem> item,
                      const QString& refusal) {
    if (!item) {
        if (!interrupted_) {
            console_.error(refusal.isEmpty() ? shownName + QStringLiteral(" is not support!")
                                             : refusal);
            ++refused_;
        }
        return;
    }
    if (!isDiscTitleAddress(item->info.path)) {
        const QString lacking =
            chooseFileStreams(item->info, shownName, options_.audioTrack, options_.subtitle);
        if (!lacking.isEmpty()) {
            console_.error(lacking);
            ++refused_;
            return;
        }
    }

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

BatchRun::DiscChoice BatchRun::chooseDiscTitle(const QString& path,
                                               const QString& shownName) const {
    DiscChoice choice;
    const DiscListing listing = listDiscTitles(program_.toolPath, program_.folder, path);
    const auto refuse = [&](const QString& why) {
        choice.refusal = QStringLiteral("%1: %2").arg(shownName, why);
        return choice;
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
    const DiscTitle title = listing.titles[index];
    if (options_.audioTrack && *options_.audioTrack > title.audio.size())
        return refuse(QStringLiteral("title %1 has no audio track %2")
                          .arg(title.number)
                          .arg(*options_.audioTrack));
    if (options_.subtitle && *options_.subtitle > title.subtitles.size())
        return refuse(QStringLiteral("title %1 has no subtitle %2")
                          .arg(title.number)
                          .arg(*options_.subtitle));
    choice.address = discTitleAddress(path, title.number);
    // The probe describes the title as a file; the disc's own names and streams come from here.
    choice.adjust = [title, volume = listing.volume, audio = options_.audioTrack.value_or(1),
                     subtitle = options_.subtitle.value_or(0)](SourceItem& item) {
        item.title = volume + QStringLiteral(" Title ") + QString::number(title.number);
        item.info.audioTracks = title.audio;
        item.info.subtitleTracks = title.subtitles;
        item.info.audioTrack = audio;
        item.info.subtitleTrack = subtitle;
    };
    return choice;
}

int BatchRun::jobCount() const {
    return options_.jobs > 0 ? options_.jobs : usableProcessors();
}

void BatchRun::addInputs() {
    // Every name first, in argument order; an input that cannot be added keeps its turn.
    QStringList paths, shown, refusals;
    std::vector<std::function<void(SourceItem&)>> adjust;
    const auto take = [&](const QString& path, const QString& name, const QString& refusal,
                          std::function<void(SourceItem&)> fix = {}) {
        paths << (refusal.isEmpty() ? path : QString());
        shown << name;
        refusals << refusal;
        adjust.push_back(std::move(fix));
    };
    for (const QString& input : options_.inputs) {
        const QString path = absoluteFilePath(input);
        const QString name = QFileInfo(path).fileName();
        if (isDiscSource(path)) {
            DiscChoice disc = chooseDiscTitle(path, name);
            take(disc.address, name, disc.refusal, std::move(disc.adjust));
        } else if (isFolderPath(path)) {
            for (const QString& entry : scannedEntries(path))
                if (isScannedExtension(entry))
                    take(QDir(path).filePath(entry), entry, {});
        } else if (pathFileSize(path) >= 0) {
            take(path, name, {});
        } else {
            take({}, name, QStringLiteral("%1: no such file or folder").arg(input));
        }
    }
    // As many probes at once as conversions will run: the probe of a short clip costs a good
    // part of its conversion, and one at a time would leave the other processors idle.
    ProbeQueue queue(program_.toolPath, program_.folder,
                     static_cast<int>(std::min<qsizetype>(jobCount(), paths.size())));
    probes_ = &queue;
    queue.run(paths, [&](int index, std::optional<SourceItem> item, const QString& refusal) {
        if (!refusals[index].isEmpty()) {
            console_.error(refusals[index]);
            ++refused_;
            return;
        }
        if (item && adjust[index])
            adjust[index](*item);
        accept(shown[index], std::move(item), refusal);
    });
    probes_ = nullptr;
}

QString BatchRun::rowLabel(int row) const {
    return QStringLiteral("[%1/%2] %3").arg(row + 1).arg(records_.rows()).arg(titles_[row]);
}

struct BatchRun::Slot {
    ConvertRunner runner;
    intputrec job;
    std::unique_ptr<BatchControl> control; // last, as it holds the runner and the job
    QString intended;                      // the output name the start line gave
    int shownTenth = 0;                    // progress steps already written as plain lines
};

bool BatchRun::prepare(Slot& slot, int row, intputrec& job) {
    if (row < 0 || row >= records_.rows())
        return false;
    started_[static_cast<std::size_t>(row)] = true;
    // Picked now, as the run starts: runs of other invocations may have taken names since
    // the files were added. The tool still takes the next free one if this goes meanwhile.
    fillJob(job,
            rowConversionInputs(outputFolder_, titles_[row], records_.info(row), records_.cut(row),
                                profile_, choiceOf(boxes_), boxes_.size.enabled),
            lookOnDisk);
    slot.shownTenth = 0;
    slot.intended = job.outfile;
    console_.line(QStringLiteral("%1 -> %2").arg(rowLabel(row), job.outfile));
    if (options_.verbose)
        console_.line(QStringLiteral("Command: ") + commandLine(job));
    return true;
}

void BatchRun::setStatus(Slot& slot, int row, const QString& status) {
    if (row < 0 || row >= statuses_.size())
        return;
    statuses_[row] = status;
    if (isFinal(status)) {
        progress_->setEnded(row, status == Finish);
        if (status == Finish && slot.job.outfile != slot.intended)
            console_.line(
                QStringLiteral("%1  %2 -> %3").arg(rowLabel(row), status, slot.job.outfile));
        else
            console_.line(QStringLiteral("%1  %2").arg(rowLabel(row), status));
        const RunWords& words = slot.control->words();
        if (status == Failed && !words.last().isEmpty())
            console_.error(QStringLiteral("%1: %2").arg(titles_[row], words.last()));
        // Advice on a box ends the tool's words; what ffmpeg itself said stands before it.
        if (status == Failed && words.last().contains(QLatin1String(": choose ")) &&
            !words.before().isEmpty())
            console_.error(QStringLiteral("%1: %2").arg(titles_[row], words.before()));
        return;
    }
    const double percent = percentOfStatus(status);
    if (percent >= 0)
        progress_->setPercent(row, percent);
    if (console_.isTerminal()) {
        // Several at once share the live line instead.
        if (slots_.size() == 1)
            console_.progress(QStringLiteral("%1  %2").arg(rowLabel(row), status));
        return;
    }
    // Elsewhere one line per tenth of the way, so a log shows that the run moves.
    const int tenth = percent < 0 ? 0 : static_cast<int>(percent / 10.0);
    if (tenth > slot.shownTenth && tenth < 10) {
        slot.shownTenth = tenth;
        console_.line(QStringLiteral("%1  %2").arg(rowLabel(row), status));
    }
}

void BatchRun::showLiveLine() {
    console_.progress(progress_->text(static_cast<double>(converting_.elapsed()) / 1000.0));
}

void BatchRun::stopWhenIdle() {
    // A stopped run still reports its end; the batch is over only once every run has.
    for (const auto& slot : slots_)
        if (slot->control->converting() || slot->runner.active())
            return;
    loop_.quit();
}

void BatchRun::convert() {
    const int rows = records_.rows();
    started_.assign(static_cast<std::size_t>(rows), false);
    std::vector<double> lengths;
    for (int row = 0; row < rows; ++row)
        lengths.push_back(static_cast<double>(clockToSeconds(records_.info(row).duration)));
    progress_ = std::make_unique<BatchProgress>(lengths);

    int skipped = 0;
    for (int row = 0; options_.skipExisting && row < rows; ++row) {
        // The name without _n: what the first run of this row wrote.
        const QString first =
            outputFileName(jobFolder(outputFolder_), titles_[row], profile_.extension,
                           [](const QString&) { return NameClaim::Free; });
        if (!holdsAFile(first))
            continue;
        started_[static_cast<std::size_t>(row)] = true;
        statuses_[row] = Skipped;
        progress_->setEnded(row, false);
        console_.line(QStringLiteral("%1  %2").arg(rowLabel(row), Skipped));
        ++skipped;
    }

    const int count = std::min(jobCount(), rows - skipped);
    for (int i = 0; i < count; ++i) {
        auto slot = std::make_unique<Slot>();
        Slot* const s = slot.get();
        // One conversion leaves the other processors free and the user waits on it: normal
        // priority ("nice" still lowers it, since the tool inherits it). Several take every
        // processor, so they yield to everything else, as the window's conversion does.
        s->runner.setIdlePriority(count > 1);
        s->job.toolpath = program_.toolPath;
        s->job.workdir = program_.folder;

        BatchControl::Hooks hooks;
        hooks.previewPlaying = [] {
            return false;
        };
        hooks.rows = [this] {
            return records_.rows();
        };
        // Each slot walks the list from its last row on; a row another slot has taken is
        // passed over, so the rows start in list order.
        hooks.ticked = [this](int row) {
            return !started_[static_cast<std::size_t>(row)];
        };
        hooks.prepare = [this, s](int row, intputrec& job) {
            return prepare(*s, row, job);
        };
        hooks.setStatus = [this, s](int row, const QString& status) {
            setStatus(*s, row, status);
        };
        hooks.refreshCommands = [this] {
            stopWhenIdle();
        };
        hooks.refuse = [](int) {
        };
        hooks.inform = [this](const QString& text) {
            // Each slot tells once per batch; the user needs it once.
            if (!informed_.contains(text)) {
                informed_.insert(text);
                console_.error(text);
            }
        };
        s->control = std::make_unique<BatchControl>(s->runner, s->job, hooks);
        slots_.push_back(std::move(slot));
    }

    converting_.start();
    for (const auto& slot : slots_)
        slot->control->bt_startClick();
    if (count > 1 && console_.isTerminal()) {
        connect(&liveLine_, &QTimer::timeout, this, &BatchRun::showLiveLine);
        liveLine_.start(250); // a few times a second: enough to see it move, cheap to draw
    }
    const bool underWay = std::any_of(slots_.begin(), slots_.end(), [](const auto& slot) {
        return slot->control->converting() || slot->runner.active();
    });
    if (underWay)
        loop_.exec();
    liveLine_.stop();
}

int BatchRun::summary() {
    int finished = 0, failed = 0, stopped = 0, skipped = 0, notStarted = 0;
    for (const QString& status : statuses_) {
        if (status == Finish)
            ++finished;
        else if (status == Failed)
            ++failed;
        else if (status == Stop)
            ++stopped;
        else if (status == Skipped)
            ++skipped;
        else
            ++notStarted;
    }
    QString text =
        QStringLiteral("Finished %1, failed %2, stopped %3").arg(finished).arg(failed).arg(stopped);
    if (skipped > 0)
        text += QStringLiteral(", skipped %1").arg(skipped);
    if (refused_ > 0)
        text += QStringLiteral(", refused %1").arg(refused_);
    if (notStarted > 0)
        text += QStringLiteral(", not converted %1").arg(notStarted);
    console_.line(text + QStringLiteral(". Output folder: %1").arg(outputFolder_));

    if (interrupted_)
        return interruptStatus_;
    return finished + skipped == statuses_.size() && refused_ == 0 ? ExitFinished : ExitFailed;
}

int BatchRun::exec() {
    // A file has no titles to choose from; converting its first would not be what was asked.
    if (options_.title) {
        for (const QString& input : options_.inputs) {
            if (!isDiscSource(absoluteFilePath(input))) {
                console_.error(QStringLiteral("%1: --title chooses a disc's title, and %2 is no "
                                              "disc")
                                   .arg(program_.fileName, input));
                console_.error(QStringLiteral("Try '%1 --help'.").arg(program_.fileName));
                return ExitUsage;
            }
        }
    }
    if (const int status = setUp(); status >= 0)
        return status;
    // Without the tool every file would be refused; name what is missing, as the window does.
    if (!QFileInfo(program_.toolPath).isExecutable()) {
        console_.error(QStringLiteral("The converter tool is missing: %1")
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
        // Asked twice: leave now, taking the tools with us.
        for (const auto& slot : slots_)
            slot->runner.KillNow();
        std::fflush(nullptr);
        std::_Exit(exitStatus);
    }
    interrupted_ = true;
    interruptStatus_ = exitStatus;
    if (probes_) {
        probes_->stop();
        console_.line(jobCount() > 1 ? QStringLiteral("Stopping after the files being examined...")
                                     : QStringLiteral("Stopping after the file being examined..."));
        return;
    }
    std::vector<BatchControl*> running;
    for (const auto& slot : slots_)
        if (slot->control->converting())
            running.push_back(slot->control.get());
    if (running.empty())
        return;
    console_.line(QStringLiteral("Stopping..."));
    // Every slot is stopped before any event is handled, so no slot can start another file.
    std::sort(running.begin(), running.end(), [](const BatchControl* a, const BatchControl* b) {
        return a->currentItem() < b->currentItem();
    });
    for (BatchControl* control : running)
        control->Bt_ConvertstopClick();
}

bool catchStopSignals() {
    if (signalPipe[0] >= 0)
        return true;
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        catchUnlessIgnored(signal, onSignal);
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
    if (options.mode == Mode::Version) {
        console.line(program.name + u' ' + programVersion());
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
