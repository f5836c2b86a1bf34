#pragma once

#include "common/IniFile.h"
#include "profiles/ProfileParameters.h"

#include <QString>
#include <functional>

class QComboBox;

namespace vc {

// The four parameter boxes of the main window.
struct ParameterBoxes {
    QComboBox* size = nullptr;         // cb_size
    QComboBox* videoBitrate = nullptr; // cb_videobitrate
    QComboBox* audioBitrate = nullptr; // cb_audiobitrate
    QComboBox* channel = nullptr;      // cb_channel
};

// Runs the profile selection on the real boxes. The window supplies what lies outside the
// boxes: showing a profile's name and icon, the message box, and refreshing the estimates.
class ProfileSelector {
public:
    struct Hooks {
        std::function<void(int profile)> showProfile;
        std::function<void(const QString& message)> showError;
        std::function<void()> refreshEstimates;
    };

    // Fills the boxes with their initial entries. The store and the boxes must outlive this.
    ProfileSelector(const ParameterBoxes& boxes, IniFile& store, QString dataFile, Hooks hooks);

    // The whole procedure for a click or the start-up restore. False when the data file could
    // not be read: the message is shown and the profile in force stays selected and shown.
    bool select(int profile);

    // Writes the boxes' choice for the selected profile, so it is not lost at shutdown.
    bool keepChoice();

    int selected() const { return state_.number; }
    const ProfileState& state() const { return state_; }
    // The boxes' current choice, for the rates, the estimates and the command line.
    ParameterChoice choice() const;

private:
    ParameterBoxStates read() const;
    void write(const ParameterBoxStates& states);

    ParameterBoxes boxes_;
    IniFile& store_;
    QString dataFile_;
    Hooks hooks_;
    ProfileState state_;
};

// The boxes' widget-free picture, and its way back; writing emits no change signals.
BoxState boxState(const QComboBox& box);
void setBoxState(QComboBox& box, const BoxState& state);

} // namespace vc
