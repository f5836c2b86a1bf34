#pragma once

#include "convert/ConversionLine.h"
#include "convert/JobRecord.h"

#include <QString>
#include <functional>

namespace vc {

// What a snapshot is made from: the preview item as a conversion would see it, and the
// displayed position.
struct SnapshotInputs {
    ConversionInputs conversion; // output folder, title, path, size box, profile
    QString playTime;            // the text of "play_time", "hh:mm:ss"
};

// The first free bitmap name in folder for a title: title.bmp, then title_1.bmp, title_2.bmp.
QString snapshotFileName(const QString& folder, const QString& title, const ClaimName& claim);

// Fills the job for one still frame at the displayed position. toolpath, workdir and seconds
// stay as they are.
void fillSnapshotJob(intputrec& job, const SnapshotInputs& in, const ClaimName& claim);

} // namespace vc
