// An INI file as the program finds it (settings, parameter store, Skin.ini): everything in it
// read, one key written back, and the file read again by a fresh reader.
#include "FuzzSupport.h"
#include "common/FileNames.h"
#include "common/IniFile.h"

#include <QList>
#include <map>
#include <utility>

using namespace vc;

namespace {

using Key = std::pair<QString, QString>; // section and key, case-folded
using Values = std::map<Key, QString>;

Values readAll(const IniFile& ini) {
    Values values;
    for (const QString& section : ini.sections()) {
        for (const QString& key : ini.keys(section)) {
            const QString value = ini.readString(section, key, QStringLiteral("\x01missing"));
            ini.readInt(section, key, -7);
            values.emplace(Key{section.toCaseFolded(), key.toCaseFolded()}, value);
        }
    }
    return values;
}

bool storable(const QString& text) {
    return !text.contains(u'\n') && !text.contains(u'\r');
}

// Values that reading would trim or unquote, and the file's own values elsewhere.
QString valueToWrite(const Values& values, std::size_t pick) {
    static const QList<QString> awkward{QString(),
                                        QStringLiteral(" padded "),
                                        QStringLiteral("\"quoted\""),
                                        QStringLiteral("'"),
                                        QStringLiteral("a=b; c"),
                                        QStringLiteral("[section]"),
                                        QStringLiteral("\t"),
                                        QStringLiteral("ü × ß"),
                                        QStringLiteral("'x\"")};
    if (values.empty() || pick % 2 == 0)
        return awkward[static_cast<qsizetype>(pick / 2 % static_cast<std::size_t>(awkward.size()))];
    auto it = values.begin();
    std::advance(it, static_cast<std::ptrdiff_t>(pick / 2 % values.size()));
    return it->second;
}

void checkUnchanged(const Values& before, const Values& after, const Key& written) {
    for (const auto& [key, value] : before) {
        if (key == written)
            continue;
        const auto now = after.find(key);
        fuzz::check(now != after.end() && now->second == value, "a write changed another key",
                    QStringLiteral("[%1] %2").arg(key.first, key.second));
    }
    for (const auto& [key, value] : after)
        fuzz::check(key == written || before.count(key), "a write added another key",
                    QStringLiteral("[%1] %2").arg(key.first, key.second));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Values are decoded as file names are: every byte string must come back as it was.
    const QByteArrayView bytes(data, static_cast<qsizetype>(size));
    fuzz::check(nameBytes(nameFromBytes(bytes)) == bytes, "bytes changed through text");
    const QString path = fuzz::writeWorkFile(QStringLiteral("fuzz.ini"), data, size);
    const IniFile reader(path);
    const Values before = readAll(reader);

    // Which key gets written: one of the file's own, or a new one in a section of its own or
    // in a new section.
    std::size_t pick = size;
    for (std::size_t i = 0; i < size; i += 61)
        pick = pick * 31 + data[i];
    QString section = QStringLiteral("Fuzz Section");
    QString key = QStringLiteral("Fuzz Key");
    if (!before.empty() && pick % 4 != 0) {
        auto it = before.begin();
        std::advance(it, static_cast<std::ptrdiff_t>(pick / 4 % before.size()));
        section = it->first.first;
        if (pick % 4 != 1)
            key = it->first.second;
    }
    const QString value = valueToWrite(before, pick / 7);

    IniFile writer(path);
    const bool wrote = writer.writeString(section, key, value);
    const bool canStore =
        storable(section) && storable(key) && storable(value) && !section.trimmed().isEmpty();
    fuzz::check(wrote == canStore, "a write was wrongly refused or accepted",
                QStringLiteral("[%1] %2=%3").arg(section, key, value));
    if (!wrote)
        return 0;

    const IniFile again(path);
    fuzz::check(again.readString(section, key, QStringLiteral("\x01missing")) == value,
                "a written value does not read back", QStringLiteral("[%1] %2").arg(section, key));
    checkUnchanged(before, readAll(again), {section.toCaseFolded(), key.toCaseFolded()});
    return 0;
}
