#include "convert/Progress.h"

#include "common/Rounding.h"

#include <algorithm>
#include <utility>

namespace vc {

std::int64_t reportedSeconds(std::string_view line) {
    constexpr std::string_view timeKey = "time=";
    constexpr std::string_view rateKey = "bitrate=";
    const std::size_t p = line.find(timeKey);
    const std::size_t q = line.find(rateKey);
    if (p == std::string_view::npos || q == std::string_view::npos || q <= p)
        return 0;
    const std::size_t from = p + timeKey.size();
    const std::size_t dot = line.substr(0, q + 1).find('.', from);
    if (dot == std::string_view::npos)
        return 0;
    std::string_view whole = line.substr(from, dot - from);
    while (!whole.empty() && whole.front() == ' ')
        whole.remove_prefix(1);
    if (whole.empty())
        return 0;
    std::int64_t value = 0;
    for (const char c : whole) {
        if (c < '0' || c > '9')
            return 0;
        value = value * 10 + (c - '0');
        if (value > 100000)
            return 0;
    }
    return value;
}

bool isStatusLine(std::string_view line) {
    while (!line.empty() && line.front() == ' ')
        line.remove_prefix(1);
    for (const std::string_view key : {"frame=", "size=", "Lsize="})
        if (line.substr(0, key.size()) == key)
            return true;
    return reportedSeconds(line) > 0;
}

void RunWords::take(std::string_view line) {
    const QString words =
        QString::fromLocal8Bit(line.data(), static_cast<qsizetype>(line.size())).trimmed();
    if (!words.isEmpty() && !isStatusLine(line))
        before_ = std::exchange(last_, words);
}

std::optional<std::int64_t> progressValue(std::int64_t reported, std::int64_t seconds) {
    return mulDivRound(reported, 10000, seconds);
}

std::int64_t heldProgress(std::int64_t previous, std::int64_t value) {
    constexpr std::int64_t JustBelowTheEnd = 9999;
    return std::min(std::max(previous, value), JustBelowTheEnd);
}

QString progressStatusText(std::int64_t value) {
    const std::int64_t whole = value / 100;
    const std::int64_t hundredths = value % 100;
    return QStringLiteral("%1.%2%")
        .arg(whole, 2, 10, QLatin1Char('0'))
        .arg(hundredths, 2, 10, QLatin1Char('0'));
}

} // namespace vc
