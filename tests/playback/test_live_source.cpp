// Which names are live sources, and the cameras a machine's video4linux folder lists.
#include "playback/LiveSource.h"
#include "playback/MpvLive.h"
#include <QTemporaryDir>
#include <QTest>

class TestLiveSource : public QObject {
    Q_OBJECT
private slots:
    void names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind"); // 0 none, 1 stream, 2 camera
        QTest::newRow("udp") << "udp://127.0.0.1:1234" << 1;
        QTest::newRow("rtsp with a path") << "rtsp://gym-cam.local/stream1" << 1;
        QTest::newRow("srt, capitals") << "SRT://10.0.0.5:9000" << 1;
        QTest::newRow("https") << "https://example.org/live.m3u8" << 1;
        QTest::newRow("no host") << "udp://:1234" << 0;
        QTest::newRow("a file url") << "file:///tmp/clip.mp4" << 0;
        QTest::newRow("ftp") << "ftp://example.org/clip.mp4" << 0;
        QTest::newRow("a local file named like one") << "udp:clip.mp4" << 0;
        QTest::newRow("camera") << "/dev/video0" << 2;
        QTest::newRow("camera 12") << "/dev/video12" << 2;
        QTest::newRow("no number") << "/dev/video" << 0;
        QTest::newRow("leading zero") << "/dev/video01" << 0;
        QTest::newRow("another device") << "/dev/sda" << 0;
        QTest::newRow("a path after it") << "/dev/video0/../sda" << 0;
    }
    void names()
    {
        QFETCH(QString, name);
        QTEST(LiveSource::isStreamAddress(name) ? 1 : LiveSource::isCameraPath(name) ? 2 : 0, "kind");
    }
    // What the engine is told to open, and the only protocols it may use for it.
    void engineTargets_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<QByteArray>("protocols");
        QTest::newRow("udp") << "udp://127.0.0.1:1234" << QByteArray("udp://127.0.0.1:1234") << QByteArray("udp");
        QTest::newRow("rtp") << "RTP://239.0.0.1:5004" << QByteArray("RTP://239.0.0.1:5004") << QByteArray("rtp,udp");
        QTest::newRow("rtsp") << "rtsp://cam.local/s1" << QByteArray("rtsp://cam.local/s1") << QByteArray("rtsp,rtp,udp,tcp");
        QTest::newRow("srt") << "srt://10.0.0.5:9000" << QByteArray("srt://10.0.0.5:9000") << QByteArray("srt");
        QTest::newRow("http") << "http://cam.local/v.ts" << QByteArray("http://cam.local/v.ts") << QByteArray("http,tcp");
        QTest::newRow("https") << "https://a.example/v.ts" << QByteArray("https://a.example/v.ts") << QByteArray("https,tls,tcp");
        QTest::newRow("camera") << "/dev/video2" << QByteArray("av://v4l2:/dev/video2") << QByteArray("file");
    }
    void engineTargets()
    {
        QFETCH(QString, name);
        QTEST(MpvLive::target(name), "target");
        QTEST(MpvLive::protocols(name), "protocols");
    }
    // Each device's capture node, in number order; its metadata nodes and other entries left out.
    void cameras()
    {
        QTemporaryDir folder;
        const auto node = [&](const char *name, const QByteArray &title, const QByteArray &index) {
            QDir(folder.path()).mkpath(name);
            for (const auto &[file, text] : {std::pair{"name", title}, std::pair{"index", index}})
                if (!text.isNull()) {
                    QFile out(folder.path() + '/' + name + '/' + file);
                    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(text + '\n') > 0);
                }
        };
        node("video10", "USB Camera: USB Camera", "0");
        node("video0", "Integrated Camera: Integrated C", "0");
        node("video1", "Integrated Camera: Integrated C", "1");
        node("video2", QByteArray(), QByteArray());
        node("v4l-subdev0", "sensor", "0");
        QStringList shown;
        for (const LiveSource::Camera &camera : LiveSource::cameras(folder.path()))
            shown << camera.shown();
        QCOMPARE(shown, QStringList({"Integrated Camera: Integrated C (/dev/video0)", "video2 (/dev/video2)",
                                     "USB Camera: USB Camera (/dev/video10)"}));
    }
};

QTEST_GUILESS_MAIN(TestLiveSource)
#include "test_live_source.moc"
