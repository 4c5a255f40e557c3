// The ring's memory is handed only to a local X server: an Xvfb listening on TCP too, reached
// across the network as localhost:N, is refused (e2e network_display: the review is painted).
#include "review/SharedImageBlock.h"
#include <QProcess>
#include <QtTest>
#include <xcb/xcb.h>

class TestSharedMemoryDisplay : public QObject {
    Q_OBJECT
    QProcess mServer;
    QByteArray mNumber; // the display's, as the server writes it
private slots:
    void initTestCase()
    {
        mServer.start("Xvfb", {"-displayfd", "1", "-listen", "tcp", "-screen", "0", "64x64x24"});
        if (!mServer.waitForStarted())
            QSKIP("Xvfb is missing");
        QTRY_VERIFY_WITH_TIMEOUT((mNumber += mServer.readAllStandardOutput()).endsWith('\n'), 10000);
    }
    void cleanupTestCase() { mServer.kill(), mServer.waitForFinished(); }
    void onlyLocal_data()
    {
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<bool>("reads");
        QTest::newRow("local socket") << ":" + mNumber.trimmed() << true;
        QTest::newRow("across the network") << "localhost:" + mNumber.trimmed() << false;
    }
    void onlyLocal()
    {
        QFETCH(QByteArray, display);
        QFETCH(bool, reads);
        // Tried again while other servers start beside this one on a busy machine.
        xcb_connection_t *c = nullptr;
        const auto connected = [&] {
            if (c && !xcb_connection_has_error(c))
                return true;
            if (c)
                xcb_disconnect(c);
            c = xcb_connect(display.constData(), nullptr);
            return !xcb_connection_has_error(c);
        };
        QTRY_VERIFY_WITH_TIMEOUT(connected(), 5000);
        QCOMPARE(SharedImageBlock::readsOurMemory(c), reads);
        xcb_disconnect(c);
    }
};

QTEST_GUILESS_MAIN(TestSharedMemoryDisplay)
#include "test_shared_memory_display.moc"
