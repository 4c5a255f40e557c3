// Stepping through the snapshot ring with the scripted media player and review-timer
// ticks driven by the test: press, hold, release, bounds and resume.

#include "WindowFixture.h"

#include "app/ReplixaApplication.h"
#include "review/ReviewPicture.h"
#include "settings/SettingsStore.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>
#include <QToolButton>

#include <optional>

using Picture = PictureStore::Picture;

namespace {
const QString kClip = QStringLiteral("/clips/gait.avi");
constexpr int kSlots = 5;
QRgb captureColour(int capture) { return QColor::fromHsv((capture * 47) % 360, 200, 220).rgb(); }
} // namespace

class TestReview : public QObject {
    Q_OBJECT

    std::optional<WindowFixture> f;
    frmMain *w = nullptr;

    // Opens the clip playing, then takes captures, each of its own colour. From here on
    // the test drives every tick itself, without turning the event loop.
    void start(int captures, const QString &frameTime = QStringLiteral("2"))
    {
        SetConfigValue(QStringLiteral("FrameTime"), frameTime);
        w = &f->startWithFake({{kClip, QSize(120, 90), 20.0}}, kClip);
        w->show();
        QTRY_VERIFY(w->PlayTimer->isEnabled());
        for (int i = 1; i <= captures; ++i) {
            f->fake->setPicture(QColor(captureColour(i)));
            w->CaptureImage();
        }
        QVERIFY(w->msErrorMessages().isEmpty());
    }

    void tick(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            w->ReviewTimer_Timer();
    }

    // Ticks until the review timer has stopped itself.
    void settle()
    {
        for (int i = 0; i < 5 && w->ReviewTimer->isEnabled(); ++i)
            tick();
        QVERIFY(!w->ReviewTimer->isEnabled());
    }

