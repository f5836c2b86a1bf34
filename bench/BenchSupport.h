// What several benchmarks set up the same way: a made clip, a dialog seam that only reports
// warnings, and a batch driven through the program's batch control.
#pragma once

#include "ResidentMemory.h"
#include "common/IniFile.h"
#include "convert/ConversionLine.h"
#include "convert/ConversionQueue.h"
#include "convert/ConvertRunner.h"
#include "media/SourceRecords.h"
#include "profiles/Catalogue.h"
#include "profiles/ProfileData.h"
#include "profiles/ProfileParameters.h"
#include "shell/Dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

namespace vc::bench {

using test::residentKiB;
using test::slope;

class SilentDialogs : public Dialogs {
public:
    void information(QWidget*, const QString&, const QString&) override {}
    void warning(QWidget*, const QString&, const QString& text) override {
        std::fprintf(stderr, "warning: %s\n", qPrintable(text));
    }
    bool question(QWidget*, const QString&, const QString&) override { return false; }
    QStringList openFiles(QWidget*, const QString&, const QString&, const QString&) override {
        return {};
    }
    QString chooseFolder(QWidget*, const QString&, const QString&) override { return {}; }
    QString chooseDisc(QWidget*, const QString&, const QString&) override { return {}; }
};

inline double seconds(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e9;
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A stand-in for ffmpeg, for VIDEOCONVERTER_FFMPEG, that records each command the tool runs
// in a file of its own in captureFolder, named by the time, and then runs it.
inline QString writeCaptureWrapper(const QString& path, const QString& captureFolder) {
    QDir().mkpath(captureFolder);
    QFile w(path);
    w.open(QIODevice::WriteOnly);
    w.write(QStringLiteral("#!/bin/sh\nprintf '%s\\0' \"$@\" > \"%1/$(date +%s%N)\"\n"
                           "exec ffmpeg \"$@\"\n")
                .arg(captureFolder)
                .toLocal8Bit());
    w.setPermissions(w.permissions() | QFileDevice::ExeOwner);
    return path;
}

// The ffmpeg commands the tool ran, in order, as the capturing wrapper wrote them, each
// writing into a file of its own in outputFolder.
inline std::vector<QStringList> capturedCommands(const QString& folder,
                                                 const QString& outputFolder) {
    std::vector<QStringList> commands;
    QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        QStringList args;
        for (const QByteArray& arg : f.readAll().split('\0'))
            if (!arg.isEmpty())
                args << QString::fromLocal8Bit(arg);
        // Progress goes to a pipe the tool reads; run directly, it goes to standard output.
        const qsizetype progress = args.indexOf(QStringLiteral("pipe:3"));
        if (progress >= 0)
            args[progress] = QStringLiteral("pipe:1");
        // The tool hands ffmpeg the unnamed file it made; run directly, ffmpeg names one.
        const qsizetype inherited = args.indexOf(QStringLiteral("file:/proc/self/fd/4"));
        if (inherited >= 0)
            args[inherited] =
                QStringLiteral("file:") +
                QDir(outputFolder).filePath(QStringLiteral("%1.out").arg(commands.size()));
        commands.push_back(args);
    }
    return commands;
}

// A test picture with a tone, made by ffmpeg; false when ffmpeg could not make it.
inline bool makeClip(const QString& path, const QString& size, double seconds) {
    const QString length = QString::number(seconds);
    const bool made =
        QProcess::execute(QStringLiteral("ffmpeg"),
                          {"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                           QStringLiteral("testsrc=size=%1:rate=25:duration=%2").arg(size, length),
                           "-f", "lavfi", "-i", QStringLiteral("sine=duration=%1").arg(length),
                           path}) == 0;
    if (!made)
        std::fprintf(stderr, "ffmpeg could not make %s\n", qPrintable(path));
    return made;
}

// The program's own default profile at its default levels, as a first start selects it.
struct DefaultProfile {
    int number = 0;
    ParameterBoxStates boxes = initialBoxStates();
    ProfileState profile;
};

inline std::optional<DefaultProfile> selectDefaultProfile(const QString& programDir,
                                                          const QString& storePath) {
    DefaultProfile chosen;
    chosen.number = defaultProfileFor(QStringLiteral("VideoConverter"));
    IniFile store(storePath);
    if (!selectProfile(chosen.number, chosen.boxes, chosen.profile, store,
                       profileDataPath(programDir))
             .selected)
        return std::nullopt;
    return chosen;
}

struct BatchSource {
    QString path;
    Toriginalinfo info;
};

struct BatchOutcome {
    QStringList statuses;
    double seconds = 0;
    bool allFinished() const {
        for (const QString& status : statuses)
            if (status != QLatin1String("Finish"))
                return false;
        return true;
    }
};

// Converts every source through batch control and register.dat, as the window does.
// afterEachRun is called once per run, after the batch has handled its end.
inline BatchOutcome runBatch(const QString& programDir, const std::vector<BatchSource>& sources,
                             const ProfileState& profile, const ParameterBoxStates& boxes,
                             const QString& output,
                             const std::function<void()>& afterEachRun = {}) {
    ConversionQueue queue(QDir(programDir).filePath(QStringLiteral("register.dat")), programDir);
    queue.setPriority(ConversionQueue::Priority::Normal);
    BatchOutcome outcome;
    std::vector<ConversionJob> jobs;
    for (const BatchSource& s : sources) {
        ConversionInputs in;
        in.outputFolder = output;
        in.title = sourceTitle(s.path);
        in.path = s.path;
        in.source = {s.info.duration, s.info.resolution, s.info.videobit, s.info.audiobit};
        in.profile = profile;
        in.choice = choiceOf(boxes);
        in.sizeEnabled = boxes.size.enabled;
        in.toEnd = true;
        jobs.push_back(makeConversionJob(in));
    }
    QEventLoop loop;
    QObject::connect(&queue, &ConversionQueue::settled, &loop, &QEventLoop::quit);
    if (afterEachRun)
        // Queued, so each call follows the queue's own handling of the end and the release of
        // the run's process object.
        QObject::connect(
            &queue, &ConversionQueue::jobChanged, &queue,
            [&queue, afterEachRun](int job) {
                if (queue.status(job).ended())
                    afterEachRun();
            },
            Qt::QueuedConnection);
    QElapsedTimer timer;
    timer.start();
    queue.start(std::move(jobs), 1);
    if (queue.active() || queue.busy())
        loop.exec();
    outcome.seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    for (int i = 0; i < queue.size(); ++i)
        outcome.statuses << statusText(queue.status(i));
    for (const JobStatus& status : queue.statuses())
        if (!status.reason.isEmpty())
            std::fprintf(stderr, "%s\n", qPrintable(status.reason));
    QCoreApplication::processEvents();
    return outcome;
}

} // namespace vc::bench
