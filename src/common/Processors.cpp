#include "common/Processors.h"

#include <QFile>
#include <QString>
#include <algorithm>
#include <sched.h>
#include <thread>

namespace vc {

int processorShare(int affinity, const QByteArray& slurmCpusPerTask,
                   const QList<QByteArray>& cpuMaxLines) {
    int share = std::max(affinity, 1);
    bool ok = false;
    if (const int slurm = slurmCpusPerTask.trimmed().toInt(&ok); ok && slurm > 0)
        share = std::min(share, slurm);
    // "QUOTA PERIOD" in microseconds, or "max": a quota of 1.5 processors still lets two
    // conversions make progress, so it rounds up.
    for (const QByteArray& line : cpuMaxLines) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() != 2)
            continue;
        bool quotaOk = false, periodOk = false;
        const qint64 quota = fields[0].toLongLong(&quotaOk);
        const qint64 period = fields[1].toLongLong(&periodOk);
        if (quotaOk && periodOk && quota > 0 && period > 0)
            share = std::min<qint64>(share, std::max<qint64>(1, (quota + period - 1) / period));
    }
    return share;
}

namespace {

// cpu.max of our cgroup and of every cgroup above it: each one limits us.
QList<QByteArray> cgroupCpuMaxLines() {
    QFile own(QStringLiteral("/proc/self/cgroup"));
    if (!own.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines;
    for (const QByteArray& entry : own.readAll().split('\n')) {
        if (!entry.startsWith("0::/"))
            continue;
        QString group = QString::fromUtf8(entry.mid(3)).trimmed();
        for (;;) {
            QFile cpuMax(QStringLiteral("/sys/fs/cgroup") + group + QStringLiteral("/cpu.max"));
            if (cpuMax.open(QIODevice::ReadOnly))
                lines << cpuMax.readAll();
            if (group == QLatin1String("/") || group.isEmpty())
                break;
            group = group.left(std::max<qsizetype>(group.lastIndexOf(u'/'), 1));
        }
    }
    return lines;
}

} // namespace

int usableProcessors() {
    // The affinity mask, not the machine: under taskset or a batch scheduler's allocation
    // more jobs than allowed processors would only take turns. A scheduler that does not bind
    // processors still says what it gave us, and a cgroup quota caps us whatever the mask.
    cpu_set_t set;
    CPU_ZERO(&set);
    const int affinity = sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0
                             ? CPU_COUNT(&set)
                             : static_cast<int>(std::max(1U, std::thread::hardware_concurrency()));
    return processorShare(affinity, qgetenv("SLURM_CPUS_PER_TASK"), cgroupCpuMaxLines());
}

} // namespace vc
