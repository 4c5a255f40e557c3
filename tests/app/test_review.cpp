// Stepping through the snapshot ring with the scripted media player and review-timer
// ticks driven by the test: press, hold, release, bounds and resume.

#include "FakeMediaPlayer.h"
#include "ModalCloser.h"

#include "app/ReplixaApplication.h"
#include "app/frmMain.h"
#include "errors/MessageBox.h"
#include "review/ReviewPicture.h"
#include "settings/SettingsStore.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using Picture = PictureStore::Picture;

namespace {
const QString kClip = QStringLiteral("/clips/gait.avi");
constexpr int kSlots = 5;

QRgb captureColour(int capture)
{
    return QColor::fromHsv((capture * 47) % 360, 200, 220).rgb();
}
} // namespace

class TestReview : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        mFolder = std::make_unique<QTemporaryDir>();
        ProgramFolder::setOverride(mFolder->path());
        SetConfigValue(QStringLiteral("StartCount"), QStringLiteral("10"));
        SetConfigValue(QStringLiteral("CaptureCount"), QString::number(kSlots));
        mBoxes.clear();
        MessageBox::setPresenter([this](const QString &, const QString &text, MessageBox::Icon) { mBoxes << text; });
    }

    void cleanup()
    {
        mWindow.reset();
        MessageBox::setPresenter({});
        ProgramFolder::setOverride({});
    }

    void holdBackFromLive_data()
    {
        QTest::addColumn<QString>("frameTime");
        QTest::addColumn<int>("ticksToSecondStep");
        QTest::newRow("0.1 s: two ticks") << "2" << 2;
        QTest::newRow("0.025 s: three ticks") << "0" << 3;
    }

    void holdBackFromLive()
    {
        QFETCH(QString, frameTime);
        QFETCH(int, ticksToSecondStep);
        startPlayingWithCaptures(frameTime, 7);
        mWindow->MouseDown(1);
        QCOMPARE(mFake->PlayState(), int(MediaPlayer::Paused));
        QCOMPARE(mWindow->mlReviewOffset(), 1);
        QCOMPARE(mWindow->leftPicture(), Picture::Pressed);
        QVERIFY(mWindow->ReviewTimer->isEnabled());
        QVERIFY(!mWindow->oMediaPlayer()->widget()->isVisibleTo(mWindow.get()));
        QVERIFY(mWindow->oCaptured->isVisibleTo(mWindow.get()));
        QCOMPARE(shownColour(), captureColour(7));
        for (int tick = 1; tick < ticksToSecondStep; ++tick) {
            mWindow->ReviewTimer_Timer();
            QCOMPARE(mWindow->mlReviewOffset(), 1);
        }
        mWindow->ReviewTimer_Timer();
        QCOMPARE(mWindow->mlReviewOffset(), 2);
        QCOMPARE(shownColour(), captureColour(6));
        // One step a tick up to the oldest, where stepping stops.
        for (int k = 3; k <= kSlots; ++k) {
            mWindow->ReviewTimer_Timer();
            QCOMPARE(mWindow->mlReviewOffset(), k);
            QCOMPARE(shownColour(), captureColour(8 - k));
        }
        mWindow->ReviewTimer_Timer();
        QCOMPARE(mWindow->mlReviewOffset(), kSlots);
        QCOMPARE(mWindow->leftPicture(), Picture::Disabled);
        QVERIFY(!mWindow->ReviewTimer->isEnabled());
        mWindow->ReleaseReview();
        QCOMPARE(mWindow->mlReviewDirection(), 0);
        QCOMPARE(mWindow->leftPicture(), Picture::Normal);
        QCOMPARE(mWindow->rightPicture(), Picture::Normal);
    }

    void ageLabelFollowsTheOffset()
    {
        startPlayingWithCaptures(QStringLiteral("2"), 6);
        mWindow->ShowImage(4);
        QCOMPARE(mWindow->lblReviewTime->text(), QStringLiteral("-0.4 sec"));
        mWindow->ShowImage(kSlots + 1); // beyond the ring: nothing changes on the screen
        QCOMPARE(mWindow->lblReviewTime->text(), QStringLiteral("-0.4 sec"));
        mWindow->ShowImage(0);
        QCOMPARE(mWindow->lblReviewTime->text(), QStringLiteral("0 sec"));
        QVERIFY(!mWindow->oCaptured->isVisibleTo(mWindow.get()));
    }

    void forwardFromNewestResumes()
    {
        startPlayingWithCaptures(QStringLiteral("2"), 3);
        mWindow->MouseDown(1);
        mWindow->ReleaseReview();
        QCOMPARE(mWindow->rightPicture(), Picture::Disabled);
        settleReviewTimer();
        mWindow->MouseDown(2);
        QCOMPARE(mWindow->rightPicture(), Picture::Disabled);
        QCOMPARE(mFake->PlayState(), int(MediaPlayer::Playing));
        QTRY_COMPARE(mWindow->mlReviewOffset(), 0);
        QTRY_VERIFY(mWindow->PlayTimer->isEnabled());
        QVERIFY(mWindow->oMediaPlayer()->widget()->isVisibleTo(mWindow.get()));
    }

    void forwardStepsTowardsTheNewest()
    {
        startPlayingWithCaptures(QStringLiteral("2"), 5);
        mWindow->ShowImage(4);
        mWindow->MouseDown(2);
        QCOMPARE(mWindow->mlReviewOffset(), 3);
        QCOMPARE(mWindow->rightPicture(), Picture::Pressed);
        QCOMPARE(shownColour(), captureColour(3));
        mWindow->ReviewTimer_Timer();
        mWindow->ReviewTimer_Timer();
        QCOMPARE(mWindow->mlReviewOffset(), 2);
        mWindow->ReviewTimer_Timer();
        QCOMPARE(mWindow->mlReviewOffset(), 1);
        QCOMPARE(mFake->PlayState(), int(MediaPlayer::Paused));
    }

    void rightPressOnLiveVideoPausesAndResumes()
    {
        startPlayingWithCaptures(QStringLiteral("2"), 2);
        const int pauses = mFake->pauseCalls;
        mWindow->MouseDown(2);
        QCOMPARE(mFake->pauseCalls, pauses + 1);
        QCOMPARE(mFake->PlayState(), int(MediaPlayer::Playing));
        QCOMPARE(mWindow->mlReviewOffset(), 0);
        QCOMPARE(mWindow->rightPicture(), Picture::Disabled);
    }

    void pressDuringPendingDelayTakesNoImmediateStep()
    {
        startPlayingWithCaptures(QStringLiteral("2"), 5);
        mWindow->MouseDown(1);
        mWindow->ReleaseReview();
        QVERIFY(mWindow->ReviewTimer->isEnabled());
        mWindow->MouseDown(1);
        QCOMPARE(mWindow->mlReviewOffset(), 1);
        QCOMPARE(mWindow->mlRepeatDelay(), 1);
        mWindow->ReviewTimer_Timer();
        QCOMPARE(mWindow->mlReviewOffset(), 1);
        mWindow->ReviewTimer_Timer();
        QCOMPARE(mWindow->mlReviewOffset(), 2);
    }

    void menuPreviousFrameTakesExactlyOneStep()
    {
        startPlayingWithCaptures(QStringLiteral("2"), 5);
        mWindow->mnuViewPrev->trigger();
        QCOMPARE(mWindow->mlReviewOffset(), 1);
        QCOMPARE(mWindow->mlReviewDirection(), 0);
        // Chosen again while its timer still runs: no step at all.
        mWindow->mnuViewPrev->trigger();
        QCOMPARE(mWindow->mlReviewOffset(), 1);
        settleReviewTimer();
        QCOMPARE(mWindow->mlReviewOffset(), 1);
        mWindow->mnuViewPrev->trigger();
        QCOMPARE(mWindow->mlReviewOffset(), 2);
        settleReviewTimer();
        mWindow->mnuViewNext->trigger();
        QCOMPARE(mWindow->mlReviewOffset(), 1);
    }

    void otherButtonsOnlyPause_data()
    {
        QTest::addColumn<int>("button");
        QTest::newRow("middle") << 4;
        QTest::newRow("none") << 0;
    }

    void otherButtonsOnlyPause()
    {
        QFETCH(int, button);
        startPlayingWithCaptures(QStringLiteral("2"), 2);
        mWindow->oCaptured_MouseDown(button, 0, 5, 5);
        QCOMPARE(mFake->PlayState(), int(MediaPlayer::Paused));
        QCOMPARE(mWindow->mlReviewOffset(), 0);
        QVERIFY(!mWindow->ReviewTimer->isEnabled());
    }

    void pressesOnButtonsAndVideo()
    {
        startPlayingWithCaptures(QStringLiteral("2"), 4);
        // The right arrow always steps forward, whatever button presses it.
        QTest::mousePress(mWindow->cmdLeft, Qt::LeftButton);
        QCOMPARE(mWindow->mlReviewOffset(), 1);
        QCOMPARE(mWindow->mlReviewDirection(), 1);
        QTest::mouseRelease(mWindow->cmdLeft, Qt::LeftButton);
        QCOMPARE(mWindow->mlReviewDirection(), 0);
        settleReviewTimer();
        mWindow->ShowImage(3);
        QTest::mousePress(mWindow->cmdRight, Qt::LeftButton);
        QCOMPARE(mWindow->mlReviewOffset(), 2);
        QTest::mouseRelease(mWindow->cmdRight, Qt::LeftButton);
        settleReviewTimer();
        // A press on the video starts a step; the release goes to the video that the
        // step has hidden, and still ends the held step.
        mWindow->ShowImage(0);
        QTest::mousePress(mFake->widget(), Qt::LeftButton, {}, QPoint(20, 20));
        QTRY_COMPARE(mWindow->mlReviewDirection(), 1);
        QVERIFY(!mFake->widget()->isVisible());
        QTest::mouseRelease(mFake->widget(), Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(mWindow->mlReviewDirection(), 0);
        settleReviewTimer();
        // A double-click on the review picture toggles play.
        QTest::mouseDClick(mWindow->oCaptured, Qt::LeftButton);
        QCOMPARE(mFake->PlayState(), int(MediaPlayer::Playing));
    }

    void reviewKeysHoldLikeTheMouse_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Left") << int(Qt::Key_Left) << 0;
        QTest::newRow("F5") << int(Qt::Key_F5) << 0;
        QTest::newRow("keypad 4") << int(Qt::Key_4) << int(Qt::KeypadModifier);
    }

    void reviewKeysHoldLikeTheMouse()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        startPlayingWithCaptures(QStringLiteral("2"), 5);
        auto send = [&](QEvent::Type type, bool repeat) {
            QKeyEvent event(type, key, Qt::KeyboardModifiers(modifiers), QString(), repeat);
            QApplication::sendEvent(mWindow->client, &event);
        };
        send(QEvent::KeyPress, false);
        QCOMPARE(mWindow->mlReviewOffset(), 1);
        // The keyboard's own repeats neither step nor end the hold.
        send(QEvent::KeyRelease, true);
        send(QEvent::KeyPress, true);
        QCOMPARE(mWindow->mlReviewOffset(), 1);
        QCOMPARE(mWindow->mlReviewDirection(), 1);
        mWindow->ReviewTimer_Timer();
        mWindow->ReviewTimer_Timer();
        QCOMPARE(mWindow->mlReviewOffset(), 2);
        send(QEvent::KeyRelease, false);
        QCOMPARE(mWindow->mlReviewDirection(), 0);
        // Space on release plays.
        settleReviewTimer();
        QTest::keyClick(mWindow->client, Qt::Key_Space);
        QCOMPARE(mFake->PlayState(), int(MediaPlayer::Playing));
    }

    void capturesWrapTheCursor_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("five slots") << 5;
        QTest::newRow("one slot") << 1;
    }

    void capturesWrapTheCursor()
    {
        QFETCH(int, count);
        SetConfigValue(QStringLiteral("CaptureCount"), QString::number(count));
        startPlayingWithCaptures(QStringLiteral("2"), 0);
        QCOMPARE(mWindow->mlCaptureSlot(), count);
        mWindow->CaptureImage();
        QCOMPARE(mWindow->mlCaptureSlot(), count == 1 ? 1 : count - 1);
        for (int i = 1; i < count; ++i)
            mWindow->CaptureImage();
        QCOMPARE(mWindow->mlCaptureSlot(), count);
    }

    void emptyRingNeitherCapturesNorSteps()
    {
        SetConfigValue(QStringLiteral("CaptureCount"), QStringLiteral("0"));
        startPlayingWithCaptures(QStringLiteral("2"), 3);
        QCOMPARE(mWindow->mlCaptureSlot(), 0);
        mWindow->MouseDown(1);
        QCOMPARE(mWindow->mlReviewOffset(), 0);
        QCOMPARE(mWindow->leftPicture(), Picture::Disabled);
        QVERIFY(mWindow->msErrorMessages().isEmpty());
    }

