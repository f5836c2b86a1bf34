#include "common/FileNames.h"

#include <QDir>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace vc {

namespace {

constexpr char16_t KeptByte = 0xDC00;

bool continuation(unsigned char b, unsigned char low = 0x80, unsigned char high = 0xBF) {
    return b >= low && b <= high;
}

// The length of the well-formed UTF-8 sequence at p, 0 when there is none: no overlong forms,
// no surrogates, nothing past U+10FFFF. Anything looser would let two byte strings decode to
// one text.
int sequenceAt(const unsigned char* p, qsizetype left, char32_t& code) {
    const unsigned char b = p[0];
    if (b < 0x80) {
        code = b;
        return 1;
    }
    if (b >= 0xC2 && b <= 0xDF && left >= 2 && continuation(p[1])) {
        code = (char32_t(b & 0x1F) << 6) | (p[1] & 0x3F);
        return 2;
    }
    if (b >= 0xE0 && b <= 0xEF && left >= 3) {
        const unsigned char low = b == 0xE0 ? 0xA0 : 0x80;
        const unsigned char high = b == 0xED ? 0x9F : 0xBF;
        if (continuation(p[1], low, high) && continuation(p[2])) {
            code = (char32_t(b & 0x0F) << 12) | (char32_t(p[1] & 0x3F) << 6) | (p[2] & 0x3F);
            return 3;
        }
    }
    if (b >= 0xF0 && b <= 0xF4 && left >= 4) {
        const unsigned char low = b == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = b == 0xF4 ? 0x8F : 0xBF;
        if (continuation(p[1], low, high) && continuation(p[2]) && continuation(p[3])) {
            code = (char32_t(b & 0x07) << 18) | (char32_t(p[1] & 0x3F) << 12) |
                   (char32_t(p[2] & 0x3F) << 6) | (p[3] & 0x3F);
            return 4;
        }
    }
    return 0;
}

void appendUtf8(QByteArray& out, char32_t code) {
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

bool statPath(const QString& path, struct stat& st) {
    return !path.isEmpty() && ::stat(nameBytes(path).constData(), &st) == 0;
}

} // namespace

QString nameFromBytes(QByteArrayView bytes) {
    QString text;
    text.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (qsizetype i = 0; i < bytes.size();) {
        char32_t code = 0;
        if (const int length = sequenceAt(p + i, bytes.size() - i, code)) {
            if (code < 0x10000) {
                text += QChar(char16_t(code));
            } else {
                text += QChar(QChar::highSurrogate(code));
                text += QChar(QChar::lowSurrogate(code));
            }
            i += length;
        } else {
            text += QChar(char16_t(KeptByte | p[i]));
            ++i;
        }
    }
    return text;
}

QByteArray nameBytes(QStringView name) {
    QByteArray out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t u = name[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < name.size() &&
            QChar::isLowSurrogate(name[i + 1].unicode())) {
            appendUtf8(out, QChar::surrogateToUcs4(u, name[i + 1].unicode()));
            ++i;
        } else if (u >= KeptByte + 0x80 && u <= KeptByte + 0xFF) {
            out += char(u & 0xFF);
        } else if (QChar::isSurrogate(u)) {
            appendUtf8(out, 0xFFFD); // no byte string decodes to it
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

bool isFolderPath(const QString& path) {
    struct stat st {};
    return statPath(path, st) && S_ISDIR(st.st_mode);
}

bool pathEntryExists(const QString& path) {
    struct stat st {};
    return !path.isEmpty() && ::lstat(nameBytes(path).constData(), &st) == 0;
}

qint64 pathFileSize(const QString& path) {
    struct stat st {};
    return statPath(path, st) ? qint64(st.st_size) : -1;
}

bool isSpecialFilePath(const QString& path) {
    struct stat st {};
    return statPath(path, st) && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

bool removeFilePath(const QString& path) {
    return !path.isEmpty() && ::unlink(nameBytes(path).constData()) == 0;
}

bool makeFolderPath(const QString& path) {
    if (path.isEmpty())
        return false;
    const QByteArray bytes = nameBytes(absoluteFilePath(path));
    for (qsizetype slash = bytes.indexOf('/', 1); slash > 0; slash = bytes.indexOf('/', slash + 1))
        ::mkdir(bytes.left(slash).constData(), 0777);
    ::mkdir(bytes.constData(), 0777);
    return isFolderPath(path);
}

QString makeWritableFolder(const QString& path) {
    if (path.isEmpty())
        return QString::fromLocal8Bit(std::strerror(ENOENT));
    const QByteArray bytes = nameBytes(absoluteFilePath(path));
    // Only the last level: a mistyped parent is told, not made.
    const int madeError = ::mkdir(bytes.constData(), 0777) != 0 && errno != EEXIST ? errno : 0;
    if (!isFolderPath(path))
        return QString::fromLocal8Bit(std::strerror(madeError != 0 ? madeError : ENOTDIR));
    // A file with no name where the file system has them, so nothing is ever seen there; a
    // byte written, as a full disk refuses data, not names.
    int fd = ::open(bytes.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    QByteArray named;
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        named = bytes + "/.videoconverter-write-test-XXXXXX";
        fd = ::mkostemp(named.data(), O_CLOEXEC);
    }
    int error = fd < 0 ? errno : 0;
    if (fd >= 0) {
        struct statvfs space {};
        if (::write(fd, "", 1) != 1)
            error = errno;
        else if (::fstatvfs(fd, &space) == 0 && space.f_bavail == 0)
            error = ENOSPC;
        ::close(fd);
        if (!named.isEmpty())
            ::unlink(named.constData());
    }
    return error != 0 ? QString::fromLocal8Bit(std::strerror(error)) : QString();
}

QStringList folderEntryNames(const QString& folder) {
    QStringList names;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(nameBytes(folder).constData()),
                                                  ::closedir);
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const QByteArrayView name(entry->d_name);
        if (name != "." && name != "..")
            names << nameFromBytes(name);
    }
    return names;
}

QString absoluteFilePath(const QString& path) {
    if (path.startsWith(u'/'))
        return QDir::cleanPath(path);
    QByteArray current(4096, '\0');
    while (::getcwd(current.data(), std::size_t(current.size())) == nullptr && errno == ERANGE)
        current.resize(current.size() * 2);
    return QDir::cleanPath(nameFromBytes(current.constData()) + u'/' + path);
}

QString entryMeant(const QString& path) {
    if (!path.startsWith(u'/') || pathEntryExists(path) ||
        !path.contains(QChar::ReplacementCharacter))
        return path;
    QString meant;
    for (const QString& part : path.split(u'/', Qt::SkipEmptyParts)) {
        const QString next = meant + u'/' + part;
        if (!part.contains(QChar::ReplacementCharacter) || pathEntryExists(next)) {
            meant = next;
            continue;
        }
        QStringList fits;
        for (const QString& entry : folderEntryNames(meant.isEmpty() ? QStringLiteral("/") : meant))
            if (QString::fromUtf8(nameBytes(entry)) == part)
                fits << entry;
        if (fits.size() != 1)
            return path;
        meant += u'/' + fits.first();
    }
    return meant;
}

QUrl fileUrlOf(const QString& path) {
    return QUrl::fromEncoded("file://" + nameBytes(absoluteFilePath(path)).toPercentEncoding("/"));
}

QString pathOfFileUrl(const QUrl& url) {
    if (!url.isLocalFile())
        return {};
    return nameFromBytes(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

} // namespace vc
