#pragma once

#include "media/SourceRecords.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vc {
class MediaProbe;
}

namespace vc::cli {

// Probes files several at a time, started in the order given, each tried twice before it is
// given up, and hands the outcomes over in that same order. One lane probes as the window's
// source list does, one file after another.
class ProbeQueue : public QObject {
    Q_OBJECT
public:
    // An empty path has nothing to probe; its outcome is empty, in its turn. Without an item,
    // refusal says why in the user's words (empty for an empty path).
    using Outcome =
        std::function<void(int index, std::optional<SourceItem> item, const QString& refusal)>;

    ProbeQueue(const QString& toolPath, const QString& workDir, int lanes);
    ~ProbeQueue() override;

    // Returns once every outcome has been handed over, or after stop() once the probes under
    // way have ended and their outcomes, in order, have been handed over.
    void run(const QStringList& paths, const Outcome& outcome);

    // Starts no probe and no second try from now on.
    void stop();

private:
    struct Lane;

    void launch(Lane& lane, int index);
    void onFinished(Lane& lane);
    void pump();
    void handOver();

    std::vector<std::unique_ptr<Lane>> lanes_;
    QStringList paths_;
    Outcome outcome_;
    std::vector<std::optional<std::optional<SourceItem>>> outcomes_; // per path, once decided
    QStringList refusals_;                                           // per path
    int next_ = 0;                                                   // the next path to probe
    int handed_ = 0;                                                 // outcomes handed over so far
    bool stopped_ = false;
    std::function<void()> done_;
};

} // namespace vc::cli
