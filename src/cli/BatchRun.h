#pragma once

#include "cli/BatchOptions.h"
#include "cli/Console.h"
#include "convert/JobRecord.h"
#include "media/SourceRecords.h"
#include "profiles/ProfileParameters.h"

#include <QEventLoop>
#include <QObject>
#include <functional>
#include <memory>

namespace vc {
class BatchControl;
class ConvertRunner;
class MediaProbe;
} // namespace vc

namespace vc::cli {

// The program as batch mode needs it: its folder holds the tool and the data files, its file
// name as started names the settings and the default profile.
struct BatchProgram {
    QString folder;
    QString fileName;
    QString name; // the file name less a trailing ".exe"
    QString toolPath;
};

// One batch-mode conversion: adds the files as the window's source list does, converts them
// through the window's batch control and runner, and reports on the console.
class BatchRun : public QObject {
    Q_OBJECT
public:
    BatchRun(BatchProgram program, Options options, Console& console, QObject* parent = nullptr);
    ~BatchRun() override;

    // Runs to the end and gives the exit status.
    int exec();

    // A stop request from outside (Ctrl+C): adding ends after the file being probed, and the
    // running conversion stops as Stop does. The run then ends with the given status.
    void interrupt(int exitStatus);

private:
    int setUp();
    void addInputs();
    void addWithRetry(const QString& path, const QString& shownName,
                      const std::function<void(SourceItem&)>& adjust = {});
    void addDisc(const QString& path, const QString& shownName);
    void convert();
    bool prepare(int row, intputrec& job);
    void setStatus(int row, const QString& status);
    void stopWhenIdle();
    int summary();
    QString rowLabel(int row) const;

    BatchProgram program_;
    Options options_;
    Console& console_;

    QString dataFile_;
    QString outputFolder_;
    ParameterBoxStates boxes_;
    ProfileState profile_;

    std::unique_ptr<MediaProbe> probe_;
    SourceRecords records_;
    QStringList titles_;
    QStringList statuses_;
    int refused_ = 0;

    std::unique_ptr<ConvertRunner> runner_;
    std::unique_ptr<BatchControl> batch_;
    intputrec job_;
    QEventLoop loop_;
    QString lastMessage_;   // the tool's last words in the current run
    QString ffmpegMessage_; // the words before them
    int shownTenth_ = 0;    // progress steps already written as plain lines

    bool interrupted_ = false;
    int interruptStatus_ = ExitInterrupted;
};

// Takes SIGINT, SIGTERM and SIGHUP for batch mode. Until files are being added one of them ends
// the process at once with 128 plus its number, so call it before anything that could block.
// False when it cannot be set up.
bool catchStopSignals();

// Batch mode on the application object that exists: stops on SIGINT (exit 130), SIGTERM and
// SIGHUP like the Stop command. Gives the exit status.
int runBatchMode(const BatchProgram& program, const QStringList& arguments);

} // namespace vc::cli
