// The play button, its pictures and tips, the play-state notifications, the open dialog
// and dropped files, with the scripted media player.

#include "ModalCloser.h"
#include "WindowFixture.h"

#include "app/ReplixaApplication.h"
#include "playback/OpenDialog.h"

#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <optional>

using Picture = PictureStore::Picture;
using PlayPicture = frmMain::PlayPicture;

namespace {
const QString kClip = QStringLiteral("/clips/serve.avi");
const QString kSecond = QStringLiteral("/clips/jump.avi");
const QString kTips = QStringLiteral("Play - Pause (Space)");
} // namespace

class TestPlayState : public QObject {
    Q_OBJECT

    std::optional<WindowFixture> f;
    frmMain *w = nullptr;

    void openPlaying()
    {
        w->OpenMedia(kClip);
        QTRY_VERIFY(w->PlayTimer->isEnabled());
    }

private slots:
    void init()
    {
        f.emplace();
        w = &f->startWithFake({{kClip, QSize(160, 120), 12.0}, {kSecond, QSize(320, 180), 30.6}});
    }

    void cleanup()
    {
        f.reset();
        OpenDialog::setChooser({});
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
        openPlaying();
        QCOMPARE(w->playPicture(), PlayPicture::Pause);
        if (state == MediaPlayer::Playing) {
            f->fake->setPlayState(MediaPlayer::Paused);
            QTRY_VERIFY(!w->PlayTimer->isEnabled());
        }
        w->ReviewTimer->start();
        QSignalSpy notified(f->fake, &MediaPlayer::PlayStateChange);
        f->fake->setPlayState(state);
        QVERIFY(notified.wait());
        QCOMPARE(w->PlayTimer->isEnabled(), capturing);
        QCOMPARE(w->playPicture(), picture);
        QCOMPARE(w->ReviewTimer->isEnabled(), state != MediaPlayer::Playing);
        if (state == MediaPlayer::Playing) {
            QCOMPARE(w->leftPicture(), Picture::Normal);
            QCOMPARE(w->rightPicture(), Picture::Disabled);
        }
    }

    void firstPlayPauseWithoutMediumTakesThePausePath()
    {
        QCOMPARE(w->playPicture(), PlayPicture::StartupDisabled);
        QVERIFY(!w->cmdPlay->isEnabled());
        QCOMPARE(w->cmdPlay->toolTip(), kTips);
        w->mnuViewPlay->trigger();
        QCOMPARE(w->playPicture(), PlayPicture::Play);
        QCOMPARE(w->cmdPlay->toolTip(), kTips);
        w->mnuViewPlay->trigger(); // now the play path: nothing to play, the tips go
        QCOMPARE(w->playPicture(), PlayPicture::Play);
        QCOMPARE(w->cmdPlay->toolTip(), QString());
        QCOMPARE(f->fake->playCalls, 0);
    }

