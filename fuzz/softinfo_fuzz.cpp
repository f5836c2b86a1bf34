// softinfo.dat: the product link records looked up by the names the program ships under, and
// the addresses found checked as they are before one is opened.
#include "FuzzSupport.h"
#include "app/ProductLinks.h"
#include "shell/Dialogs.h"

#include <QList>

using namespace vc;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray file(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    QList<QString> names{QStringLiteral("VideoConverter"), QStringLiteral("Video Converter"),
                         QStringLiteral("iPod Converter"), QString()};
    // The first record's own name, so a mutated record can still be found.
    if (size >= 1)
        names << QString::fromUtf8(file.mid(1, std::min<int>(data[0], 30)));

    for (const QString& name : names) {
        const std::optional<ProductLinks> links = ProductLinks::find(file, name);
        if (!links)
            continue;
        fuzz::check(size >= ProductLinks::RecordSize, "a link found in a short file");
        fuzz::check(links->product == name, "a link for another product", links->product);
        // Each address has 150 bytes; no decoding makes more characters of them.
        fuzz::check(links->web.size() <= 150 && links->support.size() <= 150,
                    "an address spilled out of its field");
        isOpenableAddress(links->web);
        isOpenableAddress(links->support);

        // Written back, a found record finds the same addresses when they fit their fields.
        const QByteArray record = ProductLinks::record(name, {}, links->web, links->support);
        fuzz::check(record.size() == ProductLinks::RecordSize, "a record of the wrong size");
        const auto again = ProductLinks::find(record, name);
        fuzz::check(again.has_value() || name.toUtf8().size() > 30, "a written record is lost",
                    name);
        if (again && links->web.toUtf8().size() <= 150 && links->support.toUtf8().size() <= 150)
            fuzz::check(again->web == links->web && again->support == links->support,
                        "a written record reads back otherwise");
    }
    return 0;
}
