// Stepping through the snapshot ring with the scripted media player and review-timer
// ticks driven by the test: press, hold, release, bounds, resume, and the ways in.
#include "WindowFixture.h"
#include "review/ReviewPicture.h"

using Picture = PictureStore::Picture;

static QRgb colour(int capture) { return QColor::fromHsv((capture * 47) % 360, 200, 220).rgb(); }
struct Steps { int ring, captures; QString script, offsets; int state; Picture left, right; QString frameTime = "2"; };
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
    void cleanup() { QCOMPARE(w->msErrorMessages(), QString()); f.reset(); }
    // A script of steps, one character each: < and > press the left and right buttons, v and m
    // the left and middle buttons on the video, f and k press F6 and keypad 6, ^ releases the
    // last press, t is a review-timer tick, s ticks until the timer stops, p and n the Previous
    // and Next Frame commands, d a double click on the snapshot, a digit shows that offset.
    // After each, the offset must be the digit below it, showing its capture.
    void stepping_data()
    {
        QTest::addColumn<Steps>("row");
        const int paused = MediaPlayer::Paused, playing = MediaPlayer::Playing;
        const Picture normal = Picture::Normal, disabled = Picture::Disabled;
        QTest::newRow("held back at 0.1 s: a tick's delay, then a step a tick up to the oldest")
            << Steps{5, 7, "<tttttt", "1123455", paused, disabled, normal};
        QTest::newRow("held back at 0.025 s: two ticks' delay; release")
            << Steps{5, 7, "<ttttttt^", "111234555", paused, normal, normal, "0"};
        QTest::newRow("held forward: towards the newest; released on it")
            << Steps{5, 6, "4>ttt^", "433211", paused, normal, disabled};
        QTest::newRow("forward from the newest resumes playback")
            << Steps{5, 6, "4>ttt^s>", "43321111", playing, normal, disabled};
        QTest::newRow("forward on the live video pauses and plays") << Steps{5, 2, ">", "0", playing, normal, disabled};
        QTest::newRow("the middle button on the live video pauses") << Steps{5, 2, "m", "0", paused, normal, disabled};
        QTest::newRow("a press on the video, held until its release on the hidden video")
            << Steps{5, 6, "vt^tt", "11111", paused, normal, disabled};
        QTest::newRow("F6, keypad 6 and Right step forward, held until their release")
            << Steps{5, 6, "4ft^tkt^trt^t", "4333322221111", paused, normal, disabled};
        QTest::newRow("a double click on a snapshot plays") << Steps{5, 2, "<^d", "110", playing, normal, disabled};
        QTest::newRow("a command is one step, none while its delay runs, nor a press then")
            << Steps{5, 5, "ppsp<tt^sn", "1112223332", paused, normal, normal};
        QTest::newRow("a ring of one slot") << Steps{1, 3, "<tt", "111", paused, disabled, normal};
        QTest::newRow("an empty ring: nothing captured, no step, forward resumes")
            << Steps{0, 2, "<t^pn", "00000", playing, normal, disabled};
    }
    void stepping()
    {
        QFETCH(Steps, row);
        start(row.captures, row.frameTime, row.ring);
        std::function<void()> release; // of the last press
        const auto press = [&](QWidget *on, Qt::MouseButton b) {
            QTest::mousePress(on, b), release = [=] { QTest::mouseRelease(on, b); };
        };
        const auto key = [&, on = w->client](Qt::Key k, Qt::KeyboardModifiers m) {
            QTest::keyPress(on, k, m), release = [=] { QTest::keyRelease(on, k, m); };
        };
        for (qsizetype i = 0; i < row.script.size(); ++i) {
            const char c = row.script.at(i).toLatin1();
            switch (c) {
            case '<': press(w->frCommand->cmdLeft, Qt::LeftButton); break;
            case '>': press(w->frCommand->cmdRight, Qt::LeftButton); break;
            case 'v': press(f->fake->widget(), Qt::LeftButton); break;
            case 'm': press(f->fake->widget(), Qt::MiddleButton); break;
            case 'f': key(Qt::Key_F6, {}); break;
            case 'k': key(Qt::Key_6, Qt::KeypadModifier); break;
            case 'r': key(Qt::Key_Right, {}); break;
            case '^': release(); break;
            case 't': w->ReviewTimer_Timer(); break;
            case 's': for (int k = 0; k < 5 && w->ReviewTimer->isEnabled(); ++k) w->ReviewTimer_Timer(); break;
            case 'p': w->findChild<QAction *>("mnuViewPrev")->trigger(); break;
            case 'n': w->findChild<QAction *>("mnuViewNext")->trigger(); break;
            case 'd': QTest::mouseDClick(w->oCaptured, Qt::LeftButton); break;
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
        QCOMPARE(std::pair(w->leftPicture(), w->rightPicture()), std::pair(row.left, row.right));
        if (row.state == MediaPlayer::Playing) {
            QTRY_COMPARE(w->mlReviewOffset(), 0);
            QVERIFY(w->PlayTimer->isEnabled() && f->fake->widget()->isVisible() && !w->oCaptured->isVisible());
        }
    }
};

REPLIXA_TEST_MAIN(TestReview)
#include "test_review.moc"