    QRgb shownColour() const { return w->oCaptured->buffer().pixel(10, 10); }
    int state() const { return f->fake->PlayState(); }
    bool liveVideoShown() const { return w->oMediaPlayer()->widget()->isVisibleTo(w); }

private slots:
    void init()
    {
        f.emplace();
        SetConfigValue(QStringLiteral("CaptureCount"), QString::number(kSlots));
    }
    void cleanup() { f.reset(); }

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
        start(7, frameTime);
        w->MouseDown(1);
        QCOMPARE(state(), int(MediaPlayer::Paused));
        QCOMPARE(w->mlReviewOffset(), 1);
        QCOMPARE(w->leftPicture(), Picture::Pressed);
        QVERIFY(w->ReviewTimer->isEnabled());
        QVERIFY(!liveVideoShown() && w->oCaptured->isVisibleTo(w));
        QCOMPARE(shownColour(), captureColour(7));
        tick(ticksToSecondStep - 1);
        QCOMPARE(w->mlReviewOffset(), 1);
        for (int k = 2; k <= kSlots; ++k) { // then one step a tick up to the oldest
            tick();
            QCOMPARE(w->mlReviewOffset(), k);
            QCOMPARE(shownColour(), captureColour(8 - k));
        }
        tick(); // where stepping stops
        QCOMPARE(w->mlReviewOffset(), kSlots);
        QCOMPARE(w->leftPicture(), Picture::Disabled);
        QVERIFY(!w->ReviewTimer->isEnabled());
        w->ReleaseReview();
        QCOMPARE(w->mlReviewDirection(), 0);
        QCOMPARE(w->leftPicture(), Picture::Normal);
        QCOMPARE(w->rightPicture(), Picture::Normal);
    }

    // Forward steps towards the newest snapshot; forward from offset 1 resumes.
    void forwardStepsThenResumes()
    {
        start(6);
        w->ShowImage(4);
        QCOMPARE(w->lblReviewTime->text(), QStringLiteral("-0.4 sec"));
        w->ShowImage(kSlots + 1); // beyond the ring: nothing changes on the screen
        QCOMPARE(w->lblReviewTime->text(), QStringLiteral("-0.4 sec"));
        w->ShowImage(4);
        w->MouseDown(2);
        QCOMPARE(w->mlReviewOffset(), 3);
        QCOMPARE(w->rightPicture(), Picture::Pressed);
        QCOMPARE(shownColour(), captureColour(4));
        tick(2);
        QCOMPARE(w->mlReviewOffset(), 2);
        tick();
        QCOMPARE(w->mlReviewOffset(), 1);
        QCOMPARE(state(), int(MediaPlayer::Paused));
        w->ReleaseReview();
        QCOMPARE(w->rightPicture(), Picture::Disabled);
        settle();
        w->MouseDown(2);
        QCOMPARE(w->rightPicture(), Picture::Disabled);
        QCOMPARE(state(), int(MediaPlayer::Playing));
        QTRY_COMPARE(w->mlReviewOffset(), 0);
        QTRY_VERIFY(w->PlayTimer->isEnabled());
        QVERIFY(liveVideoShown() && !w->oCaptured->isVisibleTo(w));
        QCOMPARE(w->lblReviewTime->text(), QStringLiteral("0 sec"));
    }

    // On the live video the right button pauses and resumes; others only pause.
    void pressOnLiveVideo_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("after");
        QTest::newRow("right") << 2 << int(MediaPlayer::Playing);
        QTest::newRow("middle") << 4 << int(MediaPlayer::Paused);
        QTest::newRow("none") << 0 << int(MediaPlayer::Paused);
    }

    void pressOnLiveVideo()
    {
        QFETCH(int, button);
        QFETCH(int, after);
        start(2);
        const int pauses = f->fake->pauseCalls;
        w->oCaptured_MouseDown(button, 0, 5, 5);
        QCOMPARE(f->fake->pauseCalls, pauses + 1);
        QCOMPARE(state(), after);
        QCOMPARE(w->mlReviewOffset(), 0);
        QCOMPARE(w->rightPicture(), Picture::Disabled);
        if (button != 2)
            QVERIFY(!w->ReviewTimer->isEnabled());
    }

    // The menu takes exactly one step; a press while the delay after a step still runs
    // takes none at once.
    void menuStepsAndPressDuringPendingDelay()
    {
        start(5);
        w->mnuViewPrev->trigger();
        QCOMPARE(w->mlReviewOffset(), 1);
        QCOMPARE(w->mlReviewDirection(), 0);
        w->mnuViewPrev->trigger(); // again while its timer still runs: no step at all
        settle();
        QCOMPARE(w->mlReviewOffset(), 1);
        w->mnuViewPrev->trigger();
        QCOMPARE(w->mlReviewOffset(), 2);
        QVERIFY(w->ReviewTimer->isEnabled());
        w->MouseDown(1);
        QCOMPARE(w->mlReviewOffset(), 2);
        QCOMPARE(w->mlRepeatDelay(), 1);
        tick();
        QCOMPARE(w->mlReviewOffset(), 2);
        tick();
        QCOMPARE(w->mlReviewOffset(), 3);
        w->ReleaseReview();
        settle();
        w->mnuViewNext->trigger();
        QCOMPARE(w->mlReviewOffset(), 2);
    }

    void pressesOnButtonsAndVideo()
    {
        start(4);
        QTest::mousePress(w->cmdLeft, Qt::LeftButton);
        QCOMPARE(w->mlReviewOffset(), 1);
        QCOMPARE(w->mlReviewDirection(), 1);
        QTest::mouseRelease(w->cmdLeft, Qt::LeftButton);
        QCOMPARE(w->mlReviewDirection(), 0);
        settle();
        w->ShowImage(3);
        QTest::mousePress(w->cmdRight, Qt::LeftButton); // the right arrow steps forward
        QCOMPARE(w->mlReviewOffset(), 2);
        QTest::mouseRelease(w->cmdRight, Qt::LeftButton);
        settle();
        // A press on the video starts a step; the release lands on the video the step
        // has hidden, and still ends the hold.
        w->ShowImage(0);
        QWidget *video = f->fake->widget();
        QTest::mousePress(video, Qt::LeftButton, {}, QPoint(20, 20));
        QTRY_COMPARE(w->mlReviewDirection(), 1);
        QVERIFY(!video->isVisible());
        QTest::mouseRelease(video, Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(w->mlReviewDirection(), 0);
        settle();
        QTest::mouseDClick(w->oCaptured, Qt::LeftButton); // toggles play
        QCOMPARE(state(), int(MediaPlayer::Playing));
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
        start(5);
        auto send = [&](QEvent::Type type, bool repeat) {
            QKeyEvent event(type, key, Qt::KeyboardModifiers(modifiers), QString(), repeat);
            QApplication::sendEvent(w->client, &event);
        };
        send(QEvent::KeyPress, false);
        QCOMPARE(w->mlReviewOffset(), 1);
        send(QEvent::KeyRelease, true); // the keyboard's own repeats neither step nor end the hold
        send(QEvent::KeyPress, true);
        QCOMPARE(w->mlReviewOffset(), 1);
        QCOMPARE(w->mlReviewDirection(), 1);
        tick(2);
        QCOMPARE(w->mlReviewOffset(), 2);
        send(QEvent::KeyRelease, false);
        QCOMPARE(w->mlReviewDirection(), 0);
        settle();
        QTest::keyClick(w->client, Qt::Key_Space);
        QCOMPARE(state(), int(MediaPlayer::Playing));
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
        start(0);
        QCOMPARE(w->mlCaptureSlot(), count);
        w->CaptureImage();
        QCOMPARE(w->mlCaptureSlot(), count == 1 ? 1 : count - 1);
        for (int i = 1; i < count; ++i)
            w->CaptureImage();
        QCOMPARE(w->mlCaptureSlot(), count);
    }
    // The empty ring: test_layout_zoom's captureCountZeroGivesAnEmptyRing.
};

int main(int argc, char **argv)
{
    ReplixaApplication app(argc, argv);
    TestReview test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_review.moc"
