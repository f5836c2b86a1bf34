#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <optional>

namespace vc {

class IniFile;

// Where the ordinary controls sit on the skin, read from Skin.ini. A number the file lacks
// takes the shipped layout's, which is compiled in from data/Skin.ini: a lone default such as
// 6 would put the control under the title image, where it cannot be used.
struct SkinLayout {
    struct Button {
        QString name; // also the stem of its bitmaps: name.bmp, name + "on.bmp", name + "D.bmp"
        QRect rect;
        std::optional<bool> visible; // no value: the button keeps its visibility

        friend bool operator==(const Button&, const Button&) = default;
    };
    struct Combo {
        QString name;
        QPoint pos;
        int width = 6;

        friend bool operator==(const Combo&, const Combo&) = default;
    };

    QList<Button> buttons; // in placement order
    QList<Combo> combos;
    int leftMove = 6;
    QRect output;
    QPoint categoryIcon;
    QPoint categoryStrip;
    QPoint categoryPanels;
    QRect preview;
    QRect sourceList;

    static SkinLayout read(const IniFile& ini);
    // The shipped layout, for a program folder without Skin.ini.
    static SkinLayout builtIn();

    friend bool operator==(const SkinLayout&, const SkinLayout&) = default;

    // The bitmap names of a button, relative to the program folder.
    static QString normalBitmap(const QString& name);
    static QString hoverBitmap(const QString& name);
    static QString disabledBitmap(const QString& name);

    // The profile category panels placed at categoryPanels.
    static const QStringList& categoryPanelNames();
};

} // namespace vc
