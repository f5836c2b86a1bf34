#include "profiles/ProfileData.h"
#include "TestSupport.h"
#include "profiles/Catalogue.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vc;

namespace {

QString writeFile(const QTemporaryDir& dir, const QByteArray& bytes) {
    const QString path = dir.filePath(QStringLiteral("profiles.pop"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

} // namespace

TEST(ProfileData, SplittingRule) {
    EXPECT_EQ(splitEntries(QStringLiteral("320x240 640x480")), QStringList({"320x240", "640x480"}));
    // Two blanks in a row or a leading blank end the list.
    EXPECT_EQ(splitEntries(QStringLiteral("320x240  640x480")), QStringList({"320x240"}));
    EXPECT_TRUE(splitEntries(QStringLiteral(" 320x240")).isEmpty());
    EXPECT_EQ(splitEntries(QStringLiteral("320x240 ")), QStringList({"320x240"}));
    // A last entry of one character is dropped, one elsewhere is kept.
    EXPECT_EQ(splitEntries(QStringLiteral("100 200 x")), QStringList({"100", "200"}));
    EXPECT_EQ(splitEntries(QStringLiteral("1 200")), QStringList({"1", "200"}));
    EXPECT_TRUE(splitEntries(QStringLiteral("*")).isEmpty());
    EXPECT_EQ(splitEntries(QStringLiteral("1 2 3 4 5 6 7"), 5).size(), 5);
    EXPECT_TRUE(splitEntries(QString()).isEmpty());
}

TEST(ProfileData, GroupsByLinePosition) {
    QTemporaryDir dir;
    const QString path = writeFile(dir, "label one\r\n"
                                        "320x240 176x144\r\n"
                                        "100 200 300 400 500\r\n"
                                        "-vcodec mpeg4 -acodec aac\r\n"
                                        "\n"
                                        "720x480(NTSC)\n"
                                        "*\n"
                                        "-vn");
    ProfileGroupRead one = readProfileGroup(path, 1);
    ASSERT_EQ(one.status, ProfileGroupRead::Status::Ok);
    EXPECT_EQ(one.group.sizes, QStringList({"320x240", "176x144"}));
    EXPECT_EQ(one.group.rates, QStringLiteral("100 200 300 400 500"));
    EXPECT_EQ(one.group.options, QStringLiteral("-vcodec mpeg4 -acodec aac"));

    // The free first line may be empty; the last line needs no line break.
    ProfileGroupRead two = readProfileGroup(path, 2);
    ASSERT_EQ(two.status, ProfileGroupRead::Status::Ok);
    EXPECT_EQ(two.group.sizes, QStringList({"720x480(NTSC)"}));
    EXPECT_EQ(two.group.rates, QStringLiteral("*"));
    EXPECT_EQ(two.group.options, QStringLiteral("-vn"));

    EXPECT_EQ(readProfileGroup(path, 3).status, ProfileGroupRead::Status::MissingGroup);
    EXPECT_EQ(readProfileGroup(path, 0).status, ProfileGroupRead::Status::MissingGroup);

    const ProfileGroupRead missing = readProfileGroup(dir.filePath(QStringLiteral("none")), 1);
    EXPECT_EQ(missing.status, ProfileGroupRead::Status::Unreadable);
    EXPECT_FALSE(missing.error.isEmpty());
}

TEST(ProfileData, GroupCutShortIsMissing) {
    QTemporaryDir dir;
    const QString path = writeFile(dir, "label\n320x240\n100 200 300 400 500\n");
    EXPECT_EQ(readProfileGroup(path, 1).status, ProfileGroupRead::Status::MissingGroup);
}

// The shipped file: every number has a well-formed group.
TEST(ProfileData, ShippedFileHasEveryGroup) {
    const QString path = profileDataPath(test::programDir());
    const QRegularExpression size(QStringLiteral("^\\d+x\\d+(\\(.*\\))?$"));
    const QRegularExpression evenSize(QStringLiteral("^\\d*[02468]x\\d*[02468](\\(.*\\))?$"));
    for (int n = 1; n <= ProfileCount; ++n) {
        const ProfileGroupRead read = readProfileGroup(path, n);
        ASSERT_EQ(read.status, ProfileGroupRead::Status::Ok)
            << n << ' ' << read.error.toStdString();
        const ProfileGroup& g = read.group;
        if (!hasProfile(n)) {
            EXPECT_EQ(g.rates, QStringLiteral("*")) << n;
            continue;
        }
        if (isAudioOnly(n)) {
            EXPECT_EQ(g.rates, QStringLiteral("*")) << n;
            EXPECT_EQ(g.sizes.size(), 1) << n;
            EXPECT_TRUE(g.options.contains(QStringLiteral("-vn")) ||
                        profileExtension(n) == QLatin1String(".amr"))
                << n;
            continue;
        }
        EXPECT_GE(g.sizes.size(), 2) << n;
        for (const QString& entry : g.sizes) {
            EXPECT_TRUE(size.match(entry).hasMatch()) << n << ' ' << entry.toStdString();
            // Every encoder in use wants even frame sizes.
            EXPECT_TRUE(evenSize.match(entry).hasMatch()) << n << ' ' << entry.toStdString();
        }
        const QStringList rates = splitEntries(g.rates, 5);
        ASSERT_EQ(rates.size(), 5) << n;
        int previous = 0;
        for (const QString& rate : rates) {
            bool ok = false;
            const int value = rate.toInt(&ok);
            EXPECT_TRUE(ok && value > 0) << n;
            // Lowest quality first.
            EXPECT_GE(value, previous) << n;
            previous = value;
        }
    }
    EXPECT_EQ(readProfileGroup(path, ProfileCount + 1).status,
              ProfileGroupRead::Status::MissingGroup);
}
