// The software centre's entry as the install rules write it.

#include "TestSupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

// The centre offers the program for the files its desktop entry opens, one type per element.
TEST(Metainfo, OffersEachMediaTypeTheDesktopEntryOpens) {
    QFile entryFile(VC_TEST_SOURCE_DIR "/../packaging/videoconverter.desktop.in");
    ASSERT_TRUE(entryFile.open(QIODevice::ReadOnly));
    const QRegularExpressionMatch line =
        QRegularExpression(QStringLiteral("^MimeType=(.*)$"), QRegularExpression::MultilineOption)
            .match(QString::fromUtf8(entryFile.readAll()));
    ASSERT_TRUE(line.hasMatch());
    const QStringList opened = line.captured(1).split(u';', Qt::SkipEmptyParts);

    QFile metainfo(QStringLiteral(VC_TEST_METAINFO));
    ASSERT_TRUE(metainfo.open(QIODevice::ReadOnly)) << VC_TEST_METAINFO;
    QXmlStreamReader xml(&metainfo);
    QStringList offered;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"mediatype")
            offered << xml.readElementText();
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_GT(opened.size(), 40);
    EXPECT_EQ(offered, opened);
}

} // namespace
