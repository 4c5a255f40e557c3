// Hostile and unusual files opened in the main window with the real engine: each plays
// or gives a clear message; none crashes, hangs, reaches the network or touches the
// settings file, and a good file opens afterwards.
#include "TestClips.h"
#include "ModalCloser.h"
#include "WindowFixture.h"

#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QtTest>

#include <sys/stat.h>

namespace {

QString h264(const QString &name, const QString &source, const QStringList &more = {})
{
    return TestClips::make(name, QStringList{"-f", "lavfi", "-i", source, "-c:v", "libx264"} + more);
}

QString writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = TestClips::folder() + QLatin1Char('/') + name;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? path : QString();
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A Matroska file that says it lasts 5e9 seconds: no 32-bit whole number of seconds holds it.
QString hugeDuration()
{
    QByteArray bytes = fileBytes(h264("long-source.mkv", "testsrc2=s=64x48:r=25:d=1"));
    const qsizetype at = bytes.indexOf(QByteArray::fromHex("448988")); // Duration, 8-byte float
    if (at < 0)
        return {};
    bytes.replace(at + 3, 8, QByteArray::fromHex("4292309ce5400000"));
    return writeFile(QStringLiteral("huge duration.mkv"), bytes);
}

bool near(QRgb pixel, QColor want)
{
    return std::abs(qRed(pixel) - want.red()) < 60 && std::abs(qGreen(pixel) - want.green()) < 60
        && std::abs(qBlue(pixel) - want.blue()) < 60;
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
        mGood = h264("good.mp4", "color=c=red:s=160x120:r=25:d=2,drawbox=x=80:y=0:w=80:h=120:color=blue:t=fill",
                     {"-pix_fmt", "yuv420p"});
        QVERIFY(!mGood.isEmpty());
    }
    void init()
    {
        f.emplace();
        SetConfigValue(QStringLiteral("CaptureCount"), QStringLiteral("3"));
        w = &f->startWithMpv();
        w->show();
    }
    void cleanup() { f.reset(); }
    void cleanupTestCase() { QVERIFY(!mServer.waitForNewConnection(200)); }

