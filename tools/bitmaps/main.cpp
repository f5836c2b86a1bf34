// Draws every bitmap the program folder holds, each at its size and at twice its resolution
// for high-density screens. Usage: vc_bitmapgen PROGRAM_DIR SKIN_INI
// The colours and type are the skin's (data/skn.skn); button sizes come from the layout file.

#include "Glyphs.h"
#include "common/Bitmaps.h"
#include "common/IniFile.h"
#include "profiles/Catalogue.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>
#include <cstdio>
#include <set>

using vc::tools::Glyph;

namespace {

namespace colour {
const QColor Navy(0x16, 0x1B, 0x2E);
const QColor NavyHover(0x2B, 0x33, 0x52);
const QColor Background(0xEE, 0xF1, 0xF6);
const QColor Card(0xFF, 0xFF, 0xFF);
const QColor Border(0xCD, 0xD4, 0xE0);
const QColor Line(0xE6, 0xE9, 0xEF);
const QColor Text(0x1C, 0x22, 0x33);
const QColor Secondary(0x5E, 0x67, 0x7A);
const QColor Accent(0x3D, 0x63, 0xF5);
const QColor AccentHover(0x2F, 0x54, 0xE0);
const QColor AccentTint(0xF3, 0xF6, 0xFF);
const QColor AccentWash(0xE8, 0xEE, 0xFF);
const QColor AccentText(0x1F, 0x3F, 0xBF);
const QColor DisabledFill(0xF4, 0xF6, 0xFA);
const QColor DisabledBorder(0xE1, 0xE5, 0xEC);
const QColor DisabledText(0xA9, 0xB0, 0xBC);
const QColor PrimaryDisabled(0xB9, 0xC6, 0xF7);
const QColor Strip(0xF7, 0xF8, 0xFB);
const QColor Filler(0xFA, 0xFB, 0xFC);
} // namespace colour

const QString FontFamily = QStringLiteral("Inter");

// Device pixels per logical pixel of the drawings being made: 1, then 2.
int scale = 1;

QFont font(int pixels, int weight) {
    QFont f(FontFamily);
    f.setPixelSize(pixels);
    f.setWeight(static_cast<QFont::Weight>(weight));
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

class Writer {
public:
    explicit Writer(QString root) : root_(std::move(root)) {}

    // Takes the name of the drawing at its size; a double-resolution one goes beside it.
    void save(const QImage& image, const QString& relative) {
        const QString path =
            QDir(root_).filePath(scale > 1 ? vc::doubleResolutionPath(relative) : relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        // Bitmaps are opaque; PNG icons keep their alpha.
        const QImage out = relative.endsWith(QLatin1String(".bmp"))
                               ? image.convertToFormat(QImage::Format_RGB888)
                               : image;
        if (!out.save(path)) {
            std::fprintf(stderr, "vc_bitmapgen: cannot write %s\n", qPrintable(path));
            ok_ = false;
        }
        ++count_;
    }
    bool ok() const { return ok_; }
    int count() const { return count_; }

private:
    QString root_;
    bool ok_ = true;
    int count_ = 0;
};

// Painters on it work in logical pixels.
QImage canvas(QSize size, const QColor& fill) {
    QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(fill);
    return image;
}

void roundedBox(QPainter& p, const QRectF& r, const QColor& fill, const QColor& border,
                qreal radius) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(border.isValid() ? QPen(border, 1) : Qt::NoPen);
    p.setBrush(fill.isValid() ? QBrush(fill) : Qt::NoBrush);
    p.drawRoundedRect(border.isValid() ? r.adjusted(0.5, 0.5, -0.5, -0.5) : r, radius, radius);
}

// ---------------------------------------------------------------- image buttons

enum class ButtonStyle { Plain, Primary, TitleIcon, Rail };
enum class State { Normal, Hover, Disabled };

struct ButtonDesign {
    const char* name;
    const char* label;
    Glyph glyph;
    ButtonStyle style;
    QColor behind;
};

const ButtonDesign Buttons[] = {
    {"bt_dvdopen", "Add File", Glyph::Plus, ButtonStyle::Plain, colour::Background},
    {"bt_ifo", "Add Folder", Glyph::Folder, ButtonStyle::Plain, colour::Background},
    {"bt_remove", "Remove", Glyph::Minus, ButtonStyle::Plain, colour::Background},
    {"bt_clear", "Clear", Glyph::Trash, ButtonStyle::Plain, colour::Background},
    {"bt_chapte", "Properties", Glyph::Info, ButtonStyle::Plain, colour::Background},
    {"bt_set", "", Glyph::Gear, ButtonStyle::TitleIcon, colour::Navy},
    {"bt_back", "Back", Glyph::Back, ButtonStyle::Rail, colour::Card},
    {"bt_play", "Play", Glyph::Play, ButtonStyle::Primary, colour::Card},
    {"bt_next", "Forward", Glyph::Next, ButtonStyle::Rail, colour::Card},
    {"bt_playstop", "Stop", Glyph::Stop, ButtonStyle::Plain, colour::Card},
    {"bt_cut", "Cut", Glyph::Cut, ButtonStyle::Rail, colour::Card},
    {"bt_images", "Snapshot", Glyph::Camera, ButtonStyle::Rail, colour::Card},
    {"bt_start", "Convert", Glyph::Convert, ButtonStyle::Primary, colour::Background},
    {"bt_pause", "Pause", Glyph::Pause, ButtonStyle::Plain, colour::Background},
    {"Bt_Convertstop", "Stop", Glyph::Stop, ButtonStyle::Plain, colour::Background},
    {"bt_web", "", Glyph::Help, ButtonStyle::TitleIcon, colour::Navy},
};

QImage drawButton(const ButtonDesign& b, QSize size, State state) {
    QImage image = canvas(size, b.behind);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF r(0, 0, size.width(), size.height());
    QColor ink;
    switch (b.style) {
    case ButtonStyle::Primary:
        roundedBox(p, r,
                   state == State::Disabled ? colour::PrimaryDisabled
                   : state == State::Hover  ? colour::AccentHover
                                            : colour::Accent,
                   QColor(), 6);
        ink = state == State::Disabled ? QColor(0xF2, 0xF5, 0xFF) : QColor(Qt::white);
        break;
    case ButtonStyle::TitleIcon:
        if (state == State::Hover)
            p.fillRect(r, colour::NavyHover);
        ink = state == State::Disabled ? QColor(0x4A, 0x52, 0x70)
              : state == State::Hover  ? QColor(Qt::white)
                                       : QColor(0xC5, 0xCB, 0xDA);
        break;
    case ButtonStyle::Plain:
    case ButtonStyle::Rail:
        if (state == State::Disabled)
            roundedBox(p, r, colour::DisabledFill, colour::DisabledBorder, 6);
        else if (state == State::Hover)
            roundedBox(p, r, colour::AccentTint, colour::Accent, 6);
        else
            roundedBox(p, r, colour::Card, colour::Border, 6);
        ink = state == State::Disabled ? colour::DisabledText
              : state == State::Hover  ? colour::Accent
                                       : colour::Text;
        break;
    }

    const QString label = QString::fromLatin1(b.label);
    if (b.style == ButtonStyle::TitleIcon || label.isEmpty()) {
        const qreal s = 16;
        vc::tools::drawGlyph(p, b.glyph, QRectF((r.width() - s) / 2, (r.height() - s) / 2, s, s),
                             ink);
        return image;
    }
    if (b.style == ButtonStyle::Rail) {
        const QFont f = font(11, 500);
        const QFontMetrics m(f);
        const qreal s = 15;
        const qreal total = s + 3 + m.height();
        const qreal top = (r.height() - total) / 2;
        vc::tools::drawGlyph(p, b.glyph, QRectF((r.width() - s) / 2, top, s, s), ink);
        p.setFont(f);
        p.setPen(ink);
        p.drawText(QRectF(0, top + s + 3, r.width(), m.height()), Qt::AlignHCenter | Qt::AlignTop,
                   label);
        return image;
    }
    const QFont f = font(12, b.style == ButtonStyle::Primary ? 600 : 500);
    const QFontMetrics m(f);
    const qreal s = 14;
    const qreal gap = 6;
    const qreal total = s + gap + m.horizontalAdvance(label);
    const qreal left = std::round((r.width() - total) / 2);
    vc::tools::drawGlyph(p, b.glyph, QRectF(left, std::round((r.height() - s) / 2), s, s), ink);
    p.setFont(f);
    p.setPen(ink);
    p.drawText(QRectF(left + s + gap, 0, r.width() - left - s - gap, r.height()),
               Qt::AlignLeft | Qt::AlignVCenter, label);
    return image;
}

bool drawButtons(Writer& out, const QString& skinIni) {
    const vc::IniFile layout(skinIni);
    for (const ButtonDesign& b : Buttons) {
        const QString name = QString::fromLatin1(b.name);
        // Same defaults as the layout's reader, so a missing key still gets a fitting bitmap.
        const QSize size(layout.readInt(name, QStringLiteral("Width"), 6),
                         layout.readInt(name, QStringLiteral("Height"), 6));
        if (size.width() <= 0 || size.height() <= 0) {
            std::fprintf(stderr, "vc_bitmapgen: %s has no size in %s\n", b.name,
                         qPrintable(skinIni));
            return false;
        }
        out.save(drawButton(b, size, State::Normal), QStringLiteral("images/%1.bmp").arg(name));
        out.save(drawButton(b, size, State::Hover), QStringLiteral("images/%1on.bmp").arg(name));
        out.save(drawButton(b, size, State::Disabled), QStringLiteral("images/%1D.bmp").arg(name));
    }
    return true;
}

// ---------------------------------------------------------------- profile picker

struct Category {
    const char* file;
    const char* mark; // letters on the category icon
    QColor tone;
};

const Category Categories[] = {
    {"video1", "V", QColor(0x3D, 0x63, 0xF5)},    {"audio1", "A", QColor(0x8B, 0x5C, 0xF6)},
    {"ipod", "iP", QColor(0x64, 0x74, 0x8B)},     {"iphone", "iP", QColor(0x0E, 0xA5, 0xE9)},
    {"gphone", "G", QColor(0x16, 0xA3, 0x4A)},    {"appletv", "TV", QColor(0x33, 0x41, 0x55)},
    {"psp", "P", QColor(0x25, 0x63, 0xEB)},       {"xbox", "X", QColor(0x15, 0x80, 0x3D)},
    {"phone", "3G", QColor(0xEA, 0x58, 0x0C)},    {"win", "W", QColor(0x02, 0x84, 0xC7)},
    {"pmp", "M", QColor(0xDB, 0x27, 0x77)},       {"hd", "HD", QColor(0xCA, 0x8A, 0x04)},
    {"animation", "F", QColor(0xDC, 0x26, 0x26)}, {"modern", "4K", QColor(0xC0, 0x26, 0xD3)},
};
static_assert(std::size(Categories) == vc::CategoryCount);

QImage drawCategoryIcon(const Category& c) {
    QImage image = canvas(QSize(16, 16), colour::Card);
    QPainter p(&image);
    roundedBox(p, QRectF(0, 0, 16, 16), c.tone, QColor(), 4);
    const QString mark = QString::fromLatin1(c.mark);
    p.setFont(font(mark.size() > 1 ? 7 : 10, 700));
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, mark);
    return image;
}

QImage drawStripImage(const Category& c, int height, bool hover) {
    QImage image = canvas(QSize(153, height), hover ? colour::AccentWash : colour::Strip);
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.fillRect(QRect(0, height - 1, 153, 1), colour::Line);
    p.fillRect(QRect(152, 0, 1, height), colour::Line);
    if (hover)
        p.fillRect(QRect(0, 0, 3, height), colour::Accent);
    p.drawImage(QPoint(10, (height - 16) / 2), drawCategoryIcon(c));
    p.setFont(font(12, hover ? 600 : 500));
    p.setPen(hover ? colour::AccentText : colour::Text);
    // The program names the category the same way to screen readers.
    const int index = int(&c - Categories) + 1;
    p.drawText(QRect(34, 0, 105, height), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromLatin1(vc::category(index)->title));
    if (hover)
        vc::tools::drawGlyph(p, Glyph::ChevronRight, QRectF(134, (height - 12) / 2.0, 12, 12),
                             colour::Accent);
    return image;
}

// Heights of the buttons that are not 48 high (the first of a panel is 53).
int buttonHeight(int n) {
    switch (n) {
    case 26:
        return 144;
    case 33:
    case 40:
    case 52:
    case 59:
    case 74:
        return 67;
    case 45:
        return 161;
    case 101:
        return 257;
    case 124:
        return 65;
    case 67:
    case 82:
    case 90:
    case 98:
    case 109:
    case 117:
    case 132:
        return 17; // the strip at the bottom of a panel
    default:
        break;
    }
    static const std::set<int> firsts{1,  8,  15, 22, 27, 34,  41,  46,  53,  60,
                                      68, 75, 83, 91, 99, 102, 110, 118, 125, 133};
    return firsts.count(n) ? 53 : 48;
}

QImage drawProfileButton(int n, bool hover) {
    const QString name = vc::profileName(n);
    const QSize size(vc::inSubPanel(n) ? 311 : 310, buttonHeight(n));
    if (name.isEmpty()) {
        QImage image = canvas(size, colour::Filler);
        QPainter p(&image);
        p.fillRect(QRect(0, 0, size.width(), 1), colour::Line);
        return image;
    }
    QImage image = canvas(size, hover ? colour::AccentWash : colour::Card);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.fillRect(QRect(0, size.height() - 1, size.width(), 1), colour::Line);
    if (hover)
        p.fillRect(QRect(0, 0, 3, size.height()), colour::Accent);

    // An opener shows what its sub-panel holds, not the name of its own number.
    const vc::OpenerCaption* opener = vc::openerCaption(n);
    const QString title = opener ? QString::fromUtf8(opener->title) : QString();

    // Badge with the output format, in the category's tone.
    const QColor tone = Categories[vc::categoryOf(n) - 1].tone;
    const QString ext =
        opener ? title.section(QLatin1Char(' '), 0, 0) : vc::extensionOf(name).mid(1).toUpper();
    const QRectF badge(12, (size.height() - 24) / 2.0, 44, 24);
    roundedBox(p, badge, hover ? tone : tone.lighter(185), QColor(), 5);
    p.setFont(font(ext.size() > 3 ? 10 : 11, 700));
    p.setPen(hover ? QColor(Qt::white) : tone.darker(140));
    p.drawText(badge, Qt::AlignCenter, ext);

    const int textLeft = 66;
    const int textRight = size.width() - (opener ? 28 : 10);
    if (opener) {
        const QFont titleFont = font(12, 600);
        const QFont detailFont = font(10, 500);
        const QFontMetrics titleMetrics(titleFont);
        const QFontMetrics detailMetrics(detailFont);
        const int gap = 2;
        const int top = (size.height() - titleMetrics.height() - gap - detailMetrics.height()) / 2;
        p.setFont(titleFont);
        p.setPen(hover ? colour::AccentText : colour::Text);
        p.drawText(QRect(textLeft, top, textRight - textLeft, titleMetrics.height()),
                   Qt::AlignLeft | Qt::AlignVCenter, title);
        p.setFont(detailFont);
        p.setPen(colour::Secondary);
        p.drawText(QRect(textLeft, top + titleMetrics.height() + gap, textRight - textLeft,
                         detailMetrics.height()),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   detailMetrics.elidedText(QString::fromUtf8(opener->detail), Qt::ElideRight,
                                            textRight - textLeft));
        vc::tools::drawGlyph(p, Glyph::ChevronRight,
                             QRectF(size.width() - 24, (size.height() - 14) / 2.0, 14, 14),
                             hover ? colour::Accent : colour::Secondary);
        return image;
    }
    const QFont f = font(12, hover ? 600 : 500);
    const QFontMetrics m(f);
    QTextLayout layout(name, f);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    const int width = textRight - textLeft;
    qreal height = 0;
    int lines = 0;
    while (lines < 2) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        line.setPosition(QPointF(0, height));
        height += m.lineSpacing();
        ++lines;
    }
    layout.endLayout();
    p.setPen(hover ? colour::AccentText : colour::Text);
    layout.draw(&p, QPointF(textLeft, std::round((size.height() - height) / 2)));
    return image;
}

