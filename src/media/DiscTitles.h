#pragma once

#include "media/SourceRecords.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace vc {

class MediaProbe;

// A title of a DVD-Video disc as the tool lists it.
struct DiscTitle {
    int number = 0;
    int seconds = 0;       // whole seconds
    QStringList audio;     // "English, AC-3, 5.1"
    QStringList subtitles; // "English"
};

struct DiscListing {
    QString volume;
    QList<DiscTitle> titles;
    QString refusal;   // the tool's sentence when it could not read the disc
    QStringList lines; // the listing as the tool printed it
};

// The IFO open dialog's filter: the entry as the window has always named it, then its pattern.
inline constexpr char IfoFileFilter[] = "IFO Files(*.ifo)|*.ifo; (*.ifo *.IFO)";

// Titles this short are menus, logos and warnings, not worth a row.
inline constexpr int MinimumTitleSeconds = 10;

// Reads the tool's "--list-titles" output; a failed run's first line is the refusal.
DiscListing parseDiscListing(const QByteArray& output, bool succeeded);

// Runs the tool's listing of the disc at path and waits for it (reading IFO files is quick).
DiscListing listDiscTitles(const QString& toolPath, const QString& workDir, const QString& path);

// A folder holding VIDEO_TS, VIDEO_TS itself, an ".iso" image or a block device.
bool isDiscSource(const QString& path);

// The disc an ".ifo" file belongs to: its VIDEO_TS folder.
QString discOfIfo(const QString& ifoPath);

// How the tool names a title: "dvd://TITLE/PATH" with the absolute path.
QString discTitleAddress(const QString& path, int title);
bool isDiscTitleAddress(const QString& path);
// The same title as libmpv names it: titles from 0, the device after a second slash.
QString playerDiscAddress(const QString& address);

// Index of the longest title, -1 when there is none.
int longestTitle(const QList<DiscTitle>& titles);

// The titles that become rows, in disc order.
QList<DiscTitle> rowTitles(const DiscListing& listing);

// A row for a title: probed through the tool like a file, titled "VOLUME Title N", its
// streams kept for the audio and subtitle boxes. No value when the probe fails.
std::optional<SourceItem> probeDiscTitle(MediaProbe& probe, const QString& discPath,
                                         const QString& volume, const DiscTitle& title);

// The audio box's entries for a row ("1: English, AC-3, 5.1") and the subtitle box's ("None",
// "English"); empty when the row has nothing to choose (a file with one sound track and no
// subtitle).
QStringList audioEntries(const Toriginalinfo& info);
QStringList subtitleEntries(const Toriginalinfo& info);

} // namespace vc
