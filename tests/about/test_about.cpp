// The About box: its tutorial on driven ticks, missing pictures, keys.
#include "WindowFixture.h"
#include "about/ImageControl.h"
#include "about/frmAbout.h"
#include <QLabel>
#include <QPushButton>
#include <QTimer>

class TestAbout : public QObject {
    Q_OBJECT
    std::optional<WindowFixture> f; // a program folder of its own, message boxes caught
    const PictureStore left{PictureStore::Shape::Left}, right{PictureStore::Shape::Right};
    QString shown(frmAbout &a) // the button held (N none, R right, L left, ? mixed cues), the frame (- none)
    {
        const auto cues = [&](QWidget *mouse, QWidget *text, ImageControl *arrow, const PictureStore &store) {
            const QImage pressed = store.picture(PictureStore::Picture::Pressed).pixmap(16).toImage();
            const bool arrowPressed = arrow->icon().pixmap(16).toImage() == pressed;
            return QString::number(mouse->isVisibleTo(&a) + text->isVisibleTo(&a) + arrowPressed);
        };
        const QString held =
            cues(a.oRightMouse, a.lblRight, a.oRightImage, right) + cues(a.oLeftMouse, a.lblLeft, a.oLeftImage, left);
        const QImage &frame = a.oFrame->image();
        return QString("NRL?")[(QStringList{"00", "30", "03"}.indexOf(held) + 4) % 4] +
               (frame.isNull() ? "-" : QString::number(qRed(frame.pixel(0, 0)) / 30 - 2));
    }
private slots:
    void init() // the box's pictures, frame n red (n + 2) * 30
    {
        f.emplace();
        const auto names = QString("mouse-left.png mouse-right.png 0.gif 1.gif 2.gif 3.gif 4.gif 5.gif").split(' ');
        for (QImage image(8, 8, QImage::Format_RGB32); const QString &name : names) {
            image.fill(qRgb(names.indexOf(name) * 30, 0, 0));
            image.save(f->folder() + '/' + name, "PNG");
        }
    }
    void cleanup() { f.reset(); }
    // Missing at load: a box, and it plays on where it can; on a tick: the timer stops silently, the last frame stays.
    void plays_data() // what is seen at the start and tick by tick, then miFrame, the timer and the boxes
    {
        QTest::addColumn<QString>("missing");
        QTest::addColumn<QStringList>("seen");
        const auto twice = QString("N0 N0" // frame 0 and a tick's rest, then two rounds of 11 ticks
                                   " R1 R2 R3 R4 R5 L4 L3 L2 L1 L0 N0 R1 R2 R3 R4 R5 L4 L3 L2 L1 L0 N0").split(' ');
        const QString box = "frmAbout: File not found";
        QTest::newRow("all there") << "" << twice + QStringList{"0", "running", ""};
        QTest::newRow("3.gif") << "3.gif" << QStringList{"N0", "N0", "R1", "R2", "R2", "3", "stopped", ""};
        QTest::newRow("0.gif") << "0.gif" << QStringList{"N-", "N-", "0", "stopped", box};
        QTest::newRow("mouse-left.png") << "mouse-left.png" << twice + QStringList{"0", "running", box};
    }
    void plays()
    {
        QFETCH(QString, missing);
        QFile::remove(f->folder() + '/' + missing);
        frmAbout about(left, right);
        QStringList seen{shown(about)};
        for (int tick = 1; tick <= 23 && about.Timer1->isActive(); ++tick)
            about.Timer1_Timer(), seen << shown(about);
        const QString timer = about.Timer1->isActive() ? "running" : "stopped";
        QTEST(seen << QString::number(about.tutorial().miFrame()) << timer << f->boxes.join('|'), "seen");
    }
    void keys() // OK holds the focus: Enter, Escape and Space close the box, a letter does not
    {
        for (const char *key : {"Enter", "Return", "Esc", "Space", "A"}) {
            frmAbout about(left, right);
            about.show();
            QVERIFY(QTest::qWaitForWindowActive(&about) && QApplication::focusWidget() == about.cmdOK);
            QTest::keyClick(about.cmdOK, QKeySequence(key)[0].key());
            QVERIFY2(about.isVisible() == (*key == 'A'), key);
        }
    }
};

REPLIXA_TEST_MAIN(TestAbout)
#include "test_about.moc"
