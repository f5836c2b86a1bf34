#include "shell/Dialogs.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace vc;

// The desktop's opener starts and then finds nothing to open with: the user must hear of it.
TEST(ShellActions, AMissingBrowserOrFileManagerIsToldNotSwallowed) {
    QTemporaryDir bin;
    const QByteArray path = qgetenv("PATH");
    const auto restore = qScopeGuard([&] { qputenv("PATH", path); });
    qputenv("PATH", QFile::encodeName(bin.path()));
    const auto opener = [&](int status) {
        QFile f(QDir(bin.path()).filePath("xdg-open"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray("#!/bin/sh\nexit ") + QByteArray::number(status) + "\n");
        f.close();
        f.setPermissions(f.permissions() | QFile::ExeOwner);
    };
    QtShellActions shell;
    QStringList told;
    shell.unopened = [&](const QString& message) {
        told << message;
    };

    EXPECT_FALSE(shell.openUrl("https://example.org/help"));
    EXPECT_EQ(told, QStringList{"No web browser was found to open https://example.org/help."});

    opener(3); // xdg-open: no program found for it
    EXPECT_TRUE(shell.openFolder("/tmp/Converted videos"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return told.size() == 2; }, 5000));
    EXPECT_EQ(told.value(1), "No file manager was found to show /tmp/Converted videos.");

    opener(0);
    EXPECT_TRUE(shell.openUrl("https://example.org/help"));
    QTest::qWait(300); // nothing is awaited: an opener that worked must tell nothing meanwhile
    EXPECT_EQ(told.size(), 2);
}
