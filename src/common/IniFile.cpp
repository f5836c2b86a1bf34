#include "common/IniFile.h"

#include "common/FileNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QScopeGuard>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vc {

namespace detail {

enum class LineKind { Blank, Comment, Section, Key, Other };

struct IniLine {
    QByteArray text; // without its line end
    QByteArray end;  // "\n", "\r\n", or empty for an unterminated last line
    LineKind kind = LineKind::Other;
    QString name;  // section or key
    QString value; // trimmed and unquoted
};

struct IniDocument {
    bool exists = false;
    bool readable = true;
    QByteArray bytes; // the file exactly as read, to notice changes
    QByteArray bom;
    QByteArray newline = "\n";
    std::vector<IniLine> lines;
};

} // namespace detail

namespace {

using detail::IniDocument;
using detail::IniLine;
using detail::LineKind;

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString unquoted(const QString& value) {
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

void classify(IniLine& line) {
    // Decoded as file names are, so a value naming a file in another encoding keeps its bytes.
    const QString text = nameFromBytes(line.text).trimmed();
    line.name.clear();
    line.value.clear();
    if (text.isEmpty()) {
        line.kind = LineKind::Blank;
    } else if (text.front() == u';' || text.front() == u'#') {
        line.kind = LineKind::Comment;
    } else if (text.front() == u'[') {
        // Like Windows, the header ends at the last ']'; without one the line is ignored.
        const qsizetype close = text.lastIndexOf(u']');
        line.kind = close > 0 ? LineKind::Section : LineKind::Other;
        if (close > 0)
            line.name = text.sliced(1, close - 1).trimmed();
    } else if (const qsizetype eq = text.indexOf(u'='); eq > 0) {
        line.kind = LineKind::Key;
        line.name = text.first(eq).trimmed();
        line.value = unquoted(text.sliced(eq + 1).trimmed());
    } else {
        line.kind = LineKind::Other;
    }
}

std::shared_ptr<IniDocument> parse(const QByteArray& bytes) {
    auto doc = std::make_shared<IniDocument>();
    doc->exists = true;
    doc->bytes = bytes;
    QByteArrayView rest(bytes);
    if (rest.startsWith("\xEF\xBB\xBF")) {
        doc->bom = rest.first(3).toByteArray();
        rest = rest.sliced(3);
    }
    bool styleKnown = false;
    while (!rest.isEmpty()) {
        IniLine line;
        const qsizetype lf = rest.indexOf('\n');
        if (lf < 0) {
            line.text = rest.toByteArray();
            rest = {};
        } else {
            const bool crlf = lf > 0 && rest[lf - 1] == '\r';
            line.text = rest.first(crlf ? lf - 1 : lf).toByteArray();
            line.end = crlf ? "\r\n" : "\n";
            rest = rest.sliced(lf + 1);
            if (!styleKnown) {
                doc->newline = line.end;
                styleKnown = true;
            }
        }
        classify(line);
        doc->lines.push_back(std::move(line));
    }
    return doc;
}

QByteArray serialize(const IniDocument& doc) {
    QByteArray out = doc.bom;
    for (const IniLine& line : doc.lines)
        out += line.text + line.end;
    return out;
}

std::optional<QString> validSection(const QString& section) {
    const QString name = section.trimmed();
    if (name.isEmpty() || name.contains(u'\n') || name.contains(u'\r'))
        return std::nullopt;
    return name;
}

std::optional<QString> validKey(const QString& key) {
    const QString name = key.trimmed();
    if (name.isEmpty() || name.contains(u'=') || name.contains(u'\n') || name.contains(u'\r') ||
        name.front() == u'[' || name.front() == u';' || name.front() == u'#')
        return std::nullopt;
    return name;
}

// Quotes a value exactly when reading it back would otherwise lose blanks or quotes.
std::optional<QByteArray> encodedValue(const QString& value) {
    if (value.contains(u'\n') || value.contains(u'\r'))
        return std::nullopt;
    const bool quote = value != value.trimmed() || unquoted(value) != value;
    return nameBytes(quote ? u'"' + value + u'"' : value);
}

qsizetype findSection(const IniDocument& doc, const QString& name, qsizetype from = 0) {
    for (qsizetype i = from; i < qsizetype(doc.lines.size()); ++i)
        if (doc.lines[i].kind == LineKind::Section && sameName(doc.lines[i].name, name))
            return i;
    return -1;
}

qsizetype sectionEnd(const IniDocument& doc, qsizetype header) {
    qsizetype i = header + 1;
    while (i < qsizetype(doc.lines.size()) && doc.lines[i].kind != LineKind::Section)
        ++i;
    return i;
}

qsizetype findKey(const IniDocument& doc, qsizetype header, const QString& name) {
    const qsizetype end = sectionEnd(doc, header);
    for (qsizetype i = header + 1; i < end; ++i)
        if (doc.lines[i].kind == LineKind::Key && sameName(doc.lines[i].name, name))
            return i;
    return -1;
}

void insertLine(IniDocument& doc, qsizetype at, const QByteArray& text) {
    if (at > 0 && doc.lines[at - 1].end.isEmpty())
        doc.lines[at - 1].end = doc.newline;
    IniLine line;
    line.text = text;
    line.end = doc.newline;
    classify(line);
    doc.lines.insert(doc.lines.begin() + at, std::move(line));
}

// Far above any INI file the program keeps, far below what would strain memory.
constexpr qsizetype MaxFileBytes = qsizetype(1) << 20;

enum class Found { Missing, Refused, Read };

// Only a regular file is read: a FIFO would block, a device might never end. The open itself
// must not block either, and the type is taken from the open descriptor, so the entry cannot be
// swapped between the check and the read.
Found readRegularFile(const QString& path, QByteArray& bytes) {
    // Built into the program (a built-in layout): nothing outside can replace it.
    if (path.startsWith(QLatin1String(":/"))) {
        QFile resource(path);
        if (!resource.open(QIODevice::ReadOnly))
            return Found::Missing;
        bytes = resource.read(MaxFileBytes);
        return Found::Read;
    }
    const QByteArray name = nameBytes(path);
    int fd = -1;
    do
        fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? Found::Missing : Found::Refused;
    const auto closeFile = qScopeGuard([fd] { ::close(fd); });
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > MaxFileBytes)
        return Found::Refused;

    // Reading one byte past the limit notices a file that grows meanwhile; files under /proc
    // report no size at all.
    bytes.resize(qsizetype(st.st_size) + 1);
    qsizetype used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (used > MaxFileBytes)
                return Found::Refused;
            bytes.resize(std::min(std::max(used * 2, qsizetype(4096)), MaxFileBytes + 1));
        }
        const ssize_t got = ::read(fd, bytes.data() + used, std::size_t(bytes.size() - used));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Found::Refused;
        if (got == 0)
            break;
        used += got;
    }
    bytes.truncate(used);
    return Found::Read;
}

