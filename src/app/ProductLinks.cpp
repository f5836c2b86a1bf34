#include "app/ProductLinks.h"

#include <algorithm>

namespace vc {

namespace {

struct Field {
    int offset;
    int size; // length byte included
};
constexpr Field ProductField{0, 31};
constexpr Field FirstField{31, 151};
constexpr Field WebField{182, 151};
constexpr Field SupportField{333, 151};

QString readField(const char* record, Field f) {
    // A length byte larger than its area would read into the next field; keep to the area.
    const int length = std::min(static_cast<unsigned char>(record[f.offset]) + 0, f.size - 1);
    return QString::fromUtf8(record + f.offset + 1, length);
}

void writeField(QByteArray& record, Field f, const QString& text) {
    QByteArray bytes = text.toUtf8().left(std::min(f.size - 1, 255));
    record[f.offset] = static_cast<char>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), record.begin() + f.offset + 1);
}

} // namespace

std::optional<ProductLinks> ProductLinks::find(const QByteArray& data, const QString& programName) {
    for (qsizetype at = 0; at + RecordSize <= data.size(); at += RecordSize) {
        const char* record = data.constData() + at;
        if (readField(record, ProductField) != programName)
            continue;
        return ProductLinks{programName, readField(record, WebField),
                            readField(record, SupportField)};
    }
    return std::nullopt;
}

QByteArray ProductLinks::record(const QString& product, const QString& first, const QString& web,
                                const QString& support) {
    QByteArray record(RecordSize, '\0');
    writeField(record, ProductField, product);
    writeField(record, FirstField, first);
    writeField(record, WebField, web);
    writeField(record, SupportField, support);
    return record;
}

} // namespace vc
