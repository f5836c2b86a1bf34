#pragma once

#include "../app/MainWindowFixture.h"

#include "FakePreviewLibrary.h"
#include "convert/ConversionQueue.h"
#include "convert/ConvertRunner.h"
#include "media/MediaProbe.h"
#include "media/SourceList.h"
#include "shell/ImageButton.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QTest>
#include <QTreeWidget>
#include <functional>
#include <unistd.h>

namespace vc::test {

// Every file under a folder, by relative path, with a digest of its bytes.
inline QMap<QString, QByteArray> digests(const QString& folder) {
    QMap<QString, QByteArray> out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        if (f.open(QIODevice::ReadOnly))
            hash.addData(&f);
        out.insert(QDir(folder).relativeFilePath(path), hash.result());
    }
    return out;
}

inline QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Processes of a group that have not ended; zombies waiting to be reaped count as ended.
inline QList<pid_t> liveMembers(pid_t group) {
    QList<pid_t> members;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const pid_t pid = entry.toInt(&number);
        if (!number)
            continue;
        const QByteArray stat = readBytes(QStringLiteral("/proc/%1/stat").arg(pid));
        const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields[2].toInt() == group && fields[0] != "Z" && fields[0] != "X")
            members << pid;
    }
    return members;
}

inline bool alive(pid_t pid) {
    const QByteArray stat = readBytes(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype close = stat.lastIndexOf(')');
    return close >= 0 && close + 2 < stat.size() && stat[close + 2] != 'Z' &&
           stat[close + 2] != 'X';
}

inline bool runningAsRoot() {
    return ::geteuid() == 0;
}

inline void unlockFolder(const QString& dir) {
    if (runningAsRoot())
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), dir});
    QFile::setPermissions(dir,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// Makes a folder refuse new entries whoever runs the test: root ignores the permission bits but
// not the immutable attribute. False where neither takes effect.
inline bool lockFolder(const QString& dir) {
    QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (runningAsRoot() &&
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), dir}) != 0) {
        unlockFolder(dir);
        return false;
    }
    QFile probe(QDir(dir).filePath(QStringLiteral(".probe")));
    if (probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        unlockFolder(dir);
        return false;
    }
    return true;
}

} // namespace vc::test

namespace vc {

// The real window on a copy of the program folder, the preview scripted, the user's settings
// stored beforehand so that a test can prove they survive, and folders for media and output.
class FaultTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        // A default output folder lies in the home folder; keep it in the test's own.
        home = qgetenv("HOME");
        qputenv("HOME", QDir(config.path()).filePath("home").toLocal8Bit());
        library = &preview;
        media = QDir(config.path()).filePath("media");
        out = QDir(config.path()).filePath("out");
        QDir().mkpath(media);
        QDir().mkpath(out);
        storeSettings(out);
    }

    // Settings in the form the program writes them, so that a close that changes nothing
    // leaves the bytes alone; the parameter store holds a choice that is not the default.
    void storeSettings(const QString& outputFolder) {
        settingsBytes = "[output]\npath=" + outputFolder.toUtf8() +
                        "\n[profiles]\nselcetsubindex=1\nselcetindex=1\nFinishSelcet=0\n"
                        "[plane]\nvideo=1\naudio=1\n";
        parameterBytes = "[1]\nsize=1\nvideo bitrate=3\naudio bitrate=3\nChannel=0\n";
        ASSERT_TRUE(test::writeBytes(settingsPath(), settingsBytes));
        ASSERT_TRUE(test::writeBytes(parameterPath(), parameterBytes));
    }
    QString parameterPath() const { return QDir(config.path()).filePath("pro VideoConverter.ini"); }
    // The stored choices are still byte for byte what the user had.
    void expectSettingsKept() {
        EXPECT_EQ(test::readBytes(settingsPath()).toStdString(), settingsBytes.toStdString());
        EXPECT_EQ(test::readBytes(parameterPath()).toStdString(), parameterBytes.toStdString());
    }

    void TearDown() override {
        MainWindowTest::TearDown();
        qputenv("HOME", home);
    }

    Tfm_main& open() {
        Tfm_main& main = start();
        // Tests wait for every run; at idle priority a busy machine would starve them.
        main.queue()->setPriority(ConversionQueue::Priority::Normal);
        return main;
    }
    // Adds files through the open-file dialog, as a user does.
    void add(Tfm_main& main, const QStringList& files) {
        dialogs.files = {files};
        main.button("bt_dvdopen")->click();
    }
    // Converts the ticked rows and waits for the batch to end.
    bool convert(Tfm_main& main, int ms = 120000) {
        main.button("bt_start")->click();
        return test::waitUntil([&] { return !main.converting(); }, ms);
    }
    // The boxes shown, choosers left out.
    QStringList messages() const {
        QStringList texts;
        for (const test::FakeDialogs::Shown& s : dialogs.shown)
            if (s.kind == "information" || s.kind == "warning" || s.kind == "question")
                texts << s.text;
        return texts;
    }
    static QString status(Tfm_main& main, int row) {
        return main.lv()->topLevelItem(row)->text(SourceList::StatusColumn);
    }
    static QStringList statuses(Tfm_main& main) {
        QStringList out;
        for (int row = 0; row < main.lv()->topLevelItemCount(); ++row)
            out << status(main, row);
        return out;
    }
    QString toolFile() const { return QDir(folder.path()).filePath("register.dat"); }
    // Puts a shell script in the converter tool's place.
    void replaceTool(const QByteArray& script) {
        QFile::remove(toolFile());
        ASSERT_TRUE(test::writeBytes(toolFile(), "#!/bin/sh\n" + script));
        QFile(toolFile())
            .setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                            QFileDevice::ExeOwner);
    }
    QString clip(const QString& name, double seconds = 1.0) {
        return test::makeClip(media, name, {}, seconds);
    }
    // A file the user already has in the output folder, which no run may touch.
    void keepInOutput(const QString& name) {
        ASSERT_TRUE(test::writeBytes(QDir(out).filePath(name), "the user's own file\n"));
    }

    test::FakePreviewLibrary preview;
    QString media;
    QString out;
    QByteArray settingsBytes;
    QByteArray parameterBytes;
    QByteArray home;
};

} // namespace vc
