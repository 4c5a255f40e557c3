// Stepping through the ring against a host that notes what it is told: the press, the repeat
// delay, the bounds at either end, resuming past the newest snapshot, the release, and failing
// steps. The window's tests show the same through its buttons, keys and timer.
#include "review/ReviewStepper.h"
#include <QTest>

using Picture = PictureStore::Picture;

namespace {
// Notes each call: p pause, r the pause of a press taken, P play, s<k> show offset k, T and t the timer on and off, L and R
// with n, p or d the left and right buttons' pictures (normal, pressed, disabled), E<label> a report.
struct Host : ReviewHost, ErrorSink {
    ReviewStepper stepper{*this, *this};
    QStringList notes;
    bool timer = false;
    int delay = 1;
    qint32 count = 3, live = 0;
    QString failing; // the call that fails
    void note(const QString &call) { call == failing ? raiseFailure(Failure::Internal) : void(notes << call); }
    void PauseMedia() override { note("p"); }
    void pauseForReview() override { note("r"); }
    void PlayMedia() override { note("P"); }
    void reviewReleased() override {}
    void ShowImage(qint32 k) override { note("s" + QString::number(k)), stepper.setOffset(k); }
    bool reviewTimerEnabled() const override { return timer; }
    void setReviewTimerEnabled(bool on) override { note(on ? "T" : "t"), timer = on; }
    void setLeftPicture(Picture p) override { note("L" + code(p)); }
    void setRightPicture(Picture p) override { note("R" + code(p)); }
    int repeatDelay() override { return delay; }
    qint32 captureCount() const override { return count; }
    qint32 liveOffset() const override { return live; }
    void ShowError(QString &sErr, const Failure &) override { notes << "E" + sErr.section(':', 0, 0); }
    static QString code(Picture p) { return p == Picture::Normal ? "n" : p == Picture::Pressed ? "p" : "d"; }
};
// count, ticks before a repeat, offset at the start, failing call; script: < and > press buttons 1
// and 2, m the middle button, t a timer tick, ^ the release; the notes, and the offset at the end;
// the live video's offset
struct Row { int count; int delay; int offset; QString failing, script, notes; int end; int live = 0; };
} // namespace
Q_DECLARE_METATYPE(Row)

class TestReviewStepper : public QObject {
    Q_OBJECT
private slots:
    void steps_data()
    {
        QTest::addColumn<Row>("row");
        QTest::newRow("back: a step, a tick's delay, the next; release")
            << Row{3, 1, 0, "", "<tt^t", "r Lp Rn p T s1 t p T s2 Ln Rn t", 2};
        QTest::newRow("at 0.025 s two ticks' delay") << Row{3, 2, 0, "", "<ttt", "r Lp Rn p T s1 t p T s2", 2};
        QTest::newRow("every frame: the first step passes the frame shown") << Row{3, 1, 0, "", "<", "r Lp Rn p T s2", 2, 1};
        QTest::newRow("back stops at the oldest") << Row{2, 1, 1, "", "<tt", "r Lp Rn p T s2 t p Ld", 2};
        QTest::newRow("forward to the newest, then playback")
            << Row{3, 1, 3, "", ">ttt", "r Ln Rp p Rp T s2 t p Rp T s1 t p Rd P", 1};
        QTest::newRow("the middle button only pauses; no press while one is held")
            << Row{3, 1, 0, "", "m<>m", "r r Lp Rn p T s1", 1};
        QTest::newRow("a step still pending is the tick's") << Row{3, 1, 0, "", "<^<tt",
                                                                 "r Lp Rn p T s1 Ln Rd r Lp Rn t p T s2", 2};
        QTest::newRow("released on the newest: forward disabled") << Row{3, 1, 1, "", "^", "Ln Rd", 1};
        QTest::newRow("a failing press is reported") << Row{3, 1, 0, "Lp", "<^", "r EMouseDown Ln Rd", 0};
        QTest::newRow("a failing step is reported") << Row{3, 1, 0, "s1", "<", "r Lp Rn p T EProcessReview", 0};
        QTest::newRow("a failing release picture is skipped") << Row{3, 1, 0, "Ln", "<^", "r Lp Rn p T s1 Rd", 1};
    }
    void steps()
    {
        QFETCH(Row, row);
        Host h;
        h.count = row.count, h.delay = row.delay, h.live = row.live, h.failing = row.failing;
        h.stepper.setOffset(row.offset);
        for (const QChar c : row.script) {
            switch (c.toLatin1()) {
            case '<': h.stepper.MouseDown(1); break;
            case '>': h.stepper.MouseDown(2); break;
            case 'm': h.stepper.MouseDown(4); break;
            case 't': h.stepper.ReviewTimer_Timer(); break;
            default: h.stepper.ReleaseReview();
            }
        }
        QCOMPARE(h.notes.join(' '), row.notes);
        QCOMPARE(h.stepper.mlReviewOffset(), row.end);
    }
};

QTEST_GUILESS_MAIN(TestReviewStepper)
#include "test_review_stepper.moc"
