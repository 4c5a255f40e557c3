// Opening media in the main window with the real libmpv engine and clips made by ffmpeg.

#include "TestClips.h"
#include "WindowFixture.h"

#include "app/ReplixaApplication.h"
#include "settings/SettingsStore.h"

#include <QFile>
#include <QMimeData>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <optional>

class TestOpenMedia : public QObject {
    Q_OBJECT

    QString mFirst, mSecond, mShort, mGarbage;
    std::optional<WindowFixture> f;
    frmMain *w = nullptr;

    MediaPlayer *player() const { return w->oMediaPlayer(); }
    void start(const QString &commandLine)
    {
        w = &f->startWithMpv(commandLine);
        w->show();
    }

private slots:
    void initTestCase()
    {
        auto clip = [](const char *name, const char *source) {
            return TestClips::make(QLatin1String(name), {"-f", "lavfi", "-i", source, "-pix_fmt", "yuv420p"});
        };
        mFirst = clip("first clip.mp4", "testsrc2=s=160x120:r=25:d=3");
        mSecond = clip("second.mkv", "testsrc2=s=320x180:r=25:d=6.6");
        mShort = clip("short.mp4", "color=c=green:s=96x64:r=25:d=0.6");
        QVERIFY(!mFirst.isEmpty() && !mSecond.isEmpty() && !mShort.isEmpty());
        mGarbage = TestClips::folder() + QStringLiteral("/garbage.avi");
        QFile garbage(mGarbage);
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(64 * 1024, '\x5a'));
    }

    void init() { f.emplace(); }
    void cleanup() { f.reset(); }

    void quotedCommandLineThenASecondFile()
    {
        start(QLatin1Char('"') + mFirst + QLatin1Char('"'));
        QCOMPARE(player()->PlayState(), int(MediaPlayer::Playing));
        QCOMPARE(w->windowTitle(), QStringLiteral("Orvane Replixa - ") + mFirst);
        QCOMPARE(QSize(w->mlVideoWidth, w->mlVideoHeight), QSize(160, 120));
        QCOMPARE(w->mlDuration, 3);
        QTRY_VERIFY(w->PlayTimer->isEnabled());
        QVERIFY(w->cmdPlay->isEnabled());
        QCOMPARE(w->playPicture(), frmMain::PlayPicture::Pause);
        QCOMPARE(GetConfigValue(QStringLiteral("StartCount")), QStringLiteral("10"));

        w->OpenMedia(mSecond);
        QCOMPARE(player()->FileName(), mSecond);
        QCOMPARE(w->windowTitle(), QStringLiteral("Orvane Replixa - ") + mSecond);
        QCOMPARE(w->mlDuration, 7);
        QCOMPARE(QSize(w->mlVideoWidth, w->mlVideoHeight), QSize(320, 180));
        QCOMPARE(player()->widget()->size(), QSize(320, 180)); // 100 % zoom ran again
        QTRY_COMPARE(player()->PlayState(), int(MediaPlayer::Playing));
    }

    void droppedFilesOpenTheFirst()
    {
        start(QString());
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(mSecond), QUrl::fromLocalFile(mFirst), QUrl::fromLocalFile(mGarbage)});
        w->Form_OLEDragDrop(&data);
        QCOMPARE(player()->FileName(), mSecond);
        QCOMPARE(player()->PlayState(), int(MediaPlayer::Playing));
        QVERIFY(f->boxes.isEmpty());
    }

    void fileThatCannotOpen_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("garbage") << mGarbage;
        QTest::newRow("missing") << TestClips::folder() + QStringLiteral("/no such clip.mp4");
        QTest::newRow("missing, quoted") << QStringLiteral("\"%1/gone.avi\"").arg(TestClips::folder());
    }

    void fileThatCannotOpen()
    {
        QFETCH(QString, name);
        start(mFirst);
        w->OpenMedia(name);
        QCOMPARE(w->windowTitle(), QStringLiteral("Orvane Replixa 2.6.0"));
        QCOMPARE(f->boxes.size(), 1);
        const QStringList parts = f->boxes.at(0).split(QStringLiteral("\r\n")); // reason, name
        QCOMPARE(parts.size(), 2);
        QVERIFY(!parts.at(0).isEmpty());
        QCOMPARE(parts.at(1), name);
        QCOMPARE(w->mlDuration, 3);
        QCOMPARE(QSize(w->mlVideoWidth, w->mlVideoHeight), QSize(160, 120));
        QTRY_COMPARE(w->playPicture(), frmMain::PlayPicture::Play);
        QVERIFY(!w->PlayTimer->isEnabled());
        w->OpenMedia(mSecond); // the program goes on working
        QCOMPARE(player()->PlayState(), int(MediaPlayer::Playing));
    }

    void endOfMediumStopsCapture()
    {
        start(mShort);
        QTRY_VERIFY(w->PlayTimer->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(player()->PlayState() == MediaPlayer::Stopped, 10000);
        QTRY_COMPARE(w->playPicture(), frmMain::PlayPicture::Play);
        QVERIFY(!w->PlayTimer->isEnabled());
        w->cmdPlay_Click(); // play after the end starts again from the beginning
        QCOMPARE(player()->PlayState(), int(MediaPlayer::Playing));
        QTRY_VERIFY(player()->CurrentPosition() < 0.5);
        QTRY_VERIFY(w->PlayTimer->isEnabled());
    }
};

int main(int argc, char **argv)
{
    ReplixaApplication app(argc, argv);
    TestOpenMedia test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_open_media.moc"
