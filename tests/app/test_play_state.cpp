// The play button, its pictures and tips, the play-state and open-state notifications,
// the open dialog and dropped files, with the scripted media player.

#include "FakeMediaPlayer.h"
#include "ModalCloser.h"

#include "app/ReplixaApplication.h"
#include "app/frmMain.h"
#include "errors/MessageBox.h"
#include "playback/OpenDialog.h"
#include "settings/SettingsStore.h"

#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>

using Picture = PictureStore::Picture;
using PlayPicture = frmMain::PlayPicture;

namespace {
const QString kClip = QStringLiteral("/clips/serve.avi");
const QString kSecond = QStringLiteral("/clips/jump.avi");
const QString kTips = QStringLiteral("Play - Pause (Space)");
} // namespace

class TestPlayState : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        mFolder = std::make_unique<QTemporaryDir>();
        ProgramFolder::setOverride(mFolder->path());
        SetConfigValue(QStringLiteral("StartCount"), QStringLiteral("10"));
        mBoxes.clear();
        MessageBox::setPresenter([this](const QString &, const QString &text, MessageBox::Icon) { mBoxes << text; });
        mWindow = std::make_unique<frmMain>(
            [this](QWidget *parent) -> std::unique_ptr<MediaPlayer> {
                auto player = std::make_unique<FakeMediaPlayer>(parent);
                player->addMedium(kClip, QSize(160, 120), 12.0);
                player->addMedium(kSecond, QSize(320, 180), 30.6);
                mFake = player.get();
                return player;
            },
            QString());
        mWindow->Form_Load();
    }

    void cleanup()
    {
        mWindow.reset();
        MessageBox::setPresenter({});
        OpenDialog::setChooser({});
        ProgramFolder::setOverride({});
    }

    void playStateTable_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("capturing");
        QTest::addColumn<PlayPicture>("picture");
        QTest::newRow("playing") << 2 << true << PlayPicture::Pause;
        QTest::newRow("paused keeps the picture") << 1 << false << PlayPicture::Pause;
        QTest::newRow("stopped at the end") << 0 << false << PlayPicture::Play;
        QTest::newRow("closed") << 6 << false << PlayPicture::Play;
    }

    void playStateTable()
    {
        QFETCH(int, state);
        QFETCH(bool, capturing);
        QFETCH(PlayPicture, picture);
        QSignalSpy notified(mFake, &MediaPlayer::PlayStateChange);
        mWindow->OpenMedia(kClip);
        QTRY_VERIFY(mWindow->PlayTimer->isEnabled());
        QCOMPARE(mWindow->playPicture(), PlayPicture::Pause);
        if (state == MediaPlayer::Playing) {
            mFake->setPlayState(MediaPlayer::Paused);
            QTRY_VERIFY(!mWindow->PlayTimer->isEnabled());
        }
        mWindow->ReviewTimer->start();
        notified.clear();
        mFake->setPlayState(state);
        QVERIFY(notified.wait());
        QCOMPARE(mWindow->PlayTimer->isEnabled(), capturing);
        QCOMPARE(mWindow->playPicture(), picture);
        QCOMPARE(mWindow->ReviewTimer->isEnabled(), state != MediaPlayer::Playing);
        if (state == MediaPlayer::Playing) {
            QCOMPARE(mWindow->leftPicture(), Picture::Normal);
            QCOMPARE(mWindow->rightPicture(), Picture::Disabled);
        }
    }

    void firstPlayPauseWithoutMediumTakesThePausePath()
    {
        QCOMPARE(mWindow->playPicture(), PlayPicture::StartupDisabled);
        QVERIFY(!mWindow->cmdPlay->isEnabled());
        QCOMPARE(mWindow->cmdPlay->toolTip(), kTips);
        mWindow->mnuViewPlay->trigger();
        QCOMPARE(mWindow->playPicture(), PlayPicture::Play);
        QCOMPARE(mWindow->cmdPlay->toolTip(), kTips);
        // The next command takes the play path: nothing to play, the tips go.
        mWindow->mnuViewPlay->trigger();
        QCOMPARE(mWindow->playPicture(), PlayPicture::Play);
        QCOMPARE(mWindow->cmdPlay->toolTip(), QString());
        QCOMPARE(mFake->playCalls, 0);
    }

    void playPauseCancelsAPendingSlowMotionResume()
    {
        mWindow->OpenMedia(kClip);
        QTRY_VERIFY(mWindow->PlayTimer->isEnabled());
        // A slow-motion pause: the video is paused and the pause timer will resume it.
        mWindow->PauseTimer->setInterval(500);
        mWindow->PauseTimer->start();
        mWindow->PauseMedia();
        QCOMPARE(mWindow->playPicture(), PlayPicture::Pause);
        mWindow->cmdPlay_Click();
        QVERIFY(!mWindow->PauseTimer->isEnabled());
        QCOMPARE(mWindow->playPicture(), PlayPicture::Play);
        QCOMPARE(mFake->PlayState(), int(MediaPlayer::Paused));
    }

    void tipsFollowTheUsersPlayAndPauseOnly()
    {
        mWindow->OpenMedia(kClip);
        QTRY_VERIFY(mWindow->cmdPlay->isEnabled());
        QCOMPARE(mWindow->cmdPlay->toolTip(), kTips);
        mWindow->cmdPlay->click(); // pause
        QCOMPARE(mWindow->cmdPlay->toolTip(), kTips);
        QCOMPARE(mWindow->cmdLeft->toolTip(), QStringLiteral("Previous Frame <-"));
        mWindow->cmdPlay->click(); // play
        QCOMPARE(mFake->PlayState(), int(MediaPlayer::Playing));
        QCOMPARE(mWindow->cmdPlay->toolTip(), QString());
        QCOMPARE(mWindow->cmdRight->toolTip(), QString());
        // A pause that is not the user's leaves them as they are.
        OpenDialog::setChooser([](const QString &, const QStringList &) { return QString(); });
        mWindow->mnuFileOpen->trigger();
        QCOMPARE(mFake->PlayState(), int(MediaPlayer::Paused));
        QCOMPARE(mWindow->cmdPlay->toolTip(), QString());
    }

    void openDialogOffersEveryVideoAndCancelOpensNothing()
    {
        mWindow->OpenMedia(kClip);
        mFake->SetCurrentPosition(4.5);
        QString title;
        QStringList filters;
        OpenDialog::setChooser([&](const QString &t, const QStringList &f) {
            title = t;
            filters = f;
            return QString();
        });
        mWindow->mnuFileOpen->trigger();
        QCOMPARE(title, QStringLiteral("Open Video File"));
        QCOMPARE(filters.size(), 2);
        for (const char *pattern : {"*.avi", "*.wmv", "*.mpg", "*.rm", "*.mp4", "*.mov", "*.mkv", "*.webm", "*.m2ts", "*.3gp"})
            QVERIFY2(filters.at(0).contains(QLatin1String(pattern)), pattern);
        QVERIFY(filters.at(0).startsWith(QStringLiteral("Video Files ")));
        QCOMPARE(filters.at(1), QStringLiteral("AllFiles (*.*)"));
        QCOMPARE(mFake->FileName(), kClip);
        QCOMPARE(mFake->PlayState(), int(MediaPlayer::Paused));
        QCOMPARE(mFake->CurrentPosition(), 4.5);

        OpenDialog::setChooser([](const QString &, const QStringList &) { return kSecond; });
        mWindow->mnuFileOpen->trigger();
        QCOMPARE(mFake->FileName(), kSecond);
        QCOMPARE(mWindow->mlDuration, 31);
        QCOMPARE(mWindow->windowTitle(), QStringLiteral("Orvane Replixa - ") + kSecond);
    }

    void droppedFiles_data()
    {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QString>("report");
        QTest::newRow("three files open the first")
            << QList<QUrl>{QUrl::fromLocalFile(kSecond), QUrl::fromLocalFile(kClip), QUrl::fromLocalFile("/a.avi")}
            << kSecond << QString();
        QTest::newRow("no file") << QList<QUrl>{} << QString() << "Form_OLEDragDrop: The dropped item is not a file";
        QTest::newRow("a web address") << QList<QUrl>{QUrl("https://example.org/clip.mp4")} << QString()
                                       << "Form_OLEDragDrop: The dropped item is not a file";
    }

    void droppedFiles()
    {
        QFETCH(QList<QUrl>, urls);
        QFETCH(QString, opened);
        QFETCH(QString, report);
        ModalCloser closer;
        QMimeData data;
        data.setUrls(urls);
        if (urls.isEmpty())
            data.setText(QStringLiteral("just some text"));
        mWindow->Form_OLEDragDrop(&data);
        QCOMPARE(mFake->FileName(), opened);
        if (report.isEmpty()) {
            QCOMPARE(mFake->PlayState(), int(MediaPlayer::Playing));
            QVERIFY(mWindow->msErrorMessages().isEmpty());
        } else {
            QVERIFY2(mWindow->msErrorMessages().startsWith(report + QStringLiteral(", line ")),
                     qPrintable(mWindow->msErrorMessages()));
            QCOMPARE(closer.count(QStringLiteral("frmError")), 1);
        }
    }

    void mouseOverTheVideoIsPassedOn()
    {
        mWindow->OpenMedia(kClip);
        QSignalSpy spy(mFake, &MediaPlayer::MouseDown);
        QTest::mousePress(mFake->widget(), Qt::RightButton, {}, QPoint(30, 40));
        QTRY_COMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), int(MediaPlayer::RightButton));
    }

    void picturesCanBeToldApart()
    {
        // Each picture of a store differs from the others at the button's size, at 1x and 2x.
        for (const PictureStore *store : {&mWindow->imgPlay, &mWindow->imgLeft, &mWindow->imgRight}) {
            for (qreal scale : {1.0, 2.0}) {
                QList<QImage> images;
                for (Picture p : {Picture::Normal, Picture::Pressed, Picture::Disabled}) {
                    const QPixmap pixmap = store->picture(p).pixmap(QSize(16, 16), scale);
                    QCOMPARE(pixmap.size(), QSize(16, 16) * scale);
                    images << pixmap.toImage();
                }
                QVERIFY(images[0] != images[1]);
                QVERIFY(images[0] != images[2]);
                QVERIFY(images[1] != images[2]);
            }
        }
    }

private:
    std::unique_ptr<QTemporaryDir> mFolder;
    std::unique_ptr<frmMain> mWindow;
    FakeMediaPlayer *mFake = nullptr;
    QStringList mBoxes;
};

int main(int argc, char **argv)
{
    ReplixaApplication app(argc, argv);
    TestPlayState test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_play_state.moc"
