#include "profiles/ProfileSelector.h"

#include "profiles/Catalogue.h"

#include <QComboBox>
#include <QSignalBlocker>

namespace vc {

BoxState boxState(const QComboBox& box) {
    BoxState state;
    for (int i = 0; i < box.count(); ++i)
        state.items.append(box.itemText(i));
    state.current = box.currentIndex();
    state.enabled = box.isEnabled();
    return state;
}

void setBoxState(QComboBox& box, const BoxState& state) {
    // The window refreshes once at the end of a selection, not at every step of it.
    const QSignalBlocker blocker(&box);
    if (boxState(box).items != state.items) {
        box.clear();
        box.addItems(state.items);
    }
    box.setCurrentIndex(state.current);
    box.setEnabled(state.enabled);
}

ProfileSelector::ProfileSelector(const ParameterBoxes& boxes, IniFile& store, QString dataFile,
                                 Hooks hooks)
    : boxes_(boxes), store_(store), dataFile_(std::move(dataFile)), hooks_(std::move(hooks)) {
    write(initialBoxStates());
}

bool ProfileSelector::select(int profile) {
    if (hooks_.showProfile)
        hooks_.showProfile(profile);
    ParameterBoxStates states = read();
    const SelectionOutcome outcome = selectProfile(profile, states, state_, store_, dataFile_);
    if (!outcome.selected) {
        if (hooks_.showError)
            hooks_.showError(outcome.error);
        // Never leave the window naming a profile that is not in force.
        if (hooks_.showProfile)
            hooks_.showProfile(state_.number);
        return false;
    }
    write(states);
    if (hooks_.refreshEstimates)
        hooks_.refreshEstimates();
    return true;
}

bool ProfileSelector::keepChoice() {
    return !hasProfile(state_.number) ||
           writeParameters(store_, state_.number, selectedIndices(read()));
}

ParameterChoice ProfileSelector::choice() const {
    // Read for every row of an estimate refresh: only the selections, never the whole lists.
    return {boxes_.size->currentIndex(),         boxes_.size->currentText(),
            boxes_.videoBitrate->currentIndex(), boxes_.videoBitrate->currentText(),
            boxes_.audioBitrate->currentIndex(), boxes_.audioBitrate->currentText(),
            boxes_.channel->currentIndex()};
}

ParameterBoxStates ProfileSelector::read() const {
    return {boxState(*boxes_.size), boxState(*boxes_.videoBitrate), boxState(*boxes_.audioBitrate),
            boxState(*boxes_.channel)};
}

void ProfileSelector::write(const ParameterBoxStates& states) {
    setBoxState(*boxes_.size, states.size);
    setBoxState(*boxes_.videoBitrate, states.video);
    setBoxState(*boxes_.audioBitrate, states.audio);
    setBoxState(*boxes_.channel, states.channel);
}

} // namespace vc
