// Writes softinfo.dat: the web and support addresses for each name the program ships under.
#include "app/ProductLinks.h"

#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
        return 2;
    }
    const QString site = QStringLiteral("https://www.brivane-software.com/");
    const QString names[] = {QStringLiteral("VideoConverter"), QStringLiteral("Video Converter"),
                             QStringLiteral("iPod Converter"), QStringLiteral("MP4 Converter"),
                             QStringLiteral("AVI Converter"),  QStringLiteral("Audio Converter")};
    QByteArray data;
    for (const QString& name : names) {
        const QString page = site + name.toLower().remove(u' ') + u'/';
        data += vc::ProductLinks::record(name, site, page, page + QStringLiteral("support.html"));
    }
    QFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size()) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
