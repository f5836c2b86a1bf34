#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QUrl>

namespace vc {

// A Linux file name is bytes. Qt reads them as UTF-8 and turns a byte that is not into U+FFFD,
// so a name in another encoding comes back as different bytes and names another file. These
// keep such a byte as the lone surrogate U+DC80..U+DCFF instead, and give it back on the way
// out: every byte string decodes to one text and encodes back to itself.
QString nameFromBytes(QByteArrayView bytes);
QByteArray nameBytes(QStringView name);

// The file system calls for names that may hold such bytes, which Qt's file classes would
// turn into other names.
bool isFolderPath(const QString& path);
// Any directory entry, a dangling link included.
bool pathEntryExists(const QString& path);
// The size of what the path names (through links), -1 when there is nothing.
qint64 pathFileSize(const QString& path);
// The path names (through links) a FIFO, a socket or a device, whose opening may wait for ever.
// False for a regular file, a folder and nothing at all.
bool isSpecialFilePath(const QString& path);
bool removeFilePath(const QString& path);
// A folder with every missing parent; true when it is there afterwards.
bool makeFolderPath(const QString& path);
// A folder, its last level made when missing, that takes a new file; empty when it does,
// otherwise the system's reason ("Permission denied", "Not a directory", "No space left on
// device").
QString makeWritableFolder(const QString& path);
// The names in a folder but "." and "..", in the order the file system gives them.
QStringList folderEntryNames(const QString& folder);
// Against the process's current folder, without resolving links; cleaned like QDir::cleanPath.
QString absoluteFilePath(const QString& path);

// Qt's file dialogs and folder views decode names as UTF-8 text, so a name in another encoding
// comes back with U+FFFD for its odd bytes and names nothing. This finds the one entry such a
// path was read from; a path that exists, or that no single entry fits, is given back as it is.
QString entryMeant(const QString& path);

// file:// addresses carry the bytes percent-encoded.
QUrl fileUrlOf(const QString& path);
// Empty for an address that is not a local file.
QString pathOfFileUrl(const QUrl& url);

} // namespace vc
