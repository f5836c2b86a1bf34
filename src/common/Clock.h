#pragma once

#include <QString>
#include <cstdint>

namespace vc {

// Reads "hh:mm:ss" by position (characters 1-2, 4-5, 7-8); any piece that is not an
// integer makes the whole value 0, so "N/A, sta" reads as 0.
std::int64_t clockToSeconds(const QString& text);

// Whole seconds as "hh:mm:ss", each part zero-padded to two digits; hours may grow wider.
QString secondsToClock(std::int64_t seconds);

// Reads a decimal integer the way the original text fields did: leading blanks, an optional
// sign, then digits up to the end. Returns false for anything else, including overflow.
bool parseInteger(QStringView text, std::int64_t& value);

} // namespace vc
