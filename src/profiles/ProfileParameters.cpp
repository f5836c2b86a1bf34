#include "profiles/ProfileParameters.h"

#include "profiles/Catalogue.h"

#include <QDir>

#include <algorithm>

namespace vc {

namespace {

QString text(const char* latin1) {
    return QString::fromLatin1(latin1);
}

void removeAll(BoxState& box, const QString& entry) {
    for (int i = static_cast<int>(box.items.size()) - 1; i >= 0; --i) {
        if (box.items[i] != entry)
            continue;
        box.items.removeAt(i);
        if (box.current == i)
            box.current = -1;
        else if (box.current > i)
            --box.current;
    }
}

void appendUnlessLast(BoxState& box, const QString& entry) {
    if (box.items.isEmpty() || box.items.last() != entry)
        box.items.append(entry);
}

void fillSizes(int profile, const QStringList& sizes, BoxState& box) {
    box.current = -1;
    if (isDiscTarget(profile)) {
        box.items = {QStringLiteral("PAL"), QStringLiteral("NTSC")};
        return;
    }
    box.items = sizes;
    if (box.items.isEmpty()) {
        box.items = {text(NoVideoEntry)};
        box.current = 0;
        return;
    }
    if (offersOriginalSize(profile) && box.items.size() > 1)
        box.items.append(text(OriginalSizeEntry));
}

// Slots take the values lowest quality first: the first value is level 4's.
void fillSlots(const QString& line, ProfileState& state) {
    const QStringList values = splitEntries(line, QualityLevelCount);
    for (qsizetype i = 0; i < values.size(); ++i)
        state.rateSlots[static_cast<std::size_t>(QualityLevelCount - 1 - i)] = values[i];
}

} // namespace

QString BoxState::currentText() const {
    return current >= 0 && current < items.size() ? items[current] : QString();
}

ParameterBoxStates initialBoxStates() {
    ParameterBoxStates boxes;
    for (const char* level : QualityLevelNames) {
        boxes.video.items.append(text(level));
        boxes.audio.items.append(text(level));
    }
    for (const char* channel : ChannelNames)
        boxes.channel.items.append(text(channel));
    boxes.channel.current = 1;
    return boxes;
}

ParameterChoice choiceOf(const ParameterBoxStates& boxes) {
    return {boxes.size.current,        boxes.size.currentText(), boxes.video.current,
            boxes.video.currentText(), boxes.audio.current,      boxes.audio.currentText(),
            boxes.channel.current};
}

StoredParameters selectedIndices(const ParameterBoxStates& boxes) {
    return {boxes.size.current, boxes.video.current, boxes.audio.current, boxes.channel.current};
}

void applyProfileGroup(int profile, const ProfileGroup& group, ParameterBoxStates& boxes,
                       ProfileState& state) {
    fillSizes(profile, group.sizes, boxes.size);
    if (isDiscTarget(profile)) {
        boxes.size.enabled = true;
        boxes.video.enabled = false;
        boxes.audio.enabled = false;
        boxes.channel.enabled = false;
    } else {
        boxes.video.enabled = true;
        boxes.audio.enabled = true;
        boxes.channel.enabled = true;
        if (isComputedRate(profile) && profileExtension(profile) != QLatin1String(".mp4")) {
            appendUnlessLast(boxes.video, text(OriginalVideoEntry));
            appendUnlessLast(boxes.audio, text(OriginalAudioEntry));
        } else {
            removeAll(boxes.video, text(OriginalVideoEntry));
            removeAll(boxes.audio, text(OriginalAudioEntry));
        }
        if (group.rates == QLatin1String("*") && boxes.size.items.size() == 1) {
            state.rateSlots[0] = QStringLiteral("*");
            // Once is enough: a second "No Video" would outlive the next switch to video.
            appendUnlessLast(boxes.video, text(NoVideoEntry));
            boxes.video.current = static_cast<int>(boxes.video.items.size()) - 1;
            boxes.size.enabled = false;
            boxes.video.enabled = false;
        } else {
            boxes.size.enabled = true;
            boxes.video.enabled = true;
            // Every copy, selected or not: one left behind by a disc target would become a
            // selectable quality level.
            removeAll(boxes.video, text(NoVideoEntry));
            fillSlots(group.rates, state);
        }
        if (isLossless(profile)) {
            boxes.audio.enabled = false;
            boxes.audio.current = -1;
        }
    }
    state.options = group.options;
}

void applyStoredParameters(const StoredParameters& values, ParameterBoxStates& boxes) {
    const auto select = [](BoxState& box, const std::optional<int>& index) {
        if (!index)
            return;
        box.current = *index >= 0 && *index < box.items.size() ? *index : -1;
    };
    select(boxes.size, values.size);
    select(boxes.video, values.videoBitrate);
    select(boxes.audio, values.audioBitrate);
    select(boxes.channel, values.channel);
}

StoredParameters fittedDefaults(const StoredParameters& defaults, const ParameterBoxStates& boxes) {
    const auto fit = [](const BoxState& box, std::optional<int> index, int fallback) {
        const auto count = static_cast<int>(box.items.size());
        if (index && box.enabled && count > 0 && (*index < 0 || *index >= count))
            index = std::clamp(fallback, 0, count - 1);
        return index;
    };
    constexpr int Normal = 2;
    const auto last = static_cast<int>(boxes.size.items.size()) - 1;
    return {fit(boxes.size, defaults.size, last), fit(boxes.video, defaults.videoBitrate, Normal),
            fit(boxes.audio, defaults.audioBitrate, Normal),
            fit(boxes.channel, defaults.channel, 1)};
}

SelectionOutcome selectProfile(int profile, ParameterBoxStates& boxes, ProfileState& state,
                               IniFile& store, const QString& dataFile) {
    if (hasProfile(state.number))
        writeParameters(store, state.number, selectedIndices(boxes));

    const ProfileGroupRead read = readProfileGroup(dataFile, profile);
    if (read.status == ProfileGroupRead::Status::Unreadable)
        return {false, read.error};
    // Converting without them would quietly give another codec, size or rate than the profile's.
    const QString lack = read.status == ProfileGroupRead::Status::MissingGroup
                             ? QStringLiteral("settings")
                             : groupLack(profile, read.group);
    if (!lack.isEmpty()) {
        const QString name = profileName(profile);
        return {false,
                QStringLiteral("The profile \"%1\" cannot be used: its %2 in %3 are missing or "
                               "damaged.")
                    .arg(name.isEmpty() ? QString::number(profile) : name, lack,
                         QDir::toNativeSeparators(dataFile)),
                true};
    }
    applyProfileGroup(profile, read.group, boxes, state);

    applyStoredParameters(
        readParameters(store, profile, fittedDefaults(defaultParameters(profile), boxes)), boxes);
    state.number = profile;
    state.extension = profileExtension(profile);
    return {true, {}};
}

} // namespace vc