private:
    // Opens the clip playing, then takes the given number of captures, each of its own colour.
    void startPlayingWithCaptures(const QString &frameTime, int captures)
    {
        SetConfigValue(QStringLiteral("FrameTime"), frameTime);
        mWindow = std::make_unique<frmMain>(
            [this](QWidget *parent) -> std::unique_ptr<MediaPlayer> {
                auto player = std::make_unique<FakeMediaPlayer>(parent);
                player->addMedium(kClip, QSize(120, 90), 20.0);
                mFake = player.get();
                return player;
            },
            kClip);
        mWindow->Form_Load();
        mWindow->show();
        QTRY_VERIFY(mWindow->PlayTimer->isEnabled());
        // From here on the test drives every tick itself, without turning the event loop.
        for (int i = 1; i <= captures; ++i) {
            mFake->setPicture(QColor(captureColour(i)));
            mWindow->CaptureImage();
        }
        QVERIFY(mWindow->msErrorMessages().isEmpty());
    }

    // Ticks until the review timer has stopped itself.
    void settleReviewTimer()
    {
        for (int i = 0; i < 5 && mWindow->ReviewTimer->isEnabled(); ++i)
            mWindow->ReviewTimer_Timer();
        QVERIFY(!mWindow->ReviewTimer->isEnabled());
    }

    QRgb shownColour() const { return mWindow->oCaptured->buffer().pixel(10, 10); }

    std::unique_ptr<QTemporaryDir> mFolder;
    std::unique_ptr<frmMain> mWindow;
    FakeMediaPlayer *mFake = nullptr;
    QStringList mBoxes;
};

int main(int argc, char **argv)
{
    ReplixaApplication app(argc, argv);
    TestReview test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_review.moc"