// The foot of the two-page panels: a label and an arrow that turn the page, and the panel
// behind the picker (Image13).
void drawPageControls(Writer& out) {
    struct Page {
        const char* label;
        const char* arrow;
        const char* text;
        bool forward;
    };
    const Page pages[] = {{"btim_next", "Image94", vc::NextPageCaption, true},
                          {"btim_pre", "Image93", vc::PreviousPageCaption, false},
                          {"Image1", "Image2", vc::NextPageCaption, true},
                          {"Image4", "Image5", vc::PreviousPageCaption, false}};
    for (const Page& page : pages) {
        for (const bool hover : {false, true}) {
            const QString folder = hover ? QStringLiteral("move") : QStringLiteral("general");
            const QColor fill = hover ? colour::AccentWash : colour::Strip;
            const QColor ink = hover ? colour::AccentText : colour::Secondary;
            QImage label = canvas(QSize(280, 17), fill);
            {
                QPainter p(&label);
                p.setRenderHint(QPainter::TextAntialiasing);
                p.setFont(font(10, 600));
                p.setPen(ink);
                p.drawText(QRect(12, 0, 268, 17), Qt::AlignVCenter | Qt::AlignRight,
                           QLatin1String(page.text));
            }
            out.save(label, QStringLiteral("images/sub/%1/%2.bmp").arg(folder, page.label));
            QImage arrow = canvas(QSize(30, 17), fill);
            {
                QPainter p(&arrow);
                p.setRenderHint(QPainter::Antialiasing);
                vc::tools::drawGlyph(p, page.forward ? Glyph::Next : Glyph::Back,
                                     QRectF(9, 2, 13, 13), hover ? colour::Accent : ink);
            }
            out.save(arrow, QStringLiteral("images/sub/%1/%2.bmp").arg(folder, page.arrow));
        }
    }
    QImage back = canvas(QSize(311, 358), colour::Card);
    {
        QPainter p(&back);
        p.setPen(colour::Border);
        p.drawRect(0, 0, 310, 357);
    }
    out.save(back, QStringLiteral("images/sub/general/Image13.bmp"));
}

