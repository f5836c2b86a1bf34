#pragma once

#include "app/MainWindow.h"
#include "app/Program.h"

#include "FakeShell.h"
#include "TestSupport.h"

#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vc {

// A copy of the built program folder that a test may damage, and a private settings folder.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid() && config.isValid());
        QDirIterator it(test::programDir(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString from = it.next();
            const QString to = folder.filePath(QDir(test::programDir()).relativeFilePath(from));
            QDir().mkpath(QFileInfo(to).path());
            ASSERT_TRUE(QFile::copy(from, to)) << to.toStdString();
        }
        qputenv("VIDEOCONVERTER_CONFIG_DIR", config.path().toLocal8Bit());
    }
    void TearDown() override {
        program.reset();
        qunsetenv("VIDEOCONVERTER_CONFIG_DIR");
    }
    Tfm_main& start(const QString& fileName = "VideoConverter") {
        ProgramInfo info = ProgramInfo::fromArgv0(fileName, folder.path());
        program = std::make_unique<Program>(info, dialogs, shell, library);
        program->main().show();
        QApplication::processEvents();
        return program->main();
    }
    void write(const QString& relative, const QByteArray& bytes) {
        QFile f(QDir(folder.path()).filePath(relative));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QString settingsPath(const QString& name = "VideoConverter") const {
        return QDir(config.path()).filePath(name + ".ini");
    }
    QByteArray settingsText(const QString& name = "VideoConverter") const {
        QFile f(settingsPath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString textLine(int id) const {
        QFile f(QDir(folder.path()).filePath("language.info"));
        f.open(QIODevice::ReadOnly);
        return QString::fromUtf8(f.readAll()).split("\r\n").value(id - 1);
    }

    QTemporaryDir folder;
    QTemporaryDir config;
    test::FakeDialogs dialogs;
    test::FakeShellActions shell;
    // The preview library the window plays through; libmpv when null.
    PreviewLibrary* library = nullptr;
    std::unique_ptr<Program> program;
};

} // namespace vc
