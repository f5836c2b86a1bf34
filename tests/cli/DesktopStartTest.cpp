// The window as the desktop starts it: with files on the command line, and again while it is
// open. The built program runs offscreen beside a converter tool that notes each probe.

#include "TestSupport.h"
#include "common/FileNames.h"
#include "convert/ConvertRunner.h"
#include "media/SourceRecords.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>

namespace vc {

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class DesktopStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        const QDir built(test::programDir());
        QDir().mkpath(path("program"));
        for (const QString& name : built.entryList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
            const QString to = path("program/" + name);
            // The program finds its folder through links, so it is copied; the rest is linked.
            if (name == "VideoConverter") {
                ASSERT_TRUE(QFile::copy(built.filePath(name), to));
            } else if (name != "register.dat") {
                ASSERT_TRUE(QFile::link(built.filePath(name), to));
            }
        }
        QFile tool(path("program/register.dat"));
        ASSERT_TRUE(tool.open(QIODevice::WriteOnly));
        tool.write("#!/bin/sh\n{ echo call; printf '%s\\n' \"$@\"; } >>'" +
                   QFile::encodeName(path("tool.log")) + "'\nexec '" +
                   QFile::encodeName(test::toolPath()) + "' \"$@\"\n");
        tool.close();
        tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QDir().mkpath(path("runtime"));
        QFile::setPermissions(path("runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QDir().mkpath(path("config"));
    }

    QString path(const QString& relative) const { return QDir(dir.path()).filePath(relative); }

    std::unique_ptr<QProcess> start(const QStringList& args, const QString& folder) {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_RUNTIME_DIR", path("runtime"));
        env.insert("VIDEOCONVERTER_CONFIG_DIR", path("config"));
        p->setProcessEnvironment(env);
        p->setWorkingDirectory(folder);
        startChild(*p, path("program/VideoConverter"), args, ChildPriority::Normal);
        EXPECT_TRUE(p->waitForStarted(10000));
        return p;
    }

    // How often the tool was asked to describe the file (the preview's first frame is another
    // call on it).
    int probes(const QByteArray& file) const {
        return int(readFile(path("tool.log")).count("call\n-i\n" + file + "\n"));
    }
    bool waitForProbes(const QByteArray& file, int count = 1) const {
        QElapsedTimer t;
        t.start();
        while (probes(file) < count && t.elapsed() < 60000)
            QThread::msleep(50);
        return probes(file) >= count;
    }
    QStringList sockets() const {
        return QDir(path("runtime")).entryList({"*.socket"}, QDir::System);
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(DesktopStartTest, ALaterStartHandsItsFilesToTheOpenWindow) {
    const QByteArray root = QFile::encodeName(dir.path());
    test::makeClip(dir.path(), "first.avi");
    QDir().mkpath(path("films"));
    test::makeClip(path("films"), "scene.mp4");
    QFile::copy(path("films/scene.mp4"), path("films/scene.txt")); // not an extension to scan
    QDir().mkpath(path("elsewhere"));
    // Latin-1: "é" is the lone byte 0xe9.
    const QByteArray odd = root + "/elsewhere/caf\xe9.avi";
    ASSERT_EQ(::rename(QFile::encodeName(test::makeClip(dir.path(), "odd.avi")).constData(),
                       odd.constData()),
              0);
    const auto cleanUp = qScopeGuard([&] { test::removeTree(root + "/elsewhere"); });

    // Relative names count from the folder each start was made in.
    auto first = start({"first.avi", "films"}, dir.path());
    ASSERT_TRUE(waitForProbes(root + "/first.avi"));
    ASSERT_TRUE(waitForProbes(root + "/films/scene.mp4"));
    EXPECT_EQ(sockets().size(), 1);

    auto second = start({nameFromBytes("caf\xe9.avi")}, path("elsewhere"));
    ASSERT_TRUE(second->waitForFinished(20000));
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(waitForProbes(odd));
    // Without files the open window only comes to the front.
    auto third = start({}, dir.path());
    ASSERT_TRUE(third->waitForFinished(20000));
    EXPECT_EQ(third->exitCode(), 0);
    EXPECT_EQ(first->state(), QProcess::Running);
    EXPECT_EQ(probes(root + "/films/scene.txt"), 0);

    // A window that died leaves its socket behind, which must not stop the next start.
    signalProcessGroup(first->processId(), SIGKILL);
    ASSERT_TRUE(first->waitForFinished(10000));
    EXPECT_EQ(sockets().size(), 1);
    auto fourth = start({"first.avi"}, dir.path());
    ASSERT_TRUE(waitForProbes(root + "/first.avi", 2));
    auto fifth = start({path("films")}, dir.path());
    ASSERT_TRUE(fifth->waitForFinished(20000));
    EXPECT_EQ(fifth->exitCode(), 0);
    EXPECT_TRUE(waitForProbes(root + "/films/scene.mp4", 2));

    ::kill(static_cast<pid_t>(fourth->processId()), SIGTERM);
    ASSERT_TRUE(fourth->waitForFinished(20000));
    EXPECT_TRUE(sockets().isEmpty());
}

// "Open With" in a file manager offers the program for every extension it takes.
TEST(DesktopEntry, PassesFilesAndDeclaresTheTypeOfEverySupportedExtension) {
    const QString entry =
        QString::fromUtf8(readFile(VC_TEST_SOURCE_DIR "/../packaging/videoconverter.desktop.in"));
    EXPECT_TRUE(
        entry.contains(QRegularExpression("^Exec=.* %F$", QRegularExpression::MultilineOption)));
    const QRegularExpressionMatch declaredLine =
        QRegularExpression("^MimeType=(.*)$", QRegularExpression::MultilineOption).match(entry);
    ASSERT_TRUE(declaredLine.hasMatch());

    const QString globs = QString::fromUtf8(readFile("/usr/share/mime/globs2"));
    if (globs.isEmpty())
        GTEST_SKIP() << "no shared MIME database";
    QHash<QString, QString> canonical;
    for (const QString& line : QString::fromUtf8(readFile("/usr/share/mime/aliases")).split('\n'))
        if (const QStringList pair = line.split(' '); pair.size() == 2)
            canonical.insert(pair[0], pair[1]);
    QSet<QString> declared;
    for (const QString& type : declaredLine.captured(1).split(';', Qt::SkipEmptyParts))
        declared << canonical.value(type, type);

    QSet<QString> extensions;
    for (const QRegularExpressionMatch& m :
         QRegularExpression("\\*\\.(\\w+)").globalMatch(openFileFilter()))
        extensions << m.captured(1).toLower();
    EXPECT_GE(extensions.size(), 20);
    for (const QString& extension : extensions) {
        QSet<QString> types;
        for (const QRegularExpressionMatch& m :
             QRegularExpression("^\\d+:([^:]+):\\*\\." + extension + "(?::|$)",
                                QRegularExpression::MultilineOption |
                                    QRegularExpression::CaseInsensitiveOption)
                 .globalMatch(globs))
            types << canonical.value(m.captured(1), m.captured(1));
        // Some extensions have no type anywhere (".dat", ".yuv"): nothing to declare.
        if (!types.isEmpty()) {
            EXPECT_TRUE(types.intersects(declared)) << extension.toStdString();
        }
    }
}

} // namespace vc
