#include "app/SingleInstance.h"
#include "common/FileNames.h"

#include "TestSupport.h"

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

    // Each program name has its own socket, whatever the name holds.
    const QString socket = instanceSocketPath("VideoConverter");
    EXPECT_NE(instanceSocketPath("iPod Converter"), socket);
    const QString odd = instanceSocketPath(nameFromBytes("caf\xe9 " + QByteArray(300, 'x')));
    EXPECT_NE(odd, socket);
    EXPECT_LT(nameBytes(odd).size(), 108); // a socket address's room
}

} // namespace vc
