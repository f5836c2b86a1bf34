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
};

// The output folder as the job uses it: with one trailing separator.
QString jobFolder(const QString& outputFolderText);

// The first free output name: the title with the profile's extension, then title_1, title_2...
QString outputFileName(const QString& folder, const QString& title, const QString& extension,
                       const std::function<bool(const QString&)>& exists);

// "1.3333": width over height with four decimals and at most five significant digits, "."
// whatever the locale. Empty when the size has no usable width and height.
QString aspectText(const QString& size);

// Fills every option field of the job; toolpath and workdir stay as they are.
void fillJob(intputrec& job, const ConversionInputs& in,
             const std::function<bool(const QString&)>& exists);

} // namespace vc