std::optional<int> leadingInt(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    const qsizetype digitsStart = i;
    constexpr qint64 limit = qint64(std::numeric_limits<int>::max()) + 1;
    qint64 magnitude = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        magnitude = magnitude * 10 + (text[i].unicode() - u'0');
        if (magnitude > limit)
            return std::nullopt;
    }
    if (i == digitsStart)
        return std::nullopt;
    const qint64 value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

} // namespace

QString configDir() {
    const QString override = qEnvironmentVariable("VIDEOCONVERTER_CONFIG_DIR");
    if (!override.isEmpty())
        return QDir::cleanPath(QDir(override).absolutePath());
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    const QDir base = !xdg.isEmpty() && QDir::isAbsolutePath(xdg)
                          ? QDir(xdg)
                          : QDir(QDir(QDir::homePath()).filePath(QStringLiteral(".config")));
    return QDir::cleanPath(base.filePath(QStringLiteral("VideoConverter")));
}

IniFile::IniFile(const QString& fileName) {
    const bool hasFolder = QDir::fromNativeSeparators(fileName).contains(u'/');
    path_ = QDir::cleanPath(hasFolder ? QFileInfo(fileName).absoluteFilePath()
                                      : QDir(configDir()).filePath(fileName));
}

std::shared_ptr<const IniDocument> IniFile::load() const {
    QByteArray bytes;
    const Found found = readRegularFile(path_, bytes);
    if (found == Found::Read && cache_ && cache_->exists && cache_->readable &&
        cache_->bytes == bytes)
        return cache_;
    std::shared_ptr<IniDocument> doc;
    if (found == Found::Read) {
        doc = parse(bytes);
    } else {
        // Something that exists but cannot be read must never be written over.
        doc = std::make_shared<IniDocument>();
        doc->exists = found == Found::Refused;
        doc->readable = !doc->exists;
    }
    cache_ = doc;
    return doc;
}

