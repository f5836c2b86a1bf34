#include "cli/BatchRun.h"

#include "cli/BatchChoices.h"
#include "cli/ProbeQueue.h"
#include "common/Clock.h"
#include "common/FileNames.h"
#include "common/Signals.h"
#include "common/Version.h"
#include "convert/ConversionLine.h"
#include "convert/ConversionQueue.h"
#include "media/CutRules.h"
#include "media/DiscTitles.h"
#include "media/StreamChoices.h"
#include "profiles/Catalogue.h"
#include "profiles/ProfileData.h"
#include "shell/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <csignal>

namespace vc::cli {

BatchRun::BatchRun(BatchProgram program, Options options, Console& console, QObject* parent)
    : QObject(parent), program_(std::move(program)), options_(std::move(options)),
      console_(console),
      queue_(std::make_unique<ConversionQueue>(program_.toolPath, program_.folder)) {}

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

void BatchRun::showStart(int row) {
    const intputrec& record = queue_->record(row);
    shownTenth_[static_cast<std::size_t>(row)] = 0;
    console_.line(QStringLiteral("%1 -> %2").arg(rowLabel(row), record.outfile));
    if (options_.verbose)
        console_.line(QStringLiteral("Command: ") + commandLine(record));
}

void BatchRun::showStatus(int row) {
    const JobStatus& job = queue_->status(row);
    const QString text = statusText(job);
    if (job.ended()) {
        if (job.state == JobState::Finished && job.output != job.intended)
            console_.line(QStringLiteral("%1  %2 -> %3").arg(rowLabel(row), text, job.output));
        else
            console_.line(QStringLiteral("%1  %2").arg(rowLabel(row), text));
        if (job.state != JobState::Failed)
            return;
        const QString& last = job.words.last();
        if (!last.isEmpty())
            console_.error(QStringLiteral("%1: %2").arg(titles_[row], last));
        // Advice on a box ends the tool's words; what ffmpeg itself said stands before it.
        if (last.contains(QLatin1String(": choose ")) && !job.words.before().isEmpty())
            console_.error(QStringLiteral("%1: %2").arg(titles_[row], job.words.before()));
        // A tool that never started fails every file alike: the user needs it once.
        if (last.isEmpty() && !informed_.contains(job.reason)) {
            informed_.insert(job.reason);
            console_.error(job.reason);
        }
        return;
    }
    if (text.isEmpty())
        return;
    if (console_.isTerminal()) {
        // Several at once share the live line instead.
        if (queue_->runsAtOnce() == 1)
            console_.progress(QStringLiteral("%1  %2").arg(rowLabel(row), text));
        return;
    }
    // Elsewhere one line per tenth of the way, so a log shows that the run moves.
    const int tenth = static_cast<int>(job.progress.value_or(0) / 1000);
    int& shown = shownTenth_[static_cast<std::size_t>(row)];
    if (tenth > shown && tenth < 10) {
        shown = tenth;
        console_.line(QStringLiteral("%1  %2").arg(rowLabel(row), text));
    }
}

void BatchRun::convert() {
    std::vector<ConversionJob> jobs;
    for (int row = 0; row < records_.rows(); ++row)
        jobs.push_back(makeConversionJob(
            rowConversionInputs(outputFolder_, titles_[row], records_.info(row), records_.cut(row),
                                profile_, choiceOf(boxes_), boxes_.size.enabled)));
    shownTenth_.assign(jobs.size(), 0);
    // One conversion leaves the other processors free and the user waits on it ("nice"
    // still lowers it, since the tool inherits it).
    queue_->setPriority(ConversionQueue::Priority::IdleWhenSeveral);
    queue_->setSkipExisting(options_.skipExisting);
    connect(queue_.get(), &ConversionQueue::jobStarted, this, &BatchRun::showStart);
    connect(queue_.get(), &ConversionQueue::jobChanged, this, &BatchRun::showStatus);
    connect(queue_.get(), &ConversionQueue::settled, &loop_, &QEventLoop::quit);
    queue_->start(std::move(jobs), jobCount());
    if (queue_->runsAtOnce() > 1 && console_.isTerminal()) {
        connect(&liveLine_, &QTimer::timeout, this,
                [this] { console_.progress(queue_->progressText()); });
        liveLine_.start(250); // a few times a second: enough to see it move, cheap to draw
    }
    if (queue_->active() || queue_->busy())
        loop_.exec();
    liveLine_.stop();
}

int BatchRun::summary() {
    std::vector<JobStatus> jobs = queue_->statuses();
    jobs.resize(static_cast<std::size_t>(records_.rows())); // files added before a stop
    const BatchCounts counts(jobs);
    console_.line(batchSummaryText(counts, refused_) +
                  QStringLiteral(". Output folder: %1").arg(outputFolder_));
    if (interrupted_)
        return interruptStatus_;
    return counts.finished + counts.skipped == records_.rows() && refused_ == 0 ? ExitFinished
                                                                                : ExitFailed;
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
    deliverStopSignals();
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
        queue_->stopNow();
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
    if (!queue_->active())
        return;
    console_.line(QStringLiteral("Stopping..."));
    queue_->stop();
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
    const StopSignals stops;
    if (!stops.ok()) {
        console.error(QStringLiteral("%1: cannot set up Ctrl+C handling").arg(program.fileName));
        return ExitFailed;
    }
    BatchRun run(program, options, console);
    QObject::connect(&stops, &StopSignals::caught, &run,
                     [&run](int signal) { run.interrupt(128 + signal); });
    return run.exec();
}

} // namespace vc::cli
