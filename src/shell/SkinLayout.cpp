#include "shell/SkinLayout.h"

#include "common/IniFile.h"

namespace vc {

namespace {

enum class Visibility { Keep, AlwaysShown, Key };

struct ButtonRule {
    const char* name;
    Visibility visibility;
    const char* key;
    bool byDefault;
};

// The visibility keys differ between sections; stored skins rely on these exact names.
constexpr ButtonRule ButtonRules[] = {
    {"bt_dvdopen", Visibility::Keep, nullptr, true},
    {"bt_ifo", Visibility::Keep, nullptr, true},
    {"bt_remove", Visibility::Key, "Visible", true},
    {"bt_clear", Visibility::Key, "Visible", true},
    {"bt_chapte", Visibility::AlwaysShown, nullptr, true},
    {"bt_set", Visibility::Keep, nullptr, true},
    {"bt_back", Visibility::Key, "True", false},
    {"bt_play", Visibility::Key, "True", true},
    {"bt_next", Visibility::Key, "Visible", true},
    {"bt_playstop", Visibility::Key, "True", true},
    {"bt_cut", Visibility::Key, "True", true},
    {"bt_images", Visibility::Key, "Visible", true},
    {"bt_start", Visibility::Key, "True", true},
    {"bt_pause", Visibility::Key, "Visible", true},
    {"Bt_Convertstop", Visibility::Key, "True", true},
    {"bt_web", Visibility::Key, "Visible", true},
};

constexpr const char* ComboNames[] = {"cb_audio",        "cb_subtitle",     "cb_size",
                                      "cb_videobitrate", "cb_audiobitrate", "cb_channel"};

int number(const IniFile& ini, const QString& section, const char* key, int def = 6) {
    return ini.readInt(section, QLatin1String(key), def);
}

QRect rect(const IniFile& ini, const QString& section, const char* heightKey = "Height",
           int heightDefault = 6) {
    return {number(ini, section, "Left"), number(ini, section, "Top"),
            number(ini, section, "Width"), number(ini, section, heightKey, heightDefault)};
}

QPoint point(const IniFile& ini, const QString& section) {
    return {number(ini, section, "Left"), number(ini, section, "Top")};
}

} // namespace

SkinLayout SkinLayout::read(const IniFile& ini) {
    SkinLayout layout;
    for (const ButtonRule& rule : ButtonRules) {
        const QString name = QLatin1String(rule.name);
        Button button{name, rect(ini, name), std::nullopt};
        if (rule.visibility == Visibility::AlwaysShown)
            button.visible = true;
        else if (rule.visibility == Visibility::Key)
            button.visible = ini.readBool(name, QLatin1String(rule.key), rule.byDefault);
        layout.buttons << button;
    }
    for (const char* combo : ComboNames) {
        const QString name = QLatin1String(combo);
        layout.combos << Combo{name, point(ini, name), number(ini, name, "Width")};
    }
    layout.leftMove = number(ini, QStringLiteral("Leftmoveint"), "Leftmoveint");
    layout.output = rect(ini, QStringLiteral("ed_output"), "Height", 15);
    layout.categoryIcon = point(ini, QStringLiteral("Panel1"));
    layout.categoryStrip = point(ini, QStringLiteral("pl_main"));
    layout.categoryPanels = {number(ini, QStringLiteral("pl_main"), "plleft"),
                             number(ini, QStringLiteral("pltop"), "pltop")};
    layout.preview = rect(ini, QStringLiteral("pl_play"));
    layout.sourceList = rect(ini, QStringLiteral("lv"), "height");
    return layout;
}

QString SkinLayout::normalBitmap(const QString& name) {
    return QStringLiteral("images/") + name + QStringLiteral(".bmp");
}

QString SkinLayout::hoverBitmap(const QString& name) {
    return QStringLiteral("images/") + name + QStringLiteral("on.bmp");
}

QString SkinLayout::disabledBitmap(const QString& name) {
    return QStringLiteral("images/") + name + QStringLiteral("D.bmp");
}

const QStringList& SkinLayout::categoryPanelNames() {
    static const QStringList names{
        "pl_video1", "pl_video2", "pl_audio1",  "pl_audio2",    "pl_ipod",   "pl_iphone", "pl_psp",
        "pl_phone",  "pl_pmp",    "pl_appletv", "pl_animation", "pl_gphone", "pl_win",    "pl_xbox",
        "pl_hd",     "pl_avi",    "pl_mpeg",    "pl_mp4",       "pl_mkv"};
    return names;
}

} // namespace vc
