#include "cli/ProbeQueue.h"

#include "media/MediaProbe.h"

#include <QEventLoop>
#include <QFileInfo>
#include <algorithm>

namespace vc::cli {

struct ProbeQueue::Lane {
    MediaProbe probe;
    int index = -1; // the path under way, -1 when idle
    int tries = 0;

    Lane(const QString& toolPath, const QString& workDir) : probe(toolPath, workDir) {
        probe.setPersistent(true);
    }
};

ProbeQueue::ProbeQueue(const QString& toolPath, const QString& workDir, int lanes) {
    for (int i = 0; i < std::max(1, lanes); ++i) {
        lanes_.push_back(std::make_unique<Lane>(toolPath, workDir));
        Lane* const lane = lanes_.back().get();
        // Queued: a tool that cannot start ends its probe inside start(), and the lane must
        // not be refilled from within its own launch.
        connect(
            &lane->probe, &MediaProbe::finished, this, [this, lane] { onFinished(*lane); },
            Qt::QueuedConnection);
    }
}

ProbeQueue::~ProbeQueue() = default;

void ProbeQueue::run(const QStringList& paths, const Outcome& outcome) {
    paths_ = paths;
    outcome_ = outcome;
    outcomes_.assign(static_cast<std::size_t>(paths.size()), std::nullopt);
    refusals_ = QStringList(paths.size(), QString());
    next_ = handed_ = 0;
    QEventLoop loop;
    bool finished = false;
    done_ = [&] {
        finished = true;
        loop.quit();
    };
    pump();
    if (!finished)
        loop.exec();
    done_ = nullptr;
}

void ProbeQueue::stop() {
    stopped_ = true;
    pump();
}

void ProbeQueue::launch(Lane& lane, int index) {
    lane.index = index;
    ++lane.tries;
    lane.probe.start(paths_[index]);
}

void ProbeQueue::onFinished(Lane& lane) {
    if (lane.index < 0)
        return;
    std::optional<SourceItem> item;
    if (lane.probe.end() == ProbeEnd::Ended)
        item = makeSourceItem(paths_[lane.index], lane.probe.result());
    if (!item && lane.tries < 2 && !stopped_) {
        launch(lane, lane.index);
        return;
    }
    if (!item) {
        const QString& path = paths_[lane.index];
        refusals_[lane.index] = probeRefusal(lane.probe, path, QFileInfo(path).fileName());
    }
    outcomes_[static_cast<std::size_t>(lane.index)] = std::move(item);
    lane.index = -1;
    pump();
}

void ProbeQueue::handOver() {
    while (handed_ < next_ && outcomes_[static_cast<std::size_t>(handed_)]) {
        const int index = handed_++;
        outcome_(index, std::move(*outcomes_[static_cast<std::size_t>(index)]), refusals_[index]);
    }
}

void ProbeQueue::pump() {
    handOver();
    for (const auto& lane : lanes_) {
        while (lane->index < 0 && !stopped_ && next_ < paths_.size()) {
            const int index = next_++;
            if (paths_[index].isEmpty()) {
                outcomes_[static_cast<std::size_t>(index)] = std::optional<SourceItem>();
                continue;
            }
            lane->tries = 0;
            launch(*lane, index);
        }
    }
    handOver();
    const bool busy = std::any_of(lanes_.begin(), lanes_.end(),
                                  [](const auto& lane) { return lane->index >= 0; });
    if (!busy && (stopped_ || handed_ == paths_.size()) && done_)
        done_();
}

} // namespace vc::cli
