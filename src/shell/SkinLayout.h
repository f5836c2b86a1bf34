#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <optional>

namespace vc {

class IniFile;

// Where the ordinary controls sit on the skin, read from Skin.ini. Every missing number is
// 6 (the output field's height 15), so a skin that forgets a control still shows it.
struct SkinLayout {
    struct Button {
        QString name; // also the stem of its bitmaps: name.bmp, name + "on.bmp", name + "D.bmp"
        QRect rect;
        std::optional<bool> visible; // no value: the button keeps its visibility
    };
    struct Combo {
        QString name;
        QPoint pos;
        int width = 6;
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

    // The bitmap names of a button, relative to the program folder.
    static QString normalBitmap(const QString& name);
    static QString hoverBitmap(const QString& name);
    static QString disabledBitmap(const QString& name);

    // The profile category panels placed at categoryPanels.
    static const QStringList& categoryPanelNames();
};

} // namespace vc