    void playPauseCancelsAPendingSlowMotionResume()
    {
        openPlaying();
        w->PauseTimer->setInterval(500); // a slow-motion pause, to be resumed by the timer
        w->PauseTimer->start();
        w->PauseMedia();
        QCOMPARE(w->playPicture(), PlayPicture::Pause);
        w->cmdPlay_Click();
        QVERIFY(!w->PauseTimer->isEnabled());
        QCOMPARE(w->playPicture(), PlayPicture::Play);
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Paused));
    }

    // Tips follow the user's play and pause only; the open dialog offers every video and,
    // cancelled, leaves the video paused where it stood.
    void tipsAndOpenDialog()
    {
        openPlaying();
        QCOMPARE(w->cmdPlay->toolTip(), kTips);
        w->cmdPlay->click(); // pause
        QCOMPARE(w->cmdPlay->toolTip(), kTips);
        QCOMPARE(w->cmdLeft->toolTip(), QStringLiteral("Previous Frame <-"));
        w->cmdPlay->click(); // play
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Playing));
        QCOMPARE(w->cmdPlay->toolTip(), QString());
        QCOMPARE(w->cmdRight->toolTip(), QString());

        f->fake->SetCurrentPosition(4.5);
        QString title;
        QStringList filters;
        OpenDialog::setChooser([&](const QString &t, const QStringList &fl) {
            title = t;
            filters = fl;
            return QString();
        });
        w->mnuFileOpen->trigger();
        QCOMPARE(title, QStringLiteral("Open Video File"));
        QCOMPARE(filters.size(), 2);
        QVERIFY(filters.at(0).startsWith(QStringLiteral("Video Files ")));
        for (const char *pattern : {"*.avi", "*.wmv", "*.mpg", "*.rm", "*.mp4", "*.mov", "*.mkv", "*.webm", "*.m2ts", "*.3gp"})
            QVERIFY2(filters.at(0).contains(QLatin1String(pattern)), pattern);
        QCOMPARE(filters.at(1), QStringLiteral("AllFiles (*.*)"));
        QCOMPARE(f->fake->FileName(), kClip);
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Paused));
        QCOMPARE(f->fake->CurrentPosition(), 4.5);
        QCOMPARE(w->cmdPlay->toolTip(), QString()); // not the user's pause

        OpenDialog::setChooser([](const QString &, const QStringList &) { return kSecond; });
        w->mnuFileOpen->trigger();
        QCOMPARE(f->fake->FileName(), kSecond);
        QCOMPARE(w->mlDuration, 31);
        QCOMPARE(w->windowTitle(), QStringLiteral("Orvane Replixa - ") + kSecond);
    }

    void droppedFiles_data()
    {
        const QString notAFile = QStringLiteral("Form_OLEDragDrop: The dropped item is not a file");
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QString>("report");
        QTest::newRow("three files open the first")
            << QList<QUrl>{QUrl::fromLocalFile(kSecond), QUrl::fromLocalFile(kClip), QUrl::fromLocalFile("/a.avi")}
            << kSecond << QString();
        QTest::newRow("no file") << QList<QUrl>{} << QString() << notAFile;
        QTest::newRow("a web address") << QList<QUrl>{QUrl("https://example.org/clip.mp4")} << QString() << notAFile;
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
        w->Form_OLEDragDrop(&data);
        QCOMPARE(f->fake->FileName(), opened);
        QCOMPARE(closer.count(QStringLiteral("frmError")), report.isEmpty() ? 0 : 1);
        if (report.isEmpty()) {
            QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Playing));
            QVERIFY(w->msErrorMessages().isEmpty());
        } else {
            QVERIFY2(w->msErrorMessages().startsWith(report + QStringLiteral(", line ")),
                     qPrintable(w->msErrorMessages()));
        }
    }

    void mouseOverTheVideoIsPassedOn()
    {
        w->OpenMedia(kClip);
        QSignalSpy spy(f->fake, &MediaPlayer::MouseDown);
        QTest::mousePress(f->fake->widget(), Qt::RightButton, {}, QPoint(30, 40));
        QTRY_COMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), int(MediaPlayer::RightButton));
    }

    // Each picture of a store differs from the others at the button's size, at 1x and 2x.
    void picturesCanBeToldApart()
    {
        for (const PictureStore *store : {&w->imgPlay, &w->imgLeft, &w->imgRight}) {
            for (qreal scale : {1.0, 2.0}) {
                QList<QImage> images;
                for (Picture p : {Picture::Normal, Picture::Pressed, Picture::Disabled}) {
                    const QPixmap pixmap = store->picture(p).pixmap(QSize(16, 16), scale);
                    QCOMPARE(pixmap.size(), QSize(16, 16) * scale);
                    images << pixmap.toImage();
                }
                QVERIFY(images[0] != images[1] && images[0] != images[2] && images[1] != images[2]);
            }
        }
    }
};

int main(int argc, char **argv)
{
    ReplixaApplication app(argc, argv);
    TestPlayState test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_play_state.moc"
