#include "shell/SkinFile.h"

#include "common/IniFile.h"

#include <QDir>
#include <QFileInfo>
#include <map>

#include <algorithm>

namespace vc {

const ElementDef* FormDef::element(const QString& elementName) const {
    for (const ElementDef& e : elements) {
        if (e.name == elementName)
            return &e;
    }
    return nullptr;
}

const FormDef* SkinDef::form(const QString& formName) const {
    for (const FormDef& f : forms) {
        if (f.name == formName)
            return &f;
    }
    return nullptr;
}

namespace {

constexpr int MaxStyleDepth = 8;

struct ParseError {
    QString text;
};

// The whole file, read once: section -> key -> value, names lower-cased.
using Sections = std::map<QString, std::map<QString, QString>>;

Sections snapshot(const IniFile& ini) {
    Sections all;
    for (const QString& section : ini.sections()) {
        std::map<QString, QString>& keys = all[section.toLower()];
        for (const QString& key : ini.keys(section))
            keys.emplace(key.toLower(), ini.readString(section, key));
    }
    return all;
}

// Looks a key up in an element's section, then along its chain of styles, then, for the keys
// that every text shares, in its form and in [skin].
class KeyLookup {
public:
    KeyLookup(const Sections& all, QStringList sections, QStringList inherited)
        : all_(all), sections_(std::move(sections)), inherited_(std::move(inherited)) {}

    std::optional<QString> value(const QString& key) const {
        if (auto v = find(sections_, key))
            return v;
        if (isShared(key))
            return find(inherited_, key);
        return std::nullopt;
    }

private:
    std::optional<QString> find(const QStringList& sections, const QString& key) const {
        for (const QString& section : sections) {
            const auto keys = all_.find(section.toLower());
            if (keys == all_.end())
                continue;
            const auto v = keys->second.find(key.toLower());
            if (v != keys->second.end())
                return v->second;
        }
        return std::nullopt;
    }

    static bool isShared(const QString& key) {
        static const QStringList shared{QStringLiteral("font"), QStringLiteral("fontsize"),
                                        QStringLiteral("fontweight"), QStringLiteral("textcolor")};
        return shared.contains(key, Qt::CaseInsensitive);
    }

    const Sections& all_;
    QStringList sections_;
    QStringList inherited_;
};

class Parser {
public:
    explicit Parser(const QString& path)
        : ini_(QFileInfo(path).absoluteFilePath()), all_(snapshot(ini_)), order_(ini_.sections()),
          folder_(QFileInfo(path).absoluteDir()) {}

    SkinDef parse() {
        SkinDef skin;
        skin.path = ini_.path();
        const QStringList& sections = order_;
        if (!sections.contains(QStringLiteral("skin"), Qt::CaseInsensitive))
            throw ParseError{QStringLiteral("it has no [skin] section")};
        for (const QString& file : list(get(QStringLiteral("skin"), QStringLiteral("fontfiles"))))
            skin.fontFiles << existingFile(file, QStringLiteral("skin"),
                                           QStringLiteral("fontfiles"));
        const QString styleSheet = get(QStringLiteral("skin"), QStringLiteral("stylesheet"));
        if (!styleSheet.isEmpty())
            skin.styleSheet =
                existingFile(styleSheet, QStringLiteral("skin"), QStringLiteral("stylesheet"));
        const QString icons = get(QStringLiteral("skin"), QStringLiteral("icons"));
        if (!icons.isEmpty()) {
            skin.iconFolder = QDir::cleanPath(folder_.absoluteFilePath(icons));
            if (!QFileInfo(skin.iconFolder).isDir())
                throw ParseError{QStringLiteral("[skin] icons names the missing folder %1")
                                     .arg(skin.iconFolder)};
        }
        const QStringList forms = list(get(QStringLiteral("skin"), QStringLiteral("forms")));
        if (forms.isEmpty())
            throw ParseError{QStringLiteral("[skin] names no forms")};
        for (const QString& name : forms)
            skin.forms << parseForm(name, sections);
        return skin;
    }

private:
    static QStringList list(const QString& text) {
        QStringList items;
        for (const QString& item : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            if (!item.trimmed().isEmpty())
                items << item.trimmed();
        }
        return items;
    }

