#pragma once

#include "cli/BatchOptions.h"
#include "cli/Console.h"
#include "convert/JobRecord.h"
#include "media/SourceRecords.h"
#include "profiles/ProfileParameters.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

namespace vc {
class ConversionQueue;
} // namespace vc

namespace vc::cli {

class ProbeQueue;

// The program as batch mode needs it: its folder holds the tool and the data files, its file
// name as started names the settings and the default profile.
struct BatchProgram {
    QString folder;
    QString fileName;
    QString name; // the file name less a trailing ".exe"
    QString toolPath;
};

// One batch-mode conversion: adds the files as the window's source list does, converts them
// through the conversion queue the window uses, several at once, and reports on the console.
class BatchRun : public QObject {
    Q_OBJECT
public:
    BatchRun(BatchProgram program, Options options, Console& console, QObject* parent = nullptr);
    ~BatchRun() override;

    // Runs to the end and gives the exit status.
    int exec();

    // A stop request from outside (Ctrl+C): adding ends after the file being probed, and every
    // running conversion stops as Stop does. The run then ends with the given status.
    void interrupt(int exitStatus);

private:
    int setUp();
    int jobCount() const;
    void addInputs();
    void accept(const QString& shownName, std::optional<SourceItem> item, const QString& refusal);
    // What a disc argument adds: the title to probe, or why nothing; and what the probe of a
    // title does not tell.
    struct DiscChoice {
        QString address;
        QString refusal;
        std::function<void(SourceItem&)> adjust;
    };
    DiscChoice chooseDiscTitle(const QString& path, const QString& shownName) const;
    void convert();
    void showStart(int row);
    void showStatus(int row);
    int summary();
    QString rowLabel(int row) const;

    BatchProgram program_;
    Options options_;
    Console& console_;

    QString dataFile_;
    QString outputFolder_;
    ParameterBoxStates boxes_;
    ProfileState profile_;

    ProbeQueue* probes_ = nullptr; // while files are added
    SourceRecords records_;
    QStringList titles_;
    int refused_ = 0;

    std::unique_ptr<ConversionQueue> queue_;
    std::vector<int> shownTenth_; // progress steps already written as plain lines, per row
    QTimer liveLine_;
    QSet<QString> informed_;
    QEventLoop loop_;

    bool interrupted_ = false;
    int interruptStatus_ = ExitInterrupted;
};

// Batch mode on the application object that exists: stops on SIGINT (exit 130), SIGTERM and
// SIGHUP like the Stop command. Gives the exit status.
int runBatchMode(const BatchProgram& program, const QStringList& arguments);

} // namespace vc::cli
