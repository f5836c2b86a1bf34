#include "convert/JobRecord.h"

#include "common/Quote.h"

namespace vc {

QString commandLine(const intputrec& job) {
    return Q(job.toolpath) + QLatin1String(" -y ") + QLatin1String(" -i ") + Q(job.infile) +
           job.vbitrate + job.abitrate + job.achannels + job.aspect + job.start + job.length +
           job.size + QLatin1Char(' ') + job.arate + job.extra + QLatin1String(" -sn ") +
           Q(job.outfile);
}

QStringList splitOptions(const QString& text) {
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == u'"') {
            quoted = !quoted;
            inWord = true; // "" is an empty argument, not nothing
        } else if (c == u' ' && !quoted) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words << word;
    return words;
}

QStringList toolArguments(const intputrec& job) {
    QStringList args{QStringLiteral("-y"), QStringLiteral("-i"), job.infile};
    args << splitOptions(job.vbitrate + job.abitrate + job.achannels + job.aspect + job.start +
                         job.length + job.size + QLatin1Char(' ') + job.arate + job.extra);
    args << QStringLiteral("-sn") << job.outfile;
    return args;
}

} // namespace vc