    FormDef parseForm(const QString& name, const QStringList& sections) {
        if (!sections.contains(name, Qt::CaseInsensitive))
            throw ParseError{QStringLiteral("the form \"%1\" has no section").arg(name)};
        FormDef form;
        form.name = name;
        const QList<int> size = numbers(get(name, QStringLiteral("size")));
        if (size.size() != 2 || size[0] <= 0 || size[1] <= 0)
            throw ParseError{QStringLiteral("the form \"%1\" needs size=width,height").arg(name)};
        form.size = QSize(size[0], size[1]);
        form.color = colour(get(name, QStringLiteral("color")), name, QStringLiteral("color"));
        const QString image = get(name, QStringLiteral("image"));
        if (!image.isEmpty())
            form.image = existingFile(image, name, QStringLiteral("image"));

        const QString prefix = name + QLatin1Char('.');
        for (const QString& section : sections) {
            if (section.startsWith(prefix, Qt::CaseInsensitive) && section.size() > prefix.size())
                form.elements << parseElement(section, section.mid(prefix.size()), name);
        }
        return form;
    }

    QStringList styleChain(const QString& section) const {
        QStringList chain{section};
        QString style = get(section, QStringLiteral("style"));
        while (!style.isEmpty()) {
            const QString styleSection = QStringLiteral("style.") + style;
            if (!all_.count(styleSection.toLower()))
                throw ParseError{
                    QStringLiteral("[%1] uses the missing style \"%2\"").arg(chain.last(), style)};
            if (chain.contains(styleSection, Qt::CaseInsensitive) || chain.size() > MaxStyleDepth)
                throw ParseError{QStringLiteral("the style \"%1\" refers to itself").arg(style)};
            chain << styleSection;
            style = get(styleSection, QStringLiteral("style"));
        }
        return chain;
    }

