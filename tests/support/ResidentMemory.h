// Resident memory of this process and the trend of a series of samples; shared by the soak
// test and the soak benchmark so that both judge growth the same way.
#pragma once

#include <QFile>
#include <QList>
#include <unistd.h>
#include <vector>

namespace vc::test {

inline double residentKiB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1
               ? fields[1].toDouble() * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1024.0
               : 0.0;
}

// Least-squares slope of the samples against their index.
inline double slope(const std::vector<double>& y) {
    const double n = static_cast<double>(y.size());
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (std::size_t i = 0; i < y.size(); ++i) {
        const double x = static_cast<double>(i);
        sx += x;
        sy += y[i];
        sxx += x * x;
        sxy += x * y[i];
    }
    return (n * sxy - sx * sy) / (n * sxx - sx * sx);
}

} // namespace vc::test
