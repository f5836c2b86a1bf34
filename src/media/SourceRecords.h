#pragma once

#include "convert/ConversionLine.h"
#include "media/ProbeOutput.h"

#include <QList>
#include <QString>
#include <optional>

namespace vc {

class MediaProbe;

// What the program knows about one source row.
struct Toriginalinfo {
    QString path;
    QString resolution;
    QString duration;
    QString videobit;
    QString audiobit;
    bool audiobitGuessed = false; // no rate of the sound was stated nor could be worked out
    QString videoformat;
    QString audioformat;
    QString sample;
    QString channels;
    QString frame;
    QString losslessMono; // kbit/s, decimal text, "" when not known
    QString losslessStereo;
    // The audio and subtitle streams as listed (a disc title's, or a file's), and the ones
    // chosen: audio from 1, subtitle 0 for none.
    QStringList audioTracks;
    QStringList subtitleTracks;
    int audioTrack = 1;
    int subtitleTrack = 0;
    // Why the row's last conversion failed, until it is converted again.
    QString failure;

    friend bool operator==(const Toriginalinfo&, const Toriginalinfo&) = default;
};

// The part of a source row to convert, in whole seconds.
struct Tcutinfo {
    int totalsecs = 0;
    int cutbegin = 0;
    int cutend = 0;

    friend bool operator==(const Tcutinfo&, const Tcutinfo&) = default;
};

struct SourceItem {
    QString title;
    Toriginalinfo info;
    Tcutinfo cut;
};

// The row title: the file name without folder and without its last extension.
QString sourceTitle(const QString& path);

// A row from a probe's findings, with the missing rates filled in from the total. No value
// when the file is not supported: no total rate, or a rate the fill-in needs is no integer.
std::optional<SourceItem> makeSourceItem(const QString& path, const ProbeResult& probe);

// One probe of path and the row made from it; no value when the tool could not describe it.
// Callers try twice before they give a file up.
std::optional<SourceItem> probeSourceItem(MediaProbe& probe, const QString& path);

// The last probe failed for what the file is, not for how the machine fared: the libraries read
// it and found nothing, or it is no regular file. Another try would say the same.
bool probeSettled(const MediaProbe& probe);

// Why the last probe of path gave no row, in the words both front ends show: the tool could
// not run, the path is no regular file, the probe ran out of time, a file of a kind we take
// holds nothing readable (damaged), or the file is of no supported kind. shownName names it.
QString probeRefusal(const MediaProbe& probe, const QString& path, const QString& shownName);

// The texts of a row that the rates and the estimate read.
SourceInfo sourceInfo(const Toriginalinfo& info);

// What a row's conversion job is built from: its title (the list caption), its records, the
// selected profile and the boxes' choice, whether the size box takes input.
ConversionInputs rowConversionInputs(const QString& outputFolderText, const QString& title,
                                     const Toriginalinfo& info, const Tcutinfo& cut,
                                     const ProfileState& profile, const ParameterChoice& choice,
                                     bool sizeEnabled);

// The two per-row arrays. Element i belongs to row i; removing shifts later elements down
// without shrinking, clearing only forgets the row count, and adding truncates stale elements.
class SourceRecords {
public:
    int rows() const { return rows_; }
    // Appends a row and returns its index.
    int add(const Toriginalinfo& info, const Tcutinfo& cut);
    void remove(int row);
    void clear() { rows_ = 0; }

    Toriginalinfo& info(int row) { return info_[row]; }
    const Toriginalinfo& info(int row) const { return info_[row]; }
    Tcutinfo& cut(int row) { return cut_[row]; }
    const Tcutinfo& cut(int row) const { return cut_[row]; }
    // Elements held, stale ones included.
    qsizetype capacity() const { return info_.size(); }

private:
    QList<Toriginalinfo> info_;
    QList<Tcutinfo> cut_;
    int rows_ = 0;
};

// Which rows a remove deletes and which row is selected afterwards: the rows are walked from
// the first, each selected one deleted in place; the index of the last deletion is kept and
// clamped to the remaining rows. -1 when nothing remains or nothing was selected.
struct RemovePlan {
    QList<int> deleteAt; // indices at the moment of each deletion, in order
    int selectAfter = -1;
};
RemovePlan planRemove(const QList<bool>& selected);

// The folder scan's supported extensions, compared case-insensitively.
bool isScannedExtension(const QString& fileName);

// The entries of a folder the scan visits, sorted by name as a file manager shows them.
QStringList scannedEntries(const QString& folder);
// Case-insensitive order in which runs of digits compare by their value.
bool naturalLess(const QString& a, const QString& b);

// The open-file dialog's filter entries, in order.
QString openFileFilter();

} // namespace vc
