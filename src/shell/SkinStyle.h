#pragma once

#include <QHash>
#include <QIcon>
#include <QProxyStyle>

namespace vc {

// The program's style while a skin is in force: Qt's Fusion with the skin's icons in place of
// the standard ones (message boxes, file choosers, folder trees). The skin's style sheet then
// lies over it.
class SkinStyle : public QProxyStyle {
    Q_OBJECT
public:
    // Icons are looked up in the folder by name (information.png, folder.png...); a missing one
    // leaves Fusion's own.
    explicit SkinStyle(const QString& iconFolder);

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;

private:
    // Loaded whole at once: file views ask for icons from a thread of their own.
    QHash<int, QIcon> icons_;
};

} // namespace vc
