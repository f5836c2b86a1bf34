#include "convert/CommandState.h"

namespace vc {

namespace {

struct Row {
    const char* names[4];
    bool empty, items, selected, playing, converting;
};

const Row Rows[] = {
    {{"AddFiles2", "AddFolder2", "bt_dvdopen", "bt_ifo"}, true, true, true, false, false},
    {{"Properties1", "Remove1", "Rename1", "bt_remove"}, false, false, true, false, false},
    {{"Clear2", "SelectAll1", "UnselectAll1", "Convert2"}, false, true, true, false, false},
    {{"bt_clear", "bt_chapte", "bt_set", "bt_start"}, false, true, true, false, false},
    {{"Pause1", "Stop2", "Bt_Convertstop", "bt_pause"}, false, false, false, false, true},
    {{"bt_play", "bt_cut", nullptr, nullptr}, false, false, true, false, false},
    {{"bt_back", "bt_next", "bt_playstop", "bt_images"}, false, false, false, true, false},
    {{"play_bar", "cut_play_bar", nullptr, nullptr}, false, false, false, true, false},
};

} // namespace

QHash<QString, bool> commandState(const RunState& state) {
    QHash<QString, bool> out;
    for (const Row& row : Rows) {
        bool on = row.empty;
        if (state.rows > 0)
            on = row.items;
        if (state.rows > 0 && state.rowSelected)
            on = row.selected;
        if (state.previewPlaying)
            on = row.playing;
        if (state.converting)
            on = row.converting;
        for (const char* name : row.names)
            if (name)
                out.insert(QLatin1String(name), on);
    }
    if (state.adding)
        for (const char* name : Rows[0].names)
            out.insert(QLatin1String(name), false);
    return out;
}

} // namespace vc