void drawPicker(Writer& out) {
    int stripUsed = 0;
    for (const Category& c : Categories) {
        const int height = QString::fromLatin1(c.file) == QLatin1String("video1") ? 27 : 25;
        stripUsed += height;
        out.save(drawStripImage(c, height, false),
                 QStringLiteral("images/main/general/img_%1.bmp").arg(c.file));
        out.save(drawStripImage(c, height, true),
                 QStringLiteral("images/main/move/img_%1.bmp").arg(c.file));
    }
    // The end of the category strip fills what the images leave of its 358 pixels.
    const int endHeight = 358 - stripUsed;
    QImage end = canvas(QSize(153, endHeight), colour::Strip);
    {
        QPainter p(&end);
        p.fillRect(QRect(152, 0, 1, endHeight), colour::Line);
    }
    out.save(end, QStringLiteral("images/main/general/img_bottom.bmp"));

    for (int n = 1; n <= vc::ProfileCount; ++n) {
        out.save(drawProfileButton(n, false), QStringLiteral("images/sub/general/%1.bmp").arg(n));
        out.save(drawProfileButton(n, true), QStringLiteral("images/sub/move/%1.bmp").arg(n));
    }
    drawPageControls(out);
    for (int i = 1; i <= vc::CategoryCount; ++i)
        out.save(drawCategoryIcon(Categories[i - 1]), QStringLiteral("images/main/%1.bmp").arg(i));
}