    ElementDef parseElement(const QString& section, const QString& name, const QString& form) {
        const KeyLookup keys(all_, styleChain(section), {form, QStringLiteral("skin")});
        const auto text = [&](const char* key) {
            return keys.value(QLatin1String(key)).value_or(QString());
        };
        const auto integer = [&](const char* key, int def) {
            const std::optional<QString> v = keys.value(QLatin1String(key));
            if (!v)
                return def;
            bool ok = false;
            const int n = v->toInt(&ok);
            if (!ok)
                throw ParseError{
                    QStringLiteral("[%1] %2 is not a number").arg(section, QLatin1String(key))};
            return n;
        };
        const auto col = [&](const char* key) {
            return colour(text(key), section, QLatin1String(key));
        };
        const auto file = [&](const char* key) {
            const QString v = text(key);
            return v.isEmpty() ? QString() : existingFile(v, section, QLatin1String(key));
        };

        ElementDef e;
        e.name = name;
        const QString kind = text("kind").toLower();
        if (kind == QLatin1String("area") || kind.isEmpty())
            e.kind = ElementKind::Area;
        else if (kind == QLatin1String("text"))
            e.kind = ElementKind::Text;
        else if (kind == QLatin1String("shape"))
            e.kind = ElementKind::Shape;
        else if (kind == QLatin1String("slider"))
            e.kind = ElementKind::Slider;
        else
            throw ParseError{QStringLiteral("[%1] has the unknown kind \"%2\"").arg(section, kind)};

        const QList<int> r = numbers(text("rect"));
        if (r.size() != 4 || r[2] < 0 || r[3] < 0)
            throw ParseError{QStringLiteral("[%1] needs rect=left,top,width,height").arg(section)};
        e.rect = QRect(r[0], r[1], r[2], r[3]);
        e.visible = integer("visible", 1) != 0;
        e.mouse = integer("mouse", 1) != 0;
        e.text = text("text");
        const QString cursor = text("cursor").toLower();
        if (cursor == QLatin1String("hand"))
            e.handCursor = true;
        else if (!cursor.isEmpty() && cursor != QLatin1String("arrow"))
            throw ParseError{
                QStringLiteral("[%1] has the unknown cursor \"%2\"").arg(section, cursor)};
        e.position = std::clamp(integer("position", 0), 0, 10000);

        const QString action = text("action").toLower();
        if (action == QLatin1String("close"))
            e.action = ElementAction::Close;
        else if (action == QLatin1String("minimize"))
            e.action = ElementAction::Minimize;
        else if (action == QLatin1String("move"))
            e.action = ElementAction::Move;
        else if (!action.isEmpty())
            throw ParseError{
                QStringLiteral("[%1] has the unknown action \"%2\"").arg(section, action)};

        ElementLook& l = e.look;
        l.color = col("color");
        l.hoverColor = col("hovercolor");
        l.pressedColor = col("pressedcolor");
        l.disabledColor = col("disabledcolor");
        l.border = col("border");
        l.hoverBorder = col("hoverborder");
        l.radius = integer("radius", 0);
        l.image = file("image");
        l.hoverImage = file("hoverimage");
        l.pressedImage = file("pressedimage");
        l.disabledImage = file("disabledimage");
        l.icon = file("icon");
        l.hoverIcon = file("hovericon");
        l.font = text("font");
        l.fontSize = integer("fontsize", 12);
        l.fontWeight = std::clamp(integer("fontweight", 400), 100, 900);
        l.textColor = col("textcolor");
        l.hoverTextColor = col("hovertextcolor");
        l.disabledTextColor = col("disabledtextcolor");
        const QString align = text("align").toLower();
        if (align == QLatin1String("center"))
            l.align = Qt::AlignCenter;
        else if (align == QLatin1String("right"))
            l.align = Qt::AlignRight | Qt::AlignVCenter;
        else if (!align.isEmpty() && align != QLatin1String("left"))
            throw ParseError{
                QStringLiteral("[%1] has the unknown align \"%2\"").arg(section, align)};
        l.padding = integer("padding", 0);
        l.trackColor = col("trackcolor");
        l.thumbColor = col("thumbcolor");
        l.thumbHoverColor = col("thumbhovercolor");
        l.thumbBorder = col("thumbborder");
        l.trackHeight = integer("trackheight", 4);
        l.thumbSize = std::max(1, integer("thumbsize", 12));
        l.thumbImage = file("thumbimage");
        l.thumbHoverImage = file("thumbhoverimage");
        return e;
    }

    static QList<int> numbers(const QString& text) {
        QList<int> values;
        for (const QString& part : text.split(QLatin1Char(','))) {
            bool ok = false;
            const int v = part.trimmed().toInt(&ok);
            if (!ok)
                return {};
            values << v;
        }
        return values;
    }

    static QColor colour(const QString& text, const QString& section, const QString& key) {
        if (text.isEmpty() || text.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0)
            return {};
        const QColor c(text);
        if (!c.isValid())
            throw ParseError{QStringLiteral("[%1] %2 is not a colour: %3").arg(section, key, text)};
        return c;
    }

    QString existingFile(const QString& relative, const QString& section,
                         const QString& key) const {
        const QString path = QDir::cleanPath(folder_.absoluteFilePath(relative));
        if (!QFileInfo(path).isFile())
            throw ParseError{
                QStringLiteral("[%1] %2 names the missing file %3").arg(section, key, path)};
        return path;
    }

    QString get(const QString& section, const QString& key) const {
        const auto keys = all_.find(section.toLower());
        if (keys == all_.end())
            return {};
        const auto v = keys->second.find(key.toLower());
        return v == keys->second.end() ? QString() : v->second;
    }

    IniFile ini_;
    Sections all_;
    QStringList order_;
    QDir folder_;
};

} // namespace

SkinParseResult parseSkinFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        return {std::nullopt,
                QStringLiteral("The skin file %1 cannot be read.").arg(info.absoluteFilePath())};
    try {
        return {Parser(path).parse(), {}};
    } catch (const ParseError& e) {
        return {std::nullopt, QStringLiteral("The skin file %1 is not valid: %2.")
                                  .arg(info.absoluteFilePath(), e.text)};
    }
}

} // namespace vc
