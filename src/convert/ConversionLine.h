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
    Free,    // no entry has it yet
    Refused, // the folder will not tell; the run fails on it and the tool says why
};
using ClaimName = std::function<NameClaim(const QString& path)>;

// Looks a name up on disk without making anything: any entry makes it taken, a dangling link
// included. The name is the one a run intends; the tool writes into a file without a name
// and takes this one, or the next free "_n", only when the run keeps its output.
NameClaim lookOnDisk(const QString& path);

// The output folder as the job uses it: with one trailing separator.
QString jobFolder(const QString& outputFolderText);

// The first free output name: the title with the profile's extension, then title_1, title_2...
QString outputFileName(const QString& folder, const QString& title, const QString& extension,
                       const ClaimName& claim);

// "1.3333": width over height with four decimals and at most five significant digits, "."
// whatever the locale. Empty when the size has no usable width and height.
QString aspectText(const QString& size);

// Fills every option field of the job and picks its output name; toolpath and workdir stay
// as they are.
void fillJob(intputrec& job, const ConversionInputs& in, const ClaimName& claim);

} // namespace vc
