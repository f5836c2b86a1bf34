#pragma once

#include <QHash>
#include <QString>

namespace vc {

// What the enabled state of the commands depends on.
struct RunState {
    int rows = 0;
    bool rowSelected = false;
    bool previewPlaying = false;
    bool converting = false;
    bool adding = false; // files are being added: the add commands wait
};

// Which commands are available, by control name: menu entries (AddFiles2, Remove1, ...),
// image buttons (bt_start, ...) and the two seek sliders (play_bar, cut_play_bar, shown or
// hidden). The columns apply left to right, a later one that applies winning: empty list,
// rows without a selection, a selected row, preview playing, converting.
QHash<QString, bool> commandState(const RunState& state);

} // namespace vc
