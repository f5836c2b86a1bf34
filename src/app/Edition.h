#pragma once

#include <QString>

namespace vc {

// Two editions share one executable; a file name holding the keyword selects the other one.
inline bool isOtherEdition(const QString& programFileName) {
    return programFileName.toLower().contains(QLatin1String("ozrin"));
}

struct MakerInfo {
    QString line;
    QString contactPage;
    QString aboutPage;
};

inline MakerInfo makerInfo(bool otherEdition) {
    if (otherEdition)
        return {QStringLiteral("Published by Ozrin Media under licence from Brivane Software"),
                QStringLiteral("https://www.ozrin-media.com/contact.html"),
                QStringLiteral("https://www.ozrin-media.com/about.html")};
    return {QStringLiteral("Copyright \u00a9 Brivane Software. All rights reserved."),
            QStringLiteral("https://www.brivane-software.com/contact.html"),
            QStringLiteral("https://www.brivane-software.com/about.html")};
}

} // namespace vc
