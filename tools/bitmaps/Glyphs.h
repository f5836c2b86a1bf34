#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>

namespace vc::tools {

enum class Glyph {
    None,
    Plus,
    Folder,
    Minus,
    Trash,
    Info,
    Gear,
    Back,
    Next,
    Play,
    Pause,
    Stop,
    Cut,
    Camera,
    Convert,
    Close,
    Minimize,
    Chevron,
    ChevronRight,
    Film,
    Rewind,
    Forward,
    Help,
    Warning,
    Error,
    File,
    Computer,
    Drive,
    ArrowLeft,
    ArrowRight,
    ArrowUp,
    NewFolder,
    ListView,
    DetailView,
    Check,
};

// Line icons drawn into a square box, strokes scaled to the box.
void drawGlyph(QPainter& p, Glyph glyph, const QRectF& box, const QColor& colour);

} // namespace vc::tools
