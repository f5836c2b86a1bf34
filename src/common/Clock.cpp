#include "common/Clock.h"

#include <limits>

namespace vc {

bool parseInteger(QStringView text, std::int64_t& value) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size())
        return false;
    std::uint64_t magnitude = 0;
    constexpr std::uint64_t limit = std::numeric_limits<std::int64_t>::max();
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        magnitude = magnitude * 10 + (c - u'0');
        if (magnitude > limit)
            return false;
    }
    value = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    return true;
}

std::int64_t clockToSeconds(const QString& text) {
    std::int64_t h = 0, m = 0, s = 0;
    if (!parseInteger(QStringView(text).mid(0, 2), h) ||
        !parseInteger(QStringView(text).mid(3, 2), m) ||
        !parseInteger(QStringView(text).mid(6, 2), s))
        return 0;
    return h * 3600 + m * 60 + s;
}

QString secondsToClock(std::int64_t seconds) {
    // A negative length has no clock form; show it as nothing elapsed.
    if (seconds < 0)
        seconds = 0;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace vc