// ---------------------------------------------------------------- title and skin images

void drawLogo(QPainter& p, const QRectF& r) {
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, QColor(0x5B, 0x7C, 0xFF));
    g.setColorAt(1, QColor(0x2F, 0x4F, 0xE0));
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(r, r.width() * 0.28, r.width() * 0.28);
    const qreal u = r.width() / 18.0;
    p.setBrush(Qt::white);
    p.drawPolygon(
        QPolygonF({r.topLeft() + QPointF(7 * u, 5 * u), r.topLeft() + QPointF(7 * u, 13 * u),
                   r.topLeft() + QPointF(13.5 * u, 9 * u)}));
}

QImage drawTitle(const QString& text) {
    const QFont f = font(13, 600);
    const QFontMetrics m(f);
    const int width = 24 + m.horizontalAdvance(text) + 4;
    QImage image = canvas(QSize(width, 22), colour::Navy);
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    drawLogo(p, QRectF(0, 2, 18, 18));
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(24, 0, width - 24, 22), Qt::AlignLeft | Qt::AlignVCenter, text);
    return image;
}

QImage icon(Glyph glyph, const QColor& ink, int size = 14) {
    QImage image = canvas(QSize(size, size), Qt::transparent);
    QPainter p(&image);
    vc::tools::drawGlyph(p, glyph, QRectF(0, 0, size, size), ink);
    return image;
}

