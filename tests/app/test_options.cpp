// The options dialog: the video frame time stored, restored and applied to the timers.

#include "ModalCloser.h"
#include "WindowFixture.h"

#include "app/ReplixaApplication.h"
#include "settings/SettingsStore.h"
#include "settings/frmOptions.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <optional>

namespace {
const QString kClip = QStringLiteral("/clips/swing.avi");
enum class Closing { CloseButton, Enter, Escape, CloseBox };
} // namespace

Q_DECLARE_METATYPE(Closing)

class TestOptions : public QObject {
    Q_OBJECT

    std::optional<WindowFixture> f;

    frmMain &start() { return f->startWithFake({{kClip, QSize(160, 120), 9.0}}, kClip); }

private slots:
    void init() { f.emplace(); }
    void cleanup() { f.reset(); }

    void storedFrameTimeAtStart_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("interval");
        QTest::addColumn<bool>("complaint");
        QTest::newRow("nothing stored") << "" << 50 << false;
        QTest::newRow("0.025 s") << "0" << 25 << false;
        QTest::newRow("0.2 s") << "3" << 200 << false;
        QTest::newRow("0.5 s") << "4" << 500 << false;
        QTest::newRow("index 7") << "7" << 50 << true;
        QTest::newRow("not a number") << "fast" << 50 << true;
    }

    void storedFrameTimeAtStart()
    {
        QFETCH(QString, stored);
        QFETCH(int, interval);
        QFETCH(bool, complaint);
        if (!stored.isEmpty())
            SetConfigValue(QStringLiteral("FrameTime"), stored);
        frmMain &w = start();
        QCOMPARE(w.PlayTimer->interval(), interval);
        QCOMPARE(w.ReviewTimer->interval(), interval);
        QCOMPARE(f->boxes.size(), complaint ? 1 : 0);
        if (complaint)
            QVERIFY(f->boxes.at(0).startsWith(QStringLiteral("frmOptions: ")));
        QVERIFY(w.msErrorMessages().isEmpty());
    }

    void choosingAndClosing_data()
    {
        QTest::addColumn<Closing>("closing");
        QTest::addColumn<bool>("stored");
        QTest::newRow("Close button") << Closing::CloseButton << true;
        QTest::newRow("Enter") << Closing::Enter << true;
        QTest::newRow("Escape") << Closing::Escape << true;
        QTest::newRow("the window's close box") << Closing::CloseBox << false;
    }

    void choosingAndClosing()
    {
        QFETCH(Closing, closing);
        QFETCH(bool, stored);
        SetConfigValue(QStringLiteral("FrameTime"), QStringLiteral("2"));
        frmMain &w = start();
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Playing));
        ModalCloser closer;
        closer.setClosing(false);
        closer.setInspector([&](QWidget *modal) {
            auto *dialog = qobject_cast<frmOptions *>(modal);
            QVERIFY(dialog);
            QVERIFY(dialog->optFreezeFrameTime[2]->isChecked());
            dialog->optFreezeFrameTime[3]->setChecked(true);
            switch (closing) {
            case Closing::CloseButton: dialog->OKButton->click(); break;
            case Closing::Enter: QTest::keyClick(dialog, Qt::Key_Return); break;
            case Closing::Escape: QTest::keyClick(dialog, Qt::Key_Escape); break;
            case Closing::CloseBox: dialog->close(); break;
            }
        });
        w.mnuToolsOptions->trigger();
        QCOMPARE(closer.count(QStringLiteral("frmOptions")), 1);
        QCOMPARE(GetConfigValue(QStringLiteral("FrameTime")), stored ? QStringLiteral("3") : QStringLiteral("2"));
        const int interval = stored ? 200 : 100;
        QCOMPARE(w.PlayTimer->interval(), interval);
        QCOMPARE(w.ReviewTimer->interval(), interval);
        QVERIFY(w.optionsDialog()->optFreezeFrameTime[stored ? 3 : 2]->isChecked());
        // The video was paused for the dialog and stays paused.
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Paused));
        QTRY_VERIFY(!w.PlayTimer->isEnabled());
        QCOMPARE(start().PlayTimer->interval(), interval); // the next start uses what was stored
    }
};

int main(int argc, char **argv)
{
    ReplixaApplication app(argc, argv);
    TestOptions test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_options.moc"
