// The window-service link over a real local socket: only its user can open it, a second service
// finds the first, a stale socket is replaced, and a peer of another version, an oversize frame
// or a frame that is no message is closed, while the history messages come through whole.
#include "locallink/LocalLink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QtEndian>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

bool Until(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// A raw peer: writes `bytes` after the server's hello and says whether the server hung up.
bool ClosedAfter(const QString& path, const QByteArray& bytes) {
    QLocalSocket raw;
    raw.connectToServer(path);
    if (!raw.waitForConnected(2000)) return false;
    raw.write(bytes);
    raw.flush();
    return Until([&] { return raw.state() == QLocalSocket::UnconnectedState; });
}

TEST(LinkTest, UserOnlyOneServiceVersionedAndBounded) {
    QTemporaryDir dir;
    const QString path = dir.filePath("link.socket");
    auto server = std::make_unique<locallink::LinkServer>(path);
    server->SetHello({{"syslogActive", true}});
    QString error;
    ASSERT_TRUE(server->Listen(error)) << error.toStdString();
    EXPECT_EQ(QFileInfo(path).permissions() & 0x0077, 0) << "others may open the socket";

    locallink::LinkServer second(path);
    EXPECT_FALSE(second.Listen(error));
    EXPECT_TRUE(error.contains("another LineScope service")) << error.toStdString();

    locallink::LinkClient window(path);
    QJsonObject hello;
    QObject::connect(&window, &locallink::LinkClient::Connected,
                     [&](const QJsonObject& h) { hello = h; });
    window.Keep(); // the service is in this thread: no blocking wait for its hello
    ASSERT_TRUE(Until([&] { return window.Up() && server->Windows() == 1; }));
    EXPECT_TRUE(hello.value("syslogActive").toBool());
    std::vector<core::history::Event> got;
    QObject::connect(&window, &locallink::LinkClient::Received,
                     [&](const QJsonObject& m) { got = locallink::EventsOf(m); });
    const core::history::Event resync{1796647623, core::history::EventKind::Resync,
                                      QStringLiteral("ATU-C rate 8128 -> 6144 kbit/s")};
    server->Broadcast(locallink::EventsMessage({resync}));
    ASSERT_TRUE(Until([&] { return !got.empty(); }));
    EXPECT_EQ(got[0].time, resync.time);
    EXPECT_EQ(got[0].detail, resync.detail);

    QByteArray oversize(4, '\0');
    qToBigEndian<quint32>(quint32(locallink::MaxFrameBytes + 1), oversize.data());
    EXPECT_TRUE(ClosedAfter(path, oversize));
    EXPECT_TRUE(ClosedAfter(path, locallink::Frame({{"type", "hello"}, {"version", 2}})));
    QByteArray array = "[1,2]";
    QByteArray framed(4, '\0');
    qToBigEndian<quint32>(quint32(array.size()), framed.data());
    EXPECT_TRUE(ClosedAfter(path, framed + array));
    EXPECT_EQ(server->Windows(), 1); // the window stays

    // A service that died leaves its socket file: the next one takes the place.
    bool down = false;
    QObject::connect(&window, &locallink::LinkClient::Disconnected, [&] { down = true; });
    server.reset();
    EXPECT_TRUE(Until([&] { return down; }));
    QFile(path).open(QIODevice::WriteOnly); // a stale file where the socket was
    server = std::make_unique<locallink::LinkServer>(path);
    EXPECT_TRUE(server->Listen(error)) << error.toStdString();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
