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

// Compiled in from data/Skin.ini at build time, so the two cannot differ.
const QString BuiltInPath = QStringLiteral(":/layout/Skin.ini");

class Reader {
public:
    explicit Reader(const IniFile& ini) : ini_(ini), shipped_(BuiltInPath) {}

    int number(const QString& section, const char* key) const {
        const QString name = QLatin1String(key);
        return ini_.readInt(section, name, shipped_.readInt(section, name, 6));
    }
    QRect rect(const QString& section, const char* heightKey = "Height") const {
        return {number(section, "Left"), number(section, "Top"), number(section, "Width"),
                number(section, heightKey)};
    }
    QPoint point(const QString& section) const {
        return {number(section, "Left"), number(section, "Top")};
    }

private:
    const IniFile& ini_;
    IniFile shipped_;
};

} // namespace

SkinLayout SkinLayout::read(const IniFile& ini) {
    const Reader r(ini);
    SkinLayout layout;
    for (const ButtonRule& rule : ButtonRules) {
        const QString name = QLatin1String(rule.name);
        Button button{name, r.rect(name), std::nullopt};
        // A missing visibility key keeps the button's own default: hiding is a choice a skin
        // may rely on, unlike a number that puts a control out of reach.
        if (rule.visibility == Visibility::AlwaysShown)
            button.visible = true;
        else if (rule.visibility == Visibility::Key)
            button.visible = ini.readBool(name, QLatin1String(rule.key), rule.byDefault);
        layout.buttons << button;
    }
    for (const char* combo : ComboNames) {
        const QString name = QLatin1String(combo);
        layout.combos << Combo{name, r.point(name), r.number(name, "Width")};
    }
    layout.leftMove = r.number(QStringLiteral("Leftmoveint"), "Leftmoveint");
    layout.output = r.rect(QStringLiteral("ed_output"));
    layout.categoryIcon = r.point(QStringLiteral("Panel1"));
    layout.categoryStrip = r.point(QStringLiteral("pl_main"));
    layout.categoryPanels = {r.number(QStringLiteral("pl_main"), "plleft"),
                             r.number(QStringLiteral("pltop"), "pltop")};
    layout.preview = r.rect(QStringLiteral("pl_play"));
    layout.sourceList = r.rect(QStringLiteral("lv"), "height");
    return layout;
}

SkinLayout SkinLayout::builtIn() {
    return read(IniFile(BuiltInPath));
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
        "pl_hd",     "pl_avi",    "pl_mpeg",    "pl_mp4",       "pl_mkv",    "pl_modern"};
    return names;
}

} // namespace vc
