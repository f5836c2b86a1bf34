#include "app/SingleInstance.h"
#include "common/FileNames.h"

#include "TestSupport.h"

#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vc {

TEST(SingleInstance, AHandOffKeepsEveryByteWhateverPiecesItArrivesIn) {
    const QStringList paths{nameFromBytes("/films/caf\xe9.avi"), "/films/two\nlines.mp4",
                            QStringLiteral("/films/\u00fc x.mkv")};
    const QByteArray message = handOffMessage(paths);
    EXPECT_TRUE(message.contains("/films/caf\xe9.avi"));
    HandOffReader reader;
    for (const char byte : message) {
        EXPECT_FALSE(reader.complete());
        ASSERT_TRUE(reader.feed(QByteArrayView(&byte, 1)));
    }
    ASSERT_TRUE(reader.complete());
    EXPECT_EQ(reader.paths(), paths);

    // No files only asks for the window.
    HandOffReader none;
    ASSERT_TRUE(none.feed(handOffMessage({})));
    EXPECT_TRUE(none.complete());
    EXPECT_TRUE(none.paths().isEmpty());

    HandOffReader flood;
    EXPECT_FALSE(flood.feed(QByteArray(17 * 1024 * 1024, 'x')));
    EXPECT_FALSE(flood.feed(QByteArray(1, '\0')));
    EXPECT_FALSE(flood.complete());
}

TEST(SingleInstance, EachProgramNameHasASocketOfItsOwnInTheRuntimeFolder) {
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    const bool wasSet = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    const QByteArray before = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const auto restore = qScopeGuard([&] {
        if (wasSet)
            qputenv("XDG_RUNTIME_DIR", before);
        else
            qunsetenv("XDG_RUNTIME_DIR");
    });

    const QString socket = instanceSocketPath("VideoConverter");
    EXPECT_TRUE(socket.startsWith(runtime.path() + '/')) << socket.toStdString();
    EXPECT_EQ(instanceSocketPath("VideoConverter"), socket);
    EXPECT_NE(instanceSocketPath("iPod Converter"), socket);
    // Any name fits a socket address.
    const QString odd = instanceSocketPath(nameFromBytes("caf\xe9 " + QByteArray(300, 'x')));
    EXPECT_NE(odd, socket);
    EXPECT_LT(nameBytes(odd).size(), 108);
}

} // namespace vc