template <typename Change> bool IniFile::edit(Change&& change) {
    const std::shared_ptr<const IniDocument> current = load();
    if (!current->readable)
        return false;
    IniDocument doc = *current;
    change(doc);
    const QByteArray bytes = serialize(doc);
    if (bytes == current->bytes && (current->exists || bytes.isEmpty()))
        return true;
    if (bytes.size() > MaxFileBytes) // it could not be read back
        return false;

    if (!QDir().mkpath(QFileInfo(path_).absolutePath()))
        return false;
    QSaveFile out(path_);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    // Qt 6.4's commit() ignores a failed flush and would publish half a file (seen with a full
    // disk), so the flush is checked here.
    if (out.write(bytes) != bytes.size() || !out.flush()) {
        out.cancelWriting();
        return false;
    }
    if (!out.commit())
        return false;
    cache_ = parse(bytes);
    return true;
}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const {
    const auto sectionName = validSection(section);
    const auto keyName = validKey(key);
    if (!sectionName || !keyName)
        return def;
    const auto doc = load();
    const qsizetype header = findSection(*doc, *sectionName);
    if (header < 0)
        return def;
    const qsizetype line = findKey(*doc, header, *keyName);
    return line < 0 ? def : doc->lines[line].value;
}

int IniFile::readInt(const QString& section, const QString& key, int def) const {
    // A missing key reads as "", which has no digits either.
    return leadingInt(readString(section, key)).value_or(def);
}

bool IniFile::readBool(const QString& section, const QString& key, bool def) const {
    return readInt(section, key, def ? 1 : 0) != 0;
}

bool IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    const auto sectionName = validSection(section);
    const auto keyName = validKey(key);
    const auto encoded = encodedValue(value);
    if (!sectionName || !keyName || !encoded)
        return false;
    return edit([&](IniDocument& doc) {
        const qsizetype header = findSection(doc, *sectionName);
        const QByteArray keyLine = nameBytes(*keyName) + '=' + *encoded;
        if (header < 0) {
            if (!doc.lines.empty() && doc.lines.back().kind != LineKind::Blank)
                insertLine(doc, doc.lines.size(), {});
            insertLine(doc, doc.lines.size(), '[' + nameBytes(*sectionName) + ']');
            insertLine(doc, doc.lines.size(), keyLine);
            return;
        }
        if (const qsizetype found = findKey(doc, header, *keyName); found >= 0) {
            // Keep the key's own spelling and the blanks around '='; only the value changes.
            IniLine& line = doc.lines[found];
            qsizetype start = line.text.indexOf('=') + 1;
            while (start < line.text.size() &&
                   (line.text[start] == ' ' || line.text[start] == '\t'))
                ++start;
            line.text = line.text.first(start) + *encoded;
            classify(line);
            return;
        }
        qsizetype at = sectionEnd(doc, header);
        while (at > header + 1 && doc.lines[at - 1].kind == LineKind::Blank)
            --at;
        insertLine(doc, at, keyLine);
    });
}

bool IniFile::writeInt(const QString& section, const QString& key, int value) {
    return writeString(section, key, QString::number(value));
}

bool IniFile::deleteKey(const QString& section, const QString& key) {
    const auto sectionName = validSection(section);
    const auto keyName = validKey(key);
    if (!sectionName || !keyName)
        return true;
    return edit([&](IniDocument& doc) {
        const qsizetype header = findSection(doc, *sectionName);
        if (header < 0)
            return;
        const qsizetype end = sectionEnd(doc, header);
        for (qsizetype i = end - 1; i > header; --i)
            if (doc.lines[i].kind == LineKind::Key && sameName(doc.lines[i].name, *keyName))
                doc.lines.erase(doc.lines.begin() + i);
    });
}

bool IniFile::deleteSection(const QString& section) {
    const auto sectionName = validSection(section);
    if (!sectionName)
        return true;
    return edit([&](IniDocument& doc) {
        for (qsizetype header = findSection(doc, *sectionName); header >= 0;
             header = findSection(doc, *sectionName, header))
            doc.lines.erase(doc.lines.begin() + header,
                            doc.lines.begin() + sectionEnd(doc, header));
    });
}

QStringList IniFile::sections() const {
    const auto doc = load();
    QStringList names;
    for (const IniLine& line : doc->lines)
        if (line.kind == LineKind::Section && validSection(line.name) &&
            !names.contains(line.name, Qt::CaseInsensitive))
            names += line.name;
    return names;
}

QStringList IniFile::keys(const QString& section) const {
    const auto sectionName = validSection(section);
    if (!sectionName)
        return {};
    const auto doc = load();
    const qsizetype header = findSection(*doc, *sectionName);
    if (header < 0)
        return {};
    QStringList names;
    const qsizetype end = sectionEnd(*doc, header);
    for (qsizetype i = header + 1; i < end; ++i)
        if (doc->lines[i].kind == LineKind::Key &&
            !names.contains(doc->lines[i].name, Qt::CaseInsensitive))
            names += doc->lines[i].name;
    return names;
}

} // namespace vc
