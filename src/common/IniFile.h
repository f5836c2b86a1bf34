#pragma once

#include <QString>
#include <QStringList>
#include <memory>

namespace vc {

namespace detail {
struct IniDocument;
}

// The user's configuration folder, always absolute: $VIDEOCONVERTER_CONFIG_DIR when set and
// non-empty, else $XDG_CONFIG_HOME/VideoConverter when that is absolute, else
// ~/.config/VideoConverter.
QString configDir();

// A private-profile (INI) file with the Windows semantics. Section and key names compare
// case-insensitively and are trimmed; values are trimmed and lose one pair of matching quotes.
// The first of duplicate sections or keys wins. Lines before the first section belong to none.
// Every read looks at the file again (it is re-parsed only when its bytes changed), so changes
// made through other objects are seen at once. Not for use from several threads at a time.
class IniFile {
public:
    // A name without a folder part lives in configDir() as it is at construction; a name with
    // one is used as given (relative to the current folder then).
    explicit IniFile(const QString& fileName);

    QString path() const { return path_; }

    // A missing file, section or key gives def; a key with an empty value gives "". Only a
    // regular file of at most 1 MiB is read (through links); anything else at the path (a FIFO,
    // a device, a folder, a larger file) reads as missing and is never written over.
    QString readString(const QString& section, const QString& key, const QString& def = {}) const;
    // Leading blanks, an optional sign and the decimal digits after it ("12abc" is 12); a missing
    // key, a value without leading digits or one outside the int range gives def.
    int readInt(const QString& section, const QString& key, int def) const;
    // readInt, non-zero meaning true.
    bool readBool(const QString& section, const QString& key, bool def) const;

    // Every change reaches the disk before returning, replacing the file atomically; all other
    // lines stay byte for byte. False means the file was left as it was: it could not be read or
    // written, the file would outgrow what is read, or the names or value cannot be stored
    // (empty names, line breaks, a key holding '=' or starting with '[', ';' or '#'). A value
    // that reading would trim or unquote is written inside double quotes, so it reads back
    // unchanged.
    bool writeString(const QString& section, const QString& key, const QString& value);
    bool writeInt(const QString& section, const QString& key, int value);
    // Remove every copy of the key in its section, or every section of the name with all its
    // lines, so that it reads as missing afterwards. Nothing to remove counts as success.
    bool deleteKey(const QString& section, const QString& key);
    bool deleteSection(const QString& section);

    // Names in file order, each once, spelt as at its first appearance.
    QStringList sections() const;
    QStringList keys(const QString& section) const;

private:
    std::shared_ptr<const detail::IniDocument> load() const;
    template <typename Change> bool edit(Change&& change);

    QString path_;
    mutable std::shared_ptr<const detail::IniDocument> cache_;
};

} // namespace vc
