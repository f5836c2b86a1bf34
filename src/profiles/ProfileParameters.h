#pragma once

#include "common/IniFile.h"
#include "profiles/ParameterStore.h"
#include "profiles/ProfileData.h"
#include "profiles/QualityRates.h"

#include <QString>
#include <QStringList>

namespace vc {

// The widget-free picture of one parameter box: its entries, the selected index (-1 for
// none) and whether it takes input.
struct BoxState {
    QStringList items;
    int current = -1;
    bool enabled = true;

    QString currentText() const;
    friend bool operator==(const BoxState&, const BoxState&) = default;
};

// cb_size, cb_videobitrate, cb_audiobitrate, cb_channel.
struct ParameterBoxStates {
    BoxState size;
    BoxState video;
    BoxState audio;
    BoxState channel;
};

// The boxes before any profile is selected: the five levels in both quality boxes and the
// two channel entries, "Stereo" selected.
ParameterBoxStates initialBoxStates();

ParameterChoice choiceOf(const ParameterBoxStates& boxes);
StoredParameters selectedIndices(const ParameterBoxStates& boxes);

// Fills the boxes and the profile's rate slots and options from its data-file group.
void applyProfileGroup(int profile, const ProfileGroup& group, ParameterBoxStates& boxes,
                       ProfileState& state);
// Selects the remembered indices; an index outside a list leaves that box with no selection.
void applyStoredParameters(const StoredParameters& values, ParameterBoxStates& boxes);

// The default indices made to select something in every enabled box: a default naming an
// entry the box lacks (a keep-source entry of a profile that offers none) takes "Normal" in
// the quality boxes and the last entry of the size box.
StoredParameters fittedDefaults(const StoredParameters& defaults, const ParameterBoxStates& boxes);

struct SelectionOutcome {
    bool selected = false;
    QString error;         // profiles.pop could not be read, or the profile's group not used
    bool unusable = false; // the file was read; the profile's group is missing or damaged
};

// The selection procedure without its showing and refreshing ends: writes the previous
// profile's indices, loads the new profile's group and remembered indices, and makes it the
// selected one. When the data file cannot be read, or lacks what a conversion with the profile
// needs (`groupLack`), the boxes and state stay as they were.
SelectionOutcome selectProfile(int profile, ParameterBoxStates& boxes, ProfileState& state,
                               IniFile& store, const QString& dataFile);

} // namespace vc