    void eachPlaysOrSaysWhy_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message"); // empty: it plays; "*": it plays or says why
        QTest::addColumn<QSize>("size");
        const QString dir = TestClips::folder();
        const QStringList yuv444{"-pix_fmt", "yuv444p"};
        QByteArray noise(64 * 1024, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
        QDir(dir).mkpath("a folder.mp4");
        const QString fifo = dir + "/pipe.mp4";
        ::mkfifo(QFile::encodeName(fifo).constData(), 0600);
        const QString playlist = writeFile("playlist.mp4", "#EXTM3U\n" + mGood.toUtf8() + "\nhttp://127.0.0.1:"
                                                               + QByteArray::number(mServer.serverPort()) + "/x.mp4\n");
        const QString unplayable = "The file could not be played: ";
        QTest::newRow("empty") << writeFile("empty.mp4", {}) << unplayable << QSize();
        QTest::newRow("truncated") << writeFile("truncated.mp4", fileBytes(mGood).left(3000)) << "*" << QSize(160, 120);
        QTest::newRow("random bytes") << writeFile("noise.mkv", noise) << unplayable << QSize();
        QTest::newRow("text") << writeFile("notes.avi", "Just some words, not a video.\n") << unplayable << QSize();
        QTest::newRow("playlist") << playlist << unplayable << QSize();
        QTest::newRow("audio only")
            << TestClips::make("tone.wav", {"-f", "lavfi", "-i", "sine=frequency=440:duration=1"})
            << "The file has no video stream." << QSize();
        QTest::newRow("folder") << dir + "/a folder.mp4" << "This is a folder, not a video file." << QSize();
        QTest::newRow("fifo") << fifo << "This is not a regular file, so it is not opened as a video." << QSize();
        QTest::newRow("missing") << dir + "/gone.mp4" << "The file does not exist." << QSize();
        QTest::newRow("only quotes") << "\"\"" << "No file name was given." << QSize();
        QTest::newRow("still image")
            << TestClips::make("still.png", {"-f", "lavfi", "-i", "color=c=red:s=64x48", "-frames:v", "1"}) << ""
            << QSize(64, 48);
        QTest::newRow("1 x 1") << h264("one.mp4", "color=c=red:s=2x2:r=25:d=1,format=yuv444p,scale=1:1", yuv444)
                               << "" << QSize(1, 1);
        QTest::newRow("321 x 241") << h264("odd.mp4", "color=c=red:s=642x482:r=25:d=1,format=yuv444p,scale=321:241",
                                           yuv444) << "" << QSize(321, 241);
        QTest::newRow("4000 x 3000") << h264("big.mp4", "color=c=red:s=4000x3000:r=5:d=0.4", {"-pix_fmt", "yuv420p"})
                                     << "" << QSize(4000, 3000);
        QTest::newRow("20 px high") << h264("flat.mp4", "color=c=red:s=160x20:r=25:d=1", {"-pix_fmt", "yuv420p"})
                                    << "" << QSize(160, 20);
        QTest::newRow("huge duration") << hugeDuration() << "" << QSize(64, 48);
        for (const QString name : {"with  blanks.mp4", "-reverse", "Ünïcødé ß.mp4", "it's.mp4"}) {
            QFile::copy(mGood, dir + '/' + name);
            QTest::newRow(qPrintable(name)) << dir + '/' + name << "" << QSize(160, 120);
        }
    }
    void eachPlaysOrSaysWhy()
    {
        QFETCH(QString, file);
        QFETCH(QString, message);
        QFETCH(QSize, size);
        QVERIFY(!file.isEmpty());
        const QByteArray settings = fileBytes(settingsFilePath());
        ModalCloser closer; // an error dialog would fail the test, not hang it
        w->OpenMedia(file);
        if (message == "*" && player()->PlayState() == MediaPlayer::Closed)
            message = "The file could not be played: ";
        if (message.isEmpty() || message == "*") {
            QCOMPARE(f->boxes, QStringList());
            QCOMPARE(w->msErrorMessages(), QString());
            QCOMPARE(player()->PlayState(), int(MediaPlayer::Playing));
            QCOMPARE(QSize(w->mlVideoWidth, w->mlVideoHeight), size);
            QVERIFY(w->mlDuration >= 0 && w->mlDuration < 10);
            QTRY_VERIFY(w->PlayTimer->isEnabled());
        } else {
            QCOMPARE(player()->PlayState(), int(MediaPlayer::Closed));
            QCOMPARE(f->boxes.size(), 1);
            QVERIFY2(f->boxes.first().startsWith(message), qPrintable(f->boxes.first()));
            QVERIFY(f->boxes.first().endsWith("\r\n" + file));
        }
        w->OpenMedia(mGood);
        QCOMPARE(player()->PlayState(), int(MediaPlayer::Playing));
        QCOMPARE(w->windowTitle(), "Orvane Replixa - " + mGood);
        QCOMPARE(fileBytes(settingsFilePath()), settings);
    }
    void aFileDeletedWhilePlaying()
    {
        const QString copy = TestClips::folder() + "/deleted.mp4";
        QVERIFY(QFile::copy(mGood, copy));
        w->OpenMedia(copy);
        QVERIFY(QFile::remove(copy));
        QTRY_VERIFY(player()->CurrentPosition() > 0.3);
        w->OpenMedia(mGood);
        QCOMPARE(player()->PlayState(), int(MediaPlayer::Playing));
    }
    // Phones tag portrait video as turned landscape frames; it plays upright at every zoom.
    void portraitVideoPlaysUpright_data()
    {
        QTest::addColumn<int>("rotation");
        QTest::addColumn<QColor>("top");
        // The side that ffmpeg's own player turns to the top.
        QTest::newRow("90") << 90 << QColor(Qt::blue);
        QTest::newRow("270") << 270 << QColor(Qt::red);
    }
    void portraitVideoPlaysUpright()
    {
        QFETCH(int, rotation);
        QFETCH(QColor, top);
        const QColor bottom = top == Qt::red ? Qt::blue : Qt::red;
        const QString file = TestClips::make(QStringLiteral("portrait%1.mp4").arg(rotation),
                                             {"-i", mGood, "-c", "copy", "-metadata:s:v", QStringLiteral("rotate=%1").arg(rotation)});
        w->OpenMedia(file);
        QCOMPARE(QSize(w->mlVideoWidth, w->mlVideoHeight), QSize(120, 160));
        QCOMPARE(player()->widget()->size(), QSize(120, 160));
        for (auto zoom : {&frmMain::mnuZoom200_Click, &frmMain::mnuZoomFit_Click, &frmMain::mnuZoom100_Click}) {
            (w->*zoom)();
            const QSize at = player()->widget()->size();
            QTRY_VERIFY(player()->frame().size() == at && near(player()->frame().pixel(at.width() / 2, 4), top)
                        && near(player()->frame().pixel(at.width() / 2, at.height() - 4), bottom));
        }
        QCOMPARE(player()->widget()->size(), QSize(120, 160));
        QCOMPARE(f->boxes, QStringList());
    }
};

QTEST_MAIN(TestBadMedia)
#include "test_bad_media.moc"
