#pragma once

#include <QString>
#include <QStringList>

namespace vc {

// One profile's group of the profile data file. Profile N owns the zero-based lines 4N-4 (free
// text) to 4N-1.
struct ProfileGroup {
    QStringList sizes; // frame-size entries, verbatim, in file order
    QString rates;     // the five video rates, lowest quality first, or "*" for no video
    QString options;   // converter options, whole
};

struct ProfileGroupRead {
    enum class Status {
        Ok,
        Unreadable,   // the file could not be opened or read; error says why
        MissingGroup, // the file ends before the profile's option line
    };
    Status status = Status::Unreadable;
    QString error;
    ProfileGroup group;
};

// The data file in a program folder.
QString profileDataPath(const QString& programDir);

// Reads only as far as profile `number`'s option line. A trailing CR is dropped from each line
// so files written on Windows read the same.
ProfileGroupRead readProfileGroup(const QString& path, int number);

// What a conversion with profile `number` needs of its group and does not find there, in words
// that follow "its": "frame sizes", "video rates" or "encoder options"; empty when the group
// serves. Disc targets take their sizes and options from the program, so any group serves them.
QString groupLack(int number, const ProfileGroup& group);

// Entries separated by single blanks. An empty entry (two blanks in a row, a leading blank)
// ends the list; a last entry of one character is dropped; at most maxEntries are taken
// (negative: no limit).
QStringList splitEntries(const QString& line, int maxEntries = -1);

} // namespace vc
