#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace vc {

// The web and support addresses of one product, from the product link file: fixed 484-byte
// records of four length-prefixed strings.
struct ProductLinks {
    QString product;
    QString web;
    QString support;

    static constexpr int RecordSize = 484;

    // The first record whose product name equals programName exactly. A record cut short at
    // the end of the data is not read.
    static std::optional<ProductLinks> find(const QByteArray& data, const QString& programName);
    // One record as the file holds it; texts longer than their fields are cut.
    static QByteArray record(const QString& product, const QString& first, const QString& web,
                             const QString& support);
};

} // namespace vc
