#pragma once

#include <QColor>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>

namespace vc {

enum class ElementKind { Area, Text, Shape, Slider };

// What the engine itself does after a click or during a drag, besides reporting it.
enum class ElementAction { None, Close, Minimize, Move };

// How an element is painted. Every colour may be invalid (not painted); state colours and
// images fall back to the normal ones. Image paths are absolute once loaded.
struct ElementLook {
    QColor color, hoverColor, pressedColor, disabledColor;
    QColor border, hoverBorder;
    int radius = 0;
    QString image, hoverImage, pressedImage, disabledImage;
    QString icon, hoverIcon;
    QString font;
    int fontSize = 12; // pixels
    int fontWeight = 400;
    QColor textColor, hoverTextColor, disabledTextColor;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    int padding = 0;
    // Sliders: the track is a bar of trackHeight centred in the rectangle, the thumb a disc
    // (or thumb image) of thumbSize whose centre runs along it.
    QColor trackColor, thumbColor, thumbHoverColor, thumbBorder;
    int trackHeight = 4;
    int thumbSize = 12;
    QString thumbImage, thumbHoverImage;
};

struct ElementDef {
    QString name;
    ElementKind kind = ElementKind::Area;
    QRect rect;
    bool visible = true;
    bool mouse = true; // false lets the pointer fall through to what lies beneath
    bool handCursor = false;
    ElementAction action = ElementAction::None;
    QString text;
    int position = 0;
    ElementLook look;
};

struct FormDef {
    QString name;
    QSize size;
    QColor color;
    QString image;
    QList<ElementDef> elements; // in painting order: later ones lie on top

    const ElementDef* element(const QString& name) const;
};

struct SkinDef {
    QString path;          // the skin file, absolute
    QStringList fontFiles; // absolute; the skin's own fonts, registered before use
    QString styleSheet;    // absolute, or empty; the look of the windows' ordinary controls
    QString iconFolder;    // absolute, or empty; the icons of boxes, choosers and folder trees
    QList<FormDef> forms;

    const FormDef* form(const QString& name) const;
};

struct SkinParseResult {
    std::optional<SkinDef> skin;
    QString error; // set when there is no skin
};

// Reads a skin file (see docs/skin-format.md). Paths in it are relative to its folder.
SkinParseResult parseSkinFile(const QString& path);

} // namespace vc
