#pragma once

#include <QByteArray>
#include <QList>

namespace vc {

// The conversions at once that the processors given to us allow: the smallest of the
// affinity mask's count, Slurm's SLURM_CPUS_PER_TASK and every cgroup cpu.max quota (rounded
// up), at least one.
int processorShare(int affinity, const QByteArray& slurmCpusPerTask,
                   const QList<QByteArray>& cpuMaxLines);
// That share for this process.
int usableProcessors();

} // namespace vc