void drawSkinImages(Writer& out) {
    QImage logo = canvas(QSize(18, 18), Qt::transparent);
    {
        QPainter p(&logo);
        drawLogo(p, QRectF(0, 0, 18, 18));
    }
    out.save(logo, QStringLiteral("skin/logo.png"));
    // The program's icon where it is shown large: the About window, the desktop's switcher.
    QImage largeLogo = canvas(QSize(48, 48), Qt::transparent);
    {
        QPainter p(&largeLogo);
        drawLogo(p, QRectF(0, 0, 48, 48));
    }
    out.save(largeLogo, QStringLiteral("skin/logo-48.png"));
    out.save(icon(Glyph::Close, Qt::white, 16), QStringLiteral("skin/close.png"));
    out.save(icon(Glyph::Minimize, Qt::white, 16), QStringLiteral("skin/minimize.png"));
    out.save(icon(Glyph::Plus, Qt::white), QStringLiteral("skin/plus-white.png"));
    out.save(icon(Glyph::Play, Qt::white), QStringLiteral("skin/play-white.png"));
    const struct {
        Glyph glyph;
        const char* name;
    } pairs[] = {{Glyph::Folder, "folder"},
                 {Glyph::Pause, "pause"},
                 {Glyph::Stop, "stop"},
                 {Glyph::Rewind, "back"},
                 {Glyph::Forward, "forward"}};
    for (const auto& pair : pairs) {
        out.save(icon(pair.glyph, colour::Text), QStringLiteral("skin/%1.png").arg(pair.name));
        out.save(icon(pair.glyph, colour::Accent),
                 QStringLiteral("skin/%1-accent.png").arg(pair.name));
    }
    QImage chevron = canvas(QSize(24, 30), Qt::transparent);
    {
        QPainter p(&chevron);
        vc::tools::drawGlyph(p, Glyph::Chevron, QRectF(4, 7, 16, 16), colour::Secondary);
    }
    out.save(chevron, QStringLiteral("skin/chevron.png"));
    // The drop-down arrow of the combo boxes, drawn at the size the style sheet shows it.
    out.save(icon(Glyph::Chevron, colour::Secondary, 16), QStringLiteral("skin/dropdown.png"));
    out.save(icon(Glyph::Chevron, colour::DisabledText, 16),
             QStringLiteral("skin/dropdown-disabled.png"));
    // The tick of a ticked check box, on the accent colour the style sheet fills it with.
    out.save(icon(Glyph::Check, Qt::white, 14), QStringLiteral("skin/check.png"));
    QImage film = canvas(QSize(40, 40), Qt::transparent);
    {
        QPainter p(&film);
        roundedBox(p, QRectF(0, 0, 40, 40), colour::AccentWash, QColor(), 12);
        vc::tools::drawGlyph(p, Glyph::Film, QRectF(10, 10, 20, 20), colour::Accent);
    }
    out.save(film, QStringLiteral("skin/film.png"));
}

