#pragma once

#include "cli/BatchOptions.h"
#include "profiles/ProfileParameters.h"

#include <QString>
#include <QStringList>

namespace vc::cli {

struct ProfileLookup {
    int number = 0;
    QString error;
};

// A profile number, or a display name compared exactly. A name that several profiles carry
// counts for the one the picker can select; still several is an error naming the numbers.
ProfileLookup findProfile(const QString& text);

// The category's name as the profile list prints it; empty out of range.
QString categoryName(int index);

// Selects the entry of a box that text names: its index, its text (case ignored), the part of
// it before a bracketed comment ("320x240" for "320x240(QVGA)"), or "original" for the
// keep-source entry. An empty text means no entry; "what" names the box in the message.
QString chooseEntry(BoxState& box, const QString& text, const QString& what);

// Applies the options' choices to the boxes of the selected profile. A box the profile keeps
// disabled refuses any choice, as the window does. Gives the first refusal.
QString applyBoxOptions(const Options& options, ParameterBoxStates& boxes);

// One row per profile: number, category, display name, extension and the frame sizes the
// size box offers (joined by ", "; "-" when the profile takes no size). Batch mode prints a
// row as one line with tabs between the fields.
struct ProfileListing {
    QList<QStringList> rows;
    QString error; // the profile data file could not be read
};
ProfileListing listProfiles(const QString& dataFile);

} // namespace vc::cli
