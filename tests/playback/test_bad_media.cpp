// Hostile and unusual files opened in the main window with the real engine: each plays or says why;
// none crashes, hangs, reaches the network or touches the settings file; a good file opens after.
#include "TestClips.h"
#include "WindowFixture.h"
#include <QTcpServer>
#include <sys/stat.h>

namespace {
using TestClips::h264;
const QStringList yuv444{"-pix_fmt", "yuv444p"};
QByteArray fileBytes(const QString &p) { QFile f(p); return f.open(QFile::ReadOnly) ? f.readAll() : QByteArray(); }
// A Matroska file that says it lasts 5e9 seconds: no 32-bit whole number of seconds holds it.
QString hugeDuration()
{
    QByteArray bytes = fileBytes(h264("long-source.mkv", "testsrc2=s=64x48:r=25:d=1"));
    const qsizetype at = bytes.indexOf(QByteArray::fromHex("448988")); // Duration, 8-byte float
    bytes.replace(at + 3, 8, QByteArray::fromHex("4292309ce5400000"));
    return at < 0 ? QString() : TestClips::write("huge duration.mkv", bytes);
}
} // namespace

class TestBadMedia : public QObject {
    Q_OBJECT
    QString mGood;
    QTcpServer mServer; // a playlist entry points here: nothing may connect
    std::optional<WindowFixture> f;
    frmMain *w = nullptr;
    MediaPlayer *player() const { return w->oMediaPlayer(); }
private slots:
    void initTestCase()
    {
        QVERIFY(mServer.listen(QHostAddress::LocalHost));
        mGood = TestClips::redBlue();
    }
    void init()
    {
        f.emplace();
        SetConfigValue(QStringLiteral("CaptureCount"), QStringLiteral("3"));
        w = &f->startWithMpv();
        w->show();
    }
    void cleanup() { f.reset(); }
    void cleanupTestCase() { QVERIFY(!mServer.hasPendingConnections() && !mServer.waitForNewConnection(0)); }
    void eachPlaysOrSaysWhy_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message"); // empty: it plays at this size; "*": it plays or says why
        QTest::addColumn<QSize>("size");
        const auto add = [](const char *name, const QString &file, const QString &message, QSize size = {}) {
            QTest::newRow(name) << file << message << size;
        };
        const QString dir = TestClips::folder(), unplayable = "The file could not be played: ";
        const QByteArray list = "#EXTM3U\n" + mGood.toUtf8() + "\nhttp://127.0.0.1:"
                                + QByteArray::number(mServer.serverPort()) + "/x.mp4\n";
        QDir(dir).mkpath("a folder.mp4");
        ::mkfifo(QFile::encodeName(dir + "/pipe.mp4").constData(), 0600);
        add("empty", TestClips::write("empty.mp4", {}), unplayable);
        add("truncated", TestClips::write("truncated.mp4", fileBytes(mGood).left(3000)), "*", QSize(160, 120));
        add("playlist", TestClips::write("playlist.mp4", list), unplayable);
        add("audio only", TestClips::make("tone.wav", {"-f", "lavfi", "-i", "sine=frequency=440:duration=1"}),
            "The file has no video stream.");
        add("folder", dir + "/a folder.mp4", "This is a folder, not a video file.");
        add("fifo", dir + "/pipe.mp4", "This is not a regular file, so it is not opened as a video.");
        add("missing", dir + "/gone.mp4", "The file does not exist.");
        add("only quotes", "\"\"", "No file name was given.");
        // The whole box where the name cannot be shown as it is: a NUL, a long name's middle.
        const QString nul = mGood + QChar(0) + ".mp4", part = dir + '/' + QString(256, 'n'), path = QString(4096, '/');
        const QString tooLong = "The name is too long: this system allows 4095 bytes for a path and 255 for each of "
                                "its parts.\r\n";
        add("NUL", nul, "The name holds a NUL character, which no file name can.\r\n" + mGood + "\uFFFD.mp4");
        add("part too long", part, tooLong + part.left(100) + "\u2026" + part.right(100));
        add("path too long", path, tooLong + path.left(100) + "\u2026" + path.right(100));
        add("still image", TestClips::make("still.png", {"-f", "lavfi", "-i", "color=c=red:s=64x48", "-frames:v", "1"}),
            "", QSize(64, 48));
        add("1 x 1", h264("one.mp4", "color=c=red:s=2x2:r=25:d=1,format=yuv444p,scale=1:1", yuv444), "", {1, 1});
        add("321 x 241", h264("odd.mp4", "color=c=red:s=642x482:r=25:d=1,format=yuv444p,scale=321:241", yuv444), "",
            QSize(321, 241));
        add("4000 x 3000", h264("big.mp4", "color=c=red:s=4000x3000:r=5:d=0.4"), "", QSize(4000, 3000));
        add("20 px high", h264("flat.mp4", "color=c=red:s=160x20:r=25:d=1"), "", QSize(160, 20));
        add("huge duration", hugeDuration(), "", QSize(64, 48));
        for (const QString name :
             {"with  blanks.mp4", "say \"cheese\".mp4", "-reverse", "Ünïcødé ß.mp4", "it's.mp4", "deleted.mp4"}) {
            QFile::copy(mGood, dir + '/' + name);
            add(qPrintable(name), dir + '/' + name, "", QSize(160, 120));
        }
        const QString cut = dir + "/cut.mp4"; // 1.3 MB, so that mpv has not read it all by 0.3 s
        QFile::copy(h264("long.mp4", "testsrc2=s=320x240:r=25:d=10", {"-qp", "0"}), cut);
        add("cut while it plays", cut, "The file could not be played: it can no longer be read.");
        for (const QString turn : {"90", "270"}) { // turned landscape frames, as phones tag portrait video
            const QStringList copy{"-i", mGood, "-c", "copy", "-metadata:s:v", "rotate=" + turn};
            add(qPrintable("portrait " + turn), TestClips::make("portrait" + turn + ".mp4", copy), "", QSize(120, 160));
        }
    }
    void eachPlaysOrSaysWhy()
    {
        QFETCH(QString, file);
        QFETCH(QString, message);
        QFETCH(QSize, size);
        QVERIFY(!file.isEmpty());
        const QString tag = QTest::currentDataTag();
        const QByteArray settings = fileBytes(settingsFilePath());
        w->OpenMedia(file);
        if (tag == "deleted.mp4") { // deleted while it plays
            QVERIFY(QFile::remove(file));
            QTRY_VERIFY(player()->CurrentPosition() > 0.3);
        }
        if (tag == "cut while it plays") { // as when its disk or share goes away
            QTRY_VERIFY(player()->CurrentPosition() > 0.3);
            QVERIFY(QFile::resize(file, 300000));
            QTRY_VERIFY_WITH_TIMEOUT(!f->boxes.isEmpty(), 10000);
        }
        if (message == "*")
            message = player()->PlayState() == MediaPlayer::Closed ? "The file could not be played: " : "";
        if (message.isEmpty()) {
            QCOMPARE(f->boxes.join('|') + w->msErrorMessages(), QString()); // no message, no report
            QCOMPARE(player()->PlayState(), int(MediaPlayer::Playing));
            QCOMPARE(QSize(w->mlVideoWidth(), w->mlVideoHeight()), size);
            QVERIFY(w->mlDuration() >= 0 && w->mlDuration() < 10);
            QTRY_VERIFY(child(w, "PlayTimer")->isEnabled());
        } else {
            QCOMPARE(player()->PlayState(), int(MediaPlayer::Closed));
            const QString box = f->boxes.join('|'); // one, ending in the file's name
            const bool whole = message.contains('\n');
            QVERIFY2(f->boxes.size() == 1
                         && (whole ? box == message : box.startsWith(message) && box.endsWith("\r\n" + file)),
                     qPrintable(box));
        }
        if (tag.startsWith("portrait")) { // upright at every zoom, turned as ffmpeg's own player turns it
            const int redOnTop = tag.endsWith("270") ? 1 : -1; // -1: blue on top
            const auto redness = [](QRgb p) { return qRed(p) - qBlue(p); };
            for (const char *zoom : {"mnuZoom200", "mnuZoomFit", "mnuZoom100"}) {
                trigger(w, zoom);
                const QSize at = player()->widget()->size();
                const QImage &frame = player()->frame();
                QTRY_VERIFY(frame.size() == at && redOnTop * redness(frame.pixel(at.width() / 2, 4)) > 100
                            && redOnTop * redness(frame.pixel(at.width() / 2, at.height() - 4)) < -100);
            }
            QCOMPARE(player()->widget()->size(), size);
        }
        w->OpenMedia(mGood);
        QCOMPARE(player()->PlayState(), int(MediaPlayer::Playing));
        QCOMPARE(fileBytes(settingsFilePath()), settings);
    }
};

QTEST_MAIN(TestBadMedia)
#include "test_bad_media.moc"
