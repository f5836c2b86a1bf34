#pragma once

#include <QString>
#include <QStringList>

namespace vc {

// One converter run. Option fields carry their own surrounding blanks so the command line
// is a plain concatenation; an empty field contributes nothing.
struct intputrec {
    QString infile;
    QString outfile;
    QString toolpath;
    QString workdir;
    QString vbitrate;
    QString abitrate;
    int seconds = 0; // progress denominator
    QString extra;
    QString size;
    QString arate;
    QString achannels;
    QString aspect;
    QString start;
    QString length;
};

// The command line as one text, exactly as the user would type it; for display and logs.
QString commandLine(const intputrec& job);

// The arguments actually handed to the tool. Paths stay whole whatever they hold; the
// option fields are split on blanks with double quotes grouping.
QStringList toolArguments(const intputrec& job);

// Splits option text on blanks; a double-quoted stretch keeps its blanks and loses the quotes.
QStringList splitOptions(const QString& text);

} // namespace vc
