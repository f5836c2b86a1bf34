#pragma once

#include <cmath>
#include <cstdint>
#include <optional>

namespace vc {

// a * b / c to the nearest integer, halves away from zero, with a 64-bit product.
// No result when c is 0.
constexpr std::optional<std::int64_t> mulDivRound(std::int64_t a, std::int64_t b, std::int64_t c) {
    if (c == 0)
        return std::nullopt;
    std::int64_t product = a * b;
    const bool negative = (product < 0) != (c < 0);
    std::uint64_t num =
        product < 0 ? 0 - static_cast<std::uint64_t>(product) : static_cast<std::uint64_t>(product);
    std::uint64_t den = c < 0 ? 0 - static_cast<std::uint64_t>(c) : static_cast<std::uint64_t>(c);
    std::uint64_t q = num / den;
    if ((num % den) * 2 >= den)
        ++q;
    return negative ? -static_cast<std::int64_t>(q) : static_cast<std::int64_t>(q);
}

// Nearest integer with ties going to the even neighbour (2.5 -> 2, 3.5 -> 4).
inline std::int64_t roundHalfEven(double value) {
    const double floor = std::floor(value);
    const double diff = value - floor;
    auto result = static_cast<std::int64_t>(floor);
    if (diff > 0.5 || (diff == 0.5 && (result % 2 != 0)))
        ++result;
    return result;
}

} // namespace vc
