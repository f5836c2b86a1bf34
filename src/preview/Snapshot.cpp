#include "preview/Snapshot.h"

namespace vc {

QString snapshotFileName(const QString& folder, const QString& title, const ClaimName& claim) {
    qsizetype first = 0;
    while (first < title.size() && title.at(first).isSpace())
        ++first;
    return outputFileName(folder, title.mid(first), QStringLiteral(".bmp"), claim);
}

void fillSnapshotJob(intputrec& job, const SnapshotInputs& in, const ClaimName& claim) {
    // The size option follows the conversion's own rule, so take it from a conversion job.
    intputrec conversion;
    fillJob(conversion, in.conversion, [](const QString&) { return NameClaim::Refused; });

    job.infile = in.conversion.path;
    job.outfile =
        snapshotFileName(jobFolder(in.conversion.outputFolder), in.conversion.title, claim);
    job.size = conversion.size;
    job.aspect.clear();
    job.vbitrate.clear();
    job.abitrate.clear();
    job.arate.clear();
    job.achannels.clear();
    job.start = QStringLiteral(" -ss ") + in.playTime;
    job.length = QStringLiteral(" -t 0.01");
    job.extra = QStringLiteral(" -f image2 ");
}

} // namespace vc
