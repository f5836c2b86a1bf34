#include "shell/HoverHints.h"

#include "shell/LanguageTable.h"

#include <QHash>

namespace vc {

int hintIdFor(const QString& elementName) {
    static const QHash<QString, int> ids{
        {"dvdopen", 1},       {"ifoopen", 2},     {"profiles", 3},       {"profilestext", 3},
        {"audio", 4},         {"subtitle", 5},    {"video_size", 6},     {"video_quality", 7},
        {"audio_quality", 8}, {"channels", 9},    {"play", 10},          {"pause", 11},
        {"stopplay", 12},     {"play_bar", 13},   {"play_time", 14},     {"chapter", 15},
        {"cutter", 16},       {"converter", 17},  {"stopconverter", 18}, {"browse", 19},
        {"open", 20},         {"openfolder", 21}, {"openfiles", 22},     {"remove", 23},
        {"clear", 24}};
    return ids.value(elementName, LanguageTable::GeneralHint);
}

QString spokenName(const QString& elementName) {
    static const QHash<QString, QString> names{
        {"minimize", "Minimize"},   {"mainclose", "Close"},        {"cutclose", "Close"},
        {"profiles", "Format"},     {"play_bar", "Position"},      {"cut_play_bar", "Position"},
        {"hou", "Back 30 seconds"}, {"qian", "Forward 30 seconds"}};
    return names.value(elementName);
}

QString hintElementOf(const QString& buttonName) {
    static const QHash<QString, QString> elements{
        {"bt_dvdopen", "dvdopen"},   {"bt_ifo", "ifoopen"},
        {"bt_remove", "remove"},     {"bt_clear", "clear"},
        {"bt_chapte", "chapter"},    {"bt_play", "play"},
        {"bt_playstop", "stopplay"}, {"bt_cut", "cutter"},
        {"bt_start", "converter"},   {"Bt_Convertstop", "stopconverter"}};
    return elements.value(buttonName);
}

} // namespace vc
