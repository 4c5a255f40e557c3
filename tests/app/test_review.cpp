// Stepping through the snapshot ring with the scripted media player and review-timer
// ticks driven by the test: press, hold, release, bounds, resume, and the ways in.

#include "WindowFixture.h"

#include "review/ReviewButton.h"
#include "review/ReviewPicture.h"

#include <QApplication>
#include <QKeyEvent>
#include <QToolButton>

using Picture = PictureStore::Picture;

namespace {
QRgb colour(int capture) { return QColor::fromHsv((capture * 47) % 360, 200, 220).rgb(); }
struct Steps {
    int ring, captures;
    QString frameTime, script, offsets;
    int state;
    Picture left, right;
};
} // namespace

Q_DECLARE_METATYPE(Steps)

class TestReview : public QObject {
    Q_OBJECT
    std::optional<WindowFixture> f;
    frmMain *w = nullptr;
    // Opens a clip playing, then takes captures, each of its own colour. From here on the
    // test drives every tick itself, without turning the event loop.
    void start(int captures, const QString &frameTime = QStringLiteral("2"), int ring = 5)
    {
        SetConfigValue(QStringLiteral("FrameTime"), frameTime);
        SetConfigValue(QStringLiteral("CaptureCount"), QString::number(ring));
        w = &f->startWithFake({{QStringLiteral("gait.avi"), QSize(120, 90), 20.0}}, QStringLiteral("gait.avi"));
        w->show();
        QTRY_VERIFY(w->PlayTimer->isEnabled());
        for (int i = 1; i <= captures; ++i) {
            f->fake->setPicture(QColor(colour(i)));
            w->CaptureImage();
        }
    }
private slots:
    void init() { f.emplace(); }
    void cleanup()
    {
        QVERIFY2(w->msErrorMessages().isEmpty(), qPrintable(w->msErrorMessages()));
        f.reset();
    }
    // A script of steps, one character each: < press back, > press forward, m press the
    // middle button, ^ release, t a review-timer tick, s ticks until the timer stops, p and n
    // the Previous and Next Frame commands, a digit shows that offset. After each, the
    // offset must be the digit below it, showing its capture.
    void stepping_data()
    {
        QTest::addColumn<Steps>("row");
        const int paused = MediaPlayer::Paused, playing = MediaPlayer::Playing;
        const Picture normal = Picture::Normal, disabled = Picture::Disabled;
        QTest::newRow("held back at 0.1 s: a tick's delay, then a step a tick up to the oldest")
            << Steps{5, 7, "2", "<tttttt", "1123455", paused, disabled, normal};
        QTest::newRow("held back at 0.025 s: two ticks' delay; release")
            << Steps{5, 7, "0", "<ttttttt^", "111234555", paused, normal, normal};
        QTest::newRow("held forward: towards the newest; released on it")
            << Steps{5, 6, "2", "4>ttt^", "433211", paused, normal, disabled};
        QTest::newRow("forward from the newest resumes playback")
            << Steps{5, 6, "2", "4>ttt^s>", "43321111", playing, normal, disabled};
        QTest::newRow("forward on the live video pauses and plays") << Steps{5, 2, "2", ">", "0", playing, normal, disabled};
        QTest::newRow("the middle button on the live video pauses") << Steps{5, 2, "2", "m", "0", paused, normal, disabled};
        QTest::newRow("a command is one step, none while its delay runs, nor a press then")
            << Steps{5, 5, "2", "ppsp<tt^sn", "1112223332", paused, normal, normal};
        QTest::newRow("a ring of one slot") << Steps{1, 3, "2", "<tt", "111", paused, disabled, normal};
        QTest::newRow("an empty ring: nothing captured, no step, forward resumes")
            << Steps{0, 2, "2", "<t^pn", "00000", playing, normal, disabled};
    }
    void stepping()
    {
        QFETCH(Steps, row);
        start(row.captures, row.frameTime, row.ring);
        for (qsizetype i = 0; i < row.script.size(); ++i) {
            const char c = row.script.at(i).toLatin1();
            switch (c) {
            case '<': w->MouseDown(1); break;
            case '>': w->MouseDown(2); break;
            case 'm': w->oCaptured_MouseDown(MediaPlayer::MiddleButton, 0, 5, 5); break;
            case '^': w->ReleaseReview(); break;
            case 't': w->ReviewTimer_Timer(); break;
            case 's': for (int k = 0; k < 5 && w->ReviewTimer->isEnabled(); ++k) w->ReviewTimer_Timer(); break;
            case 'p': w->findChild<QAction *>("mnuViewPrev")->trigger(); break;
            case 'n': w->findChild<QAction *>("mnuViewNext")->trigger(); break;
            default: w->ShowImage(c - '0');
            }
            const int offset = row.offsets.at(i).digitValue();
            QVERIFY2(w->mlReviewOffset() == offset,
                     qPrintable(QStringLiteral("step %1: offset %2").arg(i).arg(w->mlReviewOffset())));
            QCOMPARE(f->fake->widget()->isVisible(), offset == 0);
            QVERIFY(c != 's' || !w->ReviewTimer->isEnabled());
            if (offset > 0)
                QCOMPARE(w->oCaptured->buffer().pixel(10, 10), colour(row.captures + 1 - offset));
        }
        QCOMPARE(f->fake->PlayState(), row.state);
        QCOMPARE(w->leftPicture(), row.left);
        QCOMPARE(w->rightPicture(), row.right);
        if (row.state == MediaPlayer::Playing) {
            QTRY_COMPARE(w->mlReviewOffset(), 0);
            QVERIFY(w->PlayTimer->isEnabled() && f->fake->widget()->isVisible() && !w->oCaptured->isVisible());
        }
    }
    // Buttons, the video and keys step at the press and hold until the release, wherever
    // it lands; a held key's repeats neither step nor end the hold.
    void waysIn_data()
    {
        QTest::addColumn<int>("input"); // 0: cmdLeft, 1: cmdRight, 2: the video, else a key
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("to"); // the offset after the press, from 3 (from 0 for the video)
        QTest::newRow("left button") << 0 << 0 << 4;
        QTest::newRow("right button") << 1 << 0 << 2;
        QTest::newRow("press on the video, released on the hidden video") << 2 << 0 << 1;
        QTest::newRow("Left") << int(Qt::Key_Left) << 0 << 4;
        QTest::newRow("F5") << int(Qt::Key_F5) << 0 << 4;
        QTest::newRow("keypad 4") << int(Qt::Key_4) << int(Qt::KeypadModifier) << 4;
        QTest::newRow("F6") << int(Qt::Key_F6) << 0 << 2;
        QTest::newRow("keypad 6") << int(Qt::Key_6) << int(Qt::KeypadModifier) << 2;
    }
    void waysIn()
    {
        QFETCH(int, input);
        QFETCH(int, modifiers);
        QFETCH(int, to);
        start(4);
        w->ShowImage(input == 2 ? 0 : 3);
        QWidget *target = input == 0 ? static_cast<QWidget *>(w->frCommand->cmdLeft) : input == 1 ? w->frCommand->cmdRight : input == 2 ? f->fake->widget() : w->client;
        auto send = [&](QEvent::Type type, bool repeat) {
            if (input > 2) {
                QKeyEvent event(type, input, Qt::KeyboardModifiers(modifiers), QString(), repeat);
                QApplication::sendEvent(target, &event);
            } else if (!repeat) {
                type == QEvent::KeyPress ? QTest::mousePress(target, Qt::LeftButton, {}, QPoint(5, 5))
                                         : QTest::mouseRelease(target, Qt::LeftButton, {}, QPoint(5, 5));
            }
        };
        send(QEvent::KeyPress, false);
        QTRY_COMPARE(w->mlReviewOffset(), to); // a press on the video comes queued
        send(QEvent::KeyRelease, true);
        send(QEvent::KeyPress, true);
        QCOMPARE(w->mlReviewOffset(), to);
        QVERIFY(w->mlReviewDirection() > 0);
        send(QEvent::KeyRelease, false);
        QCOMPARE(w->mlReviewDirection(), 0);
    }
    void spaceAndDoubleClickTogglePlay()
    {
        start(2);
        QTest::keyClick(w->client, Qt::Key_Space);
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Paused));
        w->ShowImage(1);
        QTest::mouseDClick(w->oCaptured, Qt::LeftButton);
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Playing));
    }
};

REPLIXA_TEST_MAIN(TestReview)
#include "test_review.moc"