// The icons of the ordinary windows: message boxes, file choosers and folder trees.
void drawWindowIcons(Writer& out) {
    const struct {
        Glyph glyph;
        QColor ink;
        QColor disc;
        const char* name;
    } boxes[] = {{Glyph::Info, colour::Accent, colour::AccentWash, "information"},
                 {Glyph::Help, colour::Accent, colour::AccentWash, "question"},
                 {Glyph::Warning, QColor(0xC2, 0x6B, 0x05), QColor(0xFE, 0xF1, 0xDC), "warning"},
                 {Glyph::Error, QColor(0xD3, 0x2F, 0x2F), QColor(0xFD, 0xE6, 0xE6), "error"}};
    for (const auto& box : boxes) {
        QImage image = canvas(QSize(32, 32), Qt::transparent);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(box.disc);
            p.drawEllipse(QRectF(0, 0, 32, 32));
            vc::tools::drawGlyph(p, box.glyph, QRectF(6, 6, 20, 20), box.ink);
        }
        out.save(image, QStringLiteral("skin/icons/%1.png").arg(box.name));
    }
    const struct {
        Glyph glyph;
        QColor ink;
        const char* name;
    } small[] = {{Glyph::Folder, colour::Accent, "folder"},
                 {Glyph::File, colour::Secondary, "file"},
                 {Glyph::Computer, colour::Secondary, "computer"},
                 {Glyph::Drive, colour::Secondary, "drive"},
                 {Glyph::ArrowLeft, colour::Text, "back"},
                 {Glyph::ArrowRight, colour::Text, "forward"},
                 {Glyph::ArrowUp, colour::Text, "parent"},
                 {Glyph::NewFolder, colour::Text, "newfolder"},
                 {Glyph::ListView, colour::Text, "listview"},
                 {Glyph::DetailView, colour::Text, "detailview"}};
    for (const auto& item : small)
        out.save(icon(item.glyph, item.ink, 16),
                 QStringLiteral("skin/icons/%1.png").arg(item.name));
}

} // namespace

int main(int argc, char** argv) {
    // Drawing needs fonts but no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: vc_bitmapgen PROGRAM_DIR SKIN_INI\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QString skinIni = QString::fromLocal8Bit(argv[2]);
    if (!QFileInfo(skinIni).isFile()) {
        std::fprintf(stderr, "vc_bitmapgen: no layout file %s\n", argv[2]);
        return 1;
    }
    if (QFontInfo(font(12, 400)).family() != FontFamily)
        std::fprintf(stderr,
                     "vc_bitmapgen: warning: the font %s is not installed (scripts/setup-debian)\n",
                     qPrintable(FontFamily));

    Writer out(root);
    for (const int s : {1, 2}) {
        scale = s;
        if (!drawButtons(out, skinIni))
            return 1;
        drawPicker(out);
        // The title image of the program under its default name.
        out.save(drawTitle(QStringLiteral("Video Converter")),
                 QStringLiteral("images/main/VideoConverter.bmp"));
        drawSkinImages(out);
        drawWindowIcons(out);
    }
    return out.ok() ? 0 : 1;
}
