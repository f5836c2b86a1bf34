#include "cli/BatchChoices.h"

#include "profiles/Catalogue.h"
#include "profiles/ProfileData.h"

#include <array>

namespace vc::cli {

namespace {

bool allDigits(const QString& text) {
    if (text.isEmpty() || text.size() > 6)
        return false;
    for (const QChar c : text)
        if (!c.isDigit())
            return false;
    return true;
}

bool isKeepSourceEntry(const QString& entry) {
    return entry == QLatin1String(OriginalSizeEntry) ||
           entry == QLatin1String(OriginalVideoEntry) || entry == QLatin1String(OriginalAudioEntry);
}

QString offeredEntries(const BoxState& box) {
    QStringList listed;
    for (qsizetype i = 0; i < box.items.size(); ++i)
        listed << QStringLiteral("%1 \"%2\"").arg(i).arg(box.items[i]);
    return listed.join(QStringLiteral(", "));
}

} // namespace

ProfileLookup findProfile(const QString& text) {
    if (allDigits(text)) {
        const int number = text.toInt();
        if (!hasProfile(number))
            return {0, QStringLiteral("there is no profile number %1").arg(text)};
        return {number, {}};
    }
    QList<int> named;
    for (int n = 1; n <= ProfileCount; ++n)
        if (hasProfile(n) && profileName(n) == text)
            named << n;
    if (named.size() > 1) {
        QList<int> selectable;
        for (int n : named)
            if (profileEntry(n)->role == ButtonRole::Selects)
                selectable << n;
        if (!selectable.isEmpty())
            named = selectable;
    }
    if (named.isEmpty())
        return {0,
                QStringLiteral("there is no profile named \"%1\" (see --list-profiles)").arg(text)};
    if (named.size() > 1) {
        QStringList numbers;
        for (int n : named)
            numbers << QString::number(n);
        return {0, QStringLiteral("several profiles are named \"%1\"; give its number: %2")
                       .arg(text, numbers.join(QStringLiteral(", ")))};
    }
    return {named.first(), {}};
}

QString categoryName(int index) {
    static constexpr std::array<const char*, CategoryCount> Names = {
        "Video", "Audio", "iPod",           "iPhone", "GPhone", "Apple TV",  "PSP",
        "Xbox",  "Phone", "Windows Mobile", "PMP",    "HD",     "Animation", "Modern"};
    if (index < 1 || index > CategoryCount)
        return {};
    return QString::fromLatin1(Names[static_cast<std::size_t>(index - 1)]);
}

QString chooseEntry(BoxState& box, const QString& text, const QString& what) {
    if (!box.enabled)
        return QStringLiteral("this profile offers no %1 choice").arg(what);
    if (allDigits(text)) {
        const int index = text.toInt();
        if (index < box.items.size()) {
            box.current = index;
            return {};
        }
    } else {
        const bool original = text.compare(QLatin1String("original"), Qt::CaseInsensitive) == 0;
        QList<int> matches;
        for (qsizetype i = 0; i < box.items.size(); ++i) {
            const QString& entry = box.items[i];
            if (entry.compare(text, Qt::CaseInsensitive) == 0 ||
                (original && isKeepSourceEntry(entry))) {
                box.current = static_cast<int>(i);
                return {};
            }
            if (entry.contains(u'(') &&
                entry.section(u'(', 0, 0).trimmed().compare(text, Qt::CaseInsensitive) == 0)
                matches << static_cast<int>(i);
        }
        if (matches.size() == 1) {
            box.current = matches.first();
            return {};
        }
    }
    return QStringLiteral("%1 \"%2\" is not offered by this profile; it offers %3")
        .arg(what, text, offeredEntries(box));
}

QString applyBoxOptions(const Options& options, ParameterBoxStates& boxes) {
    if (options.size)
        if (QString e = chooseEntry(boxes.size, *options.size, QStringLiteral("frame size"));
            !e.isEmpty())
            return e;
    if (options.videoQuality)
        if (QString e =
                chooseEntry(boxes.video, *options.videoQuality, QStringLiteral("video quality"));
            !e.isEmpty())
            return e;
    if (options.audioQuality)
        if (QString e =
                chooseEntry(boxes.audio, *options.audioQuality, QStringLiteral("audio quality"));
            !e.isEmpty())
            return e;
    if (options.channel) {
        if (!boxes.channel.enabled)
            return QStringLiteral("this profile offers no channels choice");
        boxes.channel.current = *options.channel;
    }
    return {};
}

ProfileListing listProfiles(const QString& dataFile) {
    ProfileListing listing;
    for (int n = 1; n <= ProfileCount; ++n) {
        if (!hasProfile(n))
            continue;
        const ProfileGroupRead read = readProfileGroup(dataFile, n);
        if (read.status == ProfileGroupRead::Status::Unreadable) {
            listing.error = read.error;
            return listing;
        }
        // The sizes as the size box shows them once the profile is selected.
        ParameterBoxStates boxes = initialBoxStates();
        ProfileState state;
        if (read.status == ProfileGroupRead::Status::Ok)
            applyProfileGroup(n, read.group, boxes, state);
        listing.rows << QStringList{
            QString::number(n), categoryName(categoryOf(n)), profileName(n), profileExtension(n),
            boxes.size.enabled ? boxes.size.items.join(QStringLiteral(", ")) : QStringLiteral("-")};
    }
    return listing;
}

} // namespace vc::cli
