#pragma once

#include "convert/JobRecord.h"
#include "profiles/QualityRates.h"

#include <QString>
#include <functional>

namespace vc {

// Everything a conversion job is built from, read at the moment it starts.
struct ConversionInputs {
    QString outputFolder; // the output field's text
    QString title;        // the row's caption
    QString path;
    SourceInfo source; // duration after cutting, resolution, rates
    int cutbegin = 0;
    ProfileState profile;
    ParameterChoice choice;
    bool sizeEnabled = true;
    // The part converted runs to the source's end (no cut, or a cut ending at the end).
    bool toEnd = false;
    // A disc title's chosen audio (from 1) and burned-in subtitle (0 none); 0 for a file.
    int discAudio = 0;
    int discSubtitle = 0;
    // A file's: its Nth audio stream (0 when it has only one or none) and its Nth subtitle
    // stream burned in (0 none); 0 for a disc title.
    int fileAudio = 0;
    int fileSubtitle = 0;
};

// What became of an attempt to take an output name.
enum class NameClaim {
    Taken,   // some directory entry has it: try the next candidate
    Ours,    // created empty and exclusively for this run
    Refused, // the folder will not take it; the run fails on it and the tool says why
};
using ClaimName = std::function<NameClaim(const QString& path)>;

// Takes a name on disk. Any entry makes it taken, a dangling link included; otherwise it is
// created exclusively, so a concurrent run cannot pick it and nothing is written through a
// link that appears later.
NameClaim claimOnDisk(const QString& path);

// The output folder as the job uses it: with one trailing separator.
QString jobFolder(const QString& outputFolderText);

// The first free output name: the title with the profile's extension, then title_1, title_2...
// `ours` tells whether the name was created for this run.
QString outputFileName(const QString& folder, const QString& title, const QString& extension,
                       const ClaimName& claim, bool* ours = nullptr);

// "1.3333": width over height with four decimals and at most five significant digits, "."
// whatever the locale. Empty when the size has no usable width and height.
QString aspectText(const QString& size);

// Fills every option field of the job and claims its output name; toolpath and workdir stay
// as they are.
void fillJob(intputrec& job, const ConversionInputs& in, const ClaimName& claim);

} // namespace vc
