// The reporter, the error log and the error dialog, the failure patterns, and failures
// that escape a handler into the event dispatch.
#include "ModalCloser.h"
#include "WindowFixture.h"

#include "app/ReplixaApplication.h"
#include "errors/ErrorLog.h"
#include "errors/FailurePatterns.h"
#include "errors/SupportMail.h"
#include "errors/frmError.h"

#include <QFile>
#include <QPushButton>
#include <QTest>

namespace {
struct RecordingSink : ErrorSink {
    QStringList messages;
    QList<int> lines;
    void ShowError(QString &sErr, const Failure &failure) override
    {
        messages << sErr;
        lines << failure.line();
    }
};

// An object whose event handler fails with no trap of its own.
class Untrapped : public QObject {
public:
    int line = 0;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User) {
            line = __LINE__ + 1;
            raiseFailure(Failure::Overflow);
        }
        return QObject::event(e);
    }
};
} // namespace

class TestErrorReporting : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowFixture> mFixture; // keeps the settings and message boxes in a folder of its own
    ModalCloser *mCloser = nullptr;

private slots:
    void init()
    {
        mFixture = std::make_unique<WindowFixture>();
        mCloser = new ModalCloser(this);
    }
    void cleanup()
    {
        delete mCloser;
        mFixture.reset();
    }
    // Each report gets a log line and a dialog; failure 480 gets advice in the dialog only.
    void threeReportsLogThreeLinesInOrder()
    {
        ErrorLog log;
        const QStringList reports{"A: first, line 1", "B: second, line 2", "SetSnapshotRegion: Can't create image, line 9"};
        for (int i = 0; i < 3; ++i) {
            QString message = reports[i];
            log.present(message, QList<int>{5, 7, 480}[i]);
        }
        QCOMPARE(log.messages(), reports.join("\r\n") + "\r\n");
        QCOMPARE(mCloser->count(QStringLiteral("frmError")), 3);
        QCOMPARE(mCloser->seen().at(0).caption, QStringLiteral("Replixa error description"));
        QCOMPARE(mCloser->seen().at(1).text, reports[1]);
        QVERIFY(mCloser->seen().at(2).text.startsWith(reports[2]));
        QVERIFY(mCloser->seen().at(2).text.contains(ErrorLog::colourDepthAdvice()));
    }
    void reportWhileDialogOpenJoinsIt()
    {
        ErrorLog log;
        QString dialogText;
        bool nested = false;
        mCloser->setInspector([&](QWidget *modal) {
            if (std::exchange(nested, true))
                return;
            QString second = QStringLiteral("PlayTimer_Timer: Overflow, line 12");
            log.present(second, Failure::NoImageMemory);
            dialogText = qobject_cast<frmError *>(modal)->reportText();
        });
        QString first = QStringLiteral("Form_Resize: Out of memory, line 4");
        log.present(first, 7);
        QCOMPARE(mCloser->count(QStringLiteral("frmError")), 1);
        QCOMPARE(log.messages(), QStringLiteral("Form_Resize: Out of memory, line 4\r\nPlayTimer_Timer: Overflow, line 12\r\n"));
        QVERIFY(dialogText.contains(QStringLiteral("Form_Resize: Out of memory, line 4")));
        QVERIFY(dialogText.contains(QStringLiteral("PlayTimer_Timer: Overflow, line 12")));
        QVERIFY(dialogText.contains(ErrorLog::colourDepthAdvice()));
        QVERIFY(!log.openDialog());
    }
    void showErrorPausesAndStopsTimers()
    {
        frmMain &window = mFixture->startWithFake({{"clip.avi", QSize(160, 120), 10.0}});
        window.OpenMedia(QStringLiteral("clip.avi"));
        QCOMPARE(mFixture->fake->PlayState(), int(MediaPlayer::Playing));
        window.ReviewTimer->setInterval(50);
        for (IntervalTimer *timer : {window.PlayTimer, window.ReviewTimer, window.PauseTimer, window.PositionTimer})
            timer->start();
        int line = 0;
        reportFailures(window, "cmdPlay_Click: ", [&] {
            line = __LINE__ + 1;
            raiseFailure(Failure::Overflow);
        });
        const QString expected = QStringLiteral("cmdPlay_Click: Overflow, line %1").arg(line);
        QCOMPARE(window.msErrorMessages(), expected + "\r\n");
        QCOMPARE(mCloser->seen().size(), 1);
        QCOMPARE(mCloser->seen().at(0).text, expected);
        QCOMPARE(mFixture->fake->PlayState(), int(MediaPlayer::Paused));
        QVERIFY(!window.PlayTimer->isEnabled() && !window.ReviewTimer->isEnabled() && !window.PauseTimer->isEnabled());
        QVERIFY(window.PositionTimer->isEnabled());
    }
    void patternsReachTheirSinks()
    {
        RecordingSink sink;
        int line = 0;
        const bool completed = reportFailures(sink, "Form_Load: ", [&] {
            line = __LINE__ + 1;
            raiseFailure(Failure::TypeMismatch);
        });
        QVERIFY(!completed); // not inside QVERIFY: there the failure would carry the macro's line
        QCOMPARE(sink.messages, QStringList{"Form_Load: Type mismatch"});
        QCOMPARE(sink.lines, QList<int>{line});
        messageBoxOnFailure("frmOptions: ", [] { throw std::bad_alloc(); });
        QCOMPARE(mFixture->boxes, QStringList{"frmOptions: Out of memory"});
        int steps = 0;
        ignoreFailure([&] { raiseFailure(Failure::Overflow); });
        ignoreFailure([&] { ++steps; });
        QCOMPARE(steps, 1);
    }
    void escapedFailureIsReportedAndSettingsKept()
    {
        auto *app = qobject_cast<ReplixaApplication *>(qApp);
        QVERIFY(app);
        QFile ini(mFixture->folder() + "/Replixa.ini");
        const QByteArray content = "[Replixa]\r\nStartCount=7\r\nwidth=9000\r\n";
        QVERIFY(ini.open(QIODevice::WriteOnly) && ini.write(content) == content.size());
        ini.close();
        RecordingSink sink;
        app->setFailureSink(&sink);
        Untrapped object;
        QCoreApplication::postEvent(&object, new QEvent(QEvent::User));
        QTRY_COMPARE(sink.messages.size(), 1);
        app->setFailureSink(nullptr);
        QCOMPARE(sink.messages.at(0), QStringLiteral("event: Overflow"));
        QCOMPARE(sink.lines.at(0), object.line);
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QCOMPARE(ini.readAll(), content);
    }
    void bugReportMailCarriesTheLog()
    {
        QString opened;
        auto old = SupportMail::setShellOpener([&](const QString &address) { opened = address; });
        ErrorLog log;
        mCloser->setInspector([](QWidget *modal) { qobject_cast<frmError *>(modal)->cmdEmail->click(); });
        QString message = QStringLiteral("OpenMedia: File not found & gone, line 3");
        log.present(message, 53);
        SupportMail::setShellOpener(old);
        QCOMPARE(opened, QStringLiteral("mailto:replixa@orvane.video&Subject=Replixa v2.6.0&Body=Please write your message "
                                        "above this line.%0D%0A%0D%0AReplixa v2.6.0 error descriptions:%0D%0A"
                                        "OpenMedia: File not found %26 gone, line 3%0D%0A%0D%0A"));
    }
};

int main(int argc, char **argv)
{
    ReplixaApplication app(argc, argv);
    TestErrorReporting test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_error_reporting.moc"
