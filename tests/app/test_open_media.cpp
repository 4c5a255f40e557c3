// Opening media in the main window with the real libmpv engine and clips made by ffmpeg.

#include "ModalCloser.h"
#include "TestClips.h"

#include "app/ReplixaApplication.h"
#include "app/frmMain.h"
#include "errors/MessageBox.h"
#include "playback/MpvMediaPlayer.h"
#include "settings/SettingsStore.h"

#include <QFile>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>

class TestOpenMedia : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        mFirst = TestClips::make(QStringLiteral("first clip.mp4"),
                                 {"-f", "lavfi", "-i", "testsrc2=s=160x120:r=25:d=3", "-pix_fmt", "yuv420p"});
        mSecond = TestClips::make(QStringLiteral("second.mkv"),
                                  {"-f", "lavfi", "-i", "testsrc2=s=320x180:r=25:d=6.6", "-pix_fmt", "yuv420p"});
        mShort = TestClips::make(QStringLiteral("short.mp4"),
                                 {"-f", "lavfi", "-i", "color=c=green:s=96x64:r=25:d=0.6", "-pix_fmt", "yuv420p"});
        QVERIFY(!mFirst.isEmpty() && !mSecond.isEmpty() && !mShort.isEmpty());
        mGarbage = TestClips::folder() + QStringLiteral("/garbage.avi");
        QFile garbage(mGarbage);
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(64 * 1024, '\x5a'));
    }

    void init()
    {
        mFolder = std::make_unique<QTemporaryDir>();
        ProgramFolder::setOverride(mFolder->path());
        SetConfigValue(QStringLiteral("StartCount"), QStringLiteral("10"));
        mBoxes.clear();
        MessageBox::setPresenter([this](const QString &, const QString &text, MessageBox::Icon) { mBoxes << text; });
    }

    void cleanup()
    {
        mWindow.reset();
        MessageBox::setPresenter({});
        ProgramFolder::setOverride({});
    }

    void quotedCommandLineOpens()
    {
        start(QLatin1Char('"') + mFirst + QLatin1Char('"'));
        QCOMPARE(mWindow->oMediaPlayer()->PlayState(), int(MediaPlayer::Playing));
        QCOMPARE(mWindow->windowTitle(), QStringLiteral("Orvane Replixa - ") + mFirst);
        QCOMPARE(mWindow->mlVideoWidth, 160);
        QCOMPARE(mWindow->mlVideoHeight, 120);
        QCOMPARE(mWindow->mlDuration, 3);
        QTRY_VERIFY(mWindow->PlayTimer->isEnabled());
        QVERIFY(mWindow->cmdPlay->isEnabled());
        QCOMPARE(mWindow->playPicture(), frmMain::PlayPicture::Pause);
        QCOMPARE(GetConfigValue(QStringLiteral("StartCount")), QStringLiteral("10"));
    }

    void secondFileReplacesTheFirst()
    {
        start(mFirst);
        mWindow->OpenMedia(mSecond);
        QCOMPARE(mWindow->oMediaPlayer()->FileName(), mSecond);
        QCOMPARE(mWindow->windowTitle(), QStringLiteral("Orvane Replixa - ") + mSecond);
        QCOMPARE(mWindow->mlDuration, 7);
        QCOMPARE(mWindow->mlVideoWidth, 320);
        QCOMPARE(mWindow->mlVideoHeight, 180);
        // 100 % zoom ran again: the player has the new natural size.
        QCOMPARE(mWindow->oMediaPlayer()->widget()->size(), QSize(320, 180));
        QTRY_COMPARE(mWindow->oMediaPlayer()->PlayState(), int(MediaPlayer::Playing));
    }

    void droppedFilesOpenTheFirst()
    {
        start(QString());
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(mSecond), QUrl::fromLocalFile(mFirst), QUrl::fromLocalFile(mGarbage)});
        mWindow->Form_OLEDragDrop(&data);
        QCOMPARE(mWindow->oMediaPlayer()->FileName(), mSecond);
        QCOMPARE(mWindow->oMediaPlayer()->PlayState(), int(MediaPlayer::Playing));
        QVERIFY(mBoxes.isEmpty());
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
        mWindow->OpenMedia(name);
        QCOMPARE(mWindow->windowTitle(), QStringLiteral("Orvane Replixa 2.6.0"));
        QCOMPARE(mBoxes.size(), 1);
        const QStringList parts = mBoxes.at(0).split(QStringLiteral("\r\n"));
        QCOMPARE(parts.size(), 2);
        QVERIFY(!parts.at(0).isEmpty());
        QCOMPARE(parts.at(1), name);
        QCOMPARE(mWindow->mlDuration, 3);
        QCOMPARE(mWindow->mlVideoWidth, 160);
        QCOMPARE(mWindow->mlVideoHeight, 120);
        QTRY_COMPARE(mWindow->playPicture(), frmMain::PlayPicture::Play);
        QVERIFY(!mWindow->PlayTimer->isEnabled());
        // The program goes on working: the next file opens.
        mWindow->OpenMedia(mSecond);
        QCOMPARE(mWindow->oMediaPlayer()->PlayState(), int(MediaPlayer::Playing));
    }

    void endOfMediumStopsCapture()
    {
        start(mShort);
        QTRY_VERIFY(mWindow->PlayTimer->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(mWindow->oMediaPlayer()->PlayState() == MediaPlayer::Stopped, 10000);
        QTRY_COMPARE(mWindow->playPicture(), frmMain::PlayPicture::Play);
        QVERIFY(!mWindow->PlayTimer->isEnabled());
        // Play after the end starts again from the beginning.
        mWindow->cmdPlay_Click();
        QCOMPARE(mWindow->oMediaPlayer()->PlayState(), int(MediaPlayer::Playing));
        QTRY_VERIFY(mWindow->oMediaPlayer()->CurrentPosition() < 0.5);
        QTRY_VERIFY(mWindow->PlayTimer->isEnabled());
    }

private:
    void start(const QString &commandLine)
    {
        mWindow = std::make_unique<frmMain>(
            [](QWidget *parent) -> std::unique_ptr<MediaPlayer> { return std::make_unique<MpvMediaPlayer>(parent); },
            commandLine);
        mWindow->Form_Load();
        mWindow->show();
    }

    QString mFirst, mSecond, mShort, mGarbage;
    std::unique_ptr<QTemporaryDir> mFolder;
    std::unique_ptr<frmMain> mWindow;
    QStringList mBoxes;
};

int main(int argc, char **argv)
{
    ReplixaApplication app(argc, argv);
    TestOpenMedia test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_open_media.moc"
