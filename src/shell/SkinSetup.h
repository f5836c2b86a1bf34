#pragma once

#include "common/ProgressMarker.h"
#include "shell/SkinObject.h"
#include "shell/TSkin.h"

#include <QString>
#include <QWidget>

namespace vc {

inline constexpr char SkinFileName[] = "skn.skn";
inline constexpr char MainFormName[] = "popvideoconverter";
inline constexpr char CutterFormName[] = "cutter";

// The elements the rest of the program drives. They belong to the windows' forms.
struct SkinElements {
    SkinElement* profilestext = nullptr;
    SkinElement* play_time = nullptr;
    SkinElement* hint = nullptr;
    SkinElement* play_bar = nullptr;
    SkinElement* di = nullptr;
    SkinElement* alltime = nullptr;
    SkinElement* playpos = nullptr;
    SkinElement* convertpos = nullptr;

    SkinElement* cut_begin_time = nullptr;
    SkinElement* cut_end_time = nullptr;
    SkinElement* cut_play_time = nullptr;
    SkinElement* cut_play_bar = nullptr;
    SkinElement* cutplaypos = nullptr;

    // Optional: shown disabled while nothing plays, so they never look as if they could act.
    SkinElement* pause = nullptr;
    SkinElement* cut_pause = nullptr;
    // Optional: the whole batch's progress, as a text.
    SkinElement* convertinfo = nullptr;

    ProgressMarker playposBar;
    ProgressMarker convertposBar;
    ProgressMarker cutplayposBar;
};

struct SkinSetup {
    QString error; // for the user: what is wrong, naming the skin file
    SkinElements elements;

    bool ok() const { return error.isEmpty(); }
};

// Loads the skin file of the program folder, skins the main and the cutter window with their
// forms and finds the elements the program drives, with their starting values. A skin that
// lacks one of them, or has it of the wrong kind, is refused.
SkinSetup setUpSkin(TSkin& skin, QWidget* mainWindow, QWidget* cutterWindow,
                    const QString& programDir);

} // namespace vc
