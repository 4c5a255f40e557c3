// The error log and its dialog, the window's reporter and the other failure patterns, a mail's
// text, and failures that escape a handler into the event dispatch.
#include "WindowFixture.h"
#include "errors/SupportMail.h"

namespace {
// An object whose event handler fails with no trap of its own.
struct Untrapped : QObject {
    int line = 0;
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User)
            line = __LINE__, raiseFailure(Failure::Overflow);
        return QObject::event(e);
    }
};
} // namespace

class TestErrorReporting : public QObject {
    Q_OBJECT
    std::optional<WindowFixture> f; // a folder of its own, message boxes caught, dialogs closed
private slots:
    void init() { f.emplace(); }
    void cleanup() { f.reset(); }
    // Each report gets a log line and the dialog; one that comes while the dialog is open joins
    // it. Failure 480 gets advice, in the dialog only.
    void reportsAreLoggedAndShown()
    {
        ErrorLog log;
        QStringList reports{"Form_Resize: Out of memory, line 4", "PlayTimer_Timer: Can't create image, line 12",
                            "SetSnapshotRegion: Can't create image, line 9"};
        QString joined; // the first dialog's text once the second report has joined it
        f->closer.inspector = [&](QWidget *modal) {
            if (f->closer.seen().size() == 1) {
                log.present(reports[1], Failure::NoImageMemory);
                joined = qobject_cast<frmError *>(modal)->reportText();
            }
        };
        const QString logged = reports.join("\r\n") + "\r\n", advice = "Keep fewer snapshots (Edit > Options) "
                                                                    "or restart the application with reduced video window size.";
        log.present(reports[0], 7);
        QVERIFY(!log.openDialog());
        log.present(reports[2], Failure::NoImageMemory);
        QCOMPARE(log.messages(), logged);
        QCOMPARE(joined, "Form_Resize: Out of memory, line 4\nPlayTimer_Timer: Can't create image, line 12\n" + advice);
        QCOMPARE(f->closer.count(QStringLiteral("frmError")), 2);
        QCOMPARE(f->closer.seen().at(1).text, "SetSnapshotRegion: Can't create image, line 9\n" + advice);
    }
    // The window's reporter logs and shows the label, the description and the failing line,
    // pauses the video and stops capture and review; the message box pattern shows the label.
    void patternsReport()
    {
        frmMain &window = f->startWithFake({{"clip.avi", QSize(160, 120), 10.0}}, "clip.avi");
        for (const char *timer : {"PlayTimer", "ReviewTimer", "PauseTimer", "PositionTimer"})
            child(&window, timer)->start();
        int line = 0;
        const auto fail = [&] { line = __LINE__, raiseFailure(Failure::Overflow); };
        const bool completed = reportFailures(window, "cmdPlay_Click: ", fail);
        QVERIFY(!completed); // not inside QVERIFY: there the failure would carry the macro's line
        const QString expected = QStringLiteral("cmdPlay_Click: Overflow, line %1").arg(line);
        QCOMPARE(window.msErrorMessages(), expected + "\r\n");
        QCOMPARE(f->closer.seen().size(), 1);
        QCOMPARE(f->closer.seen().at(0).text, expected);
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Paused));
        for (const char *timer : {"PlayTimer", "ReviewTimer", "PauseTimer", "PositionTimer"})
            QCOMPARE(child(&window, timer)->isEnabled(), QByteArray(timer) == "PositionTimer");
        QVERIFY(!messageBoxOnFailure("frmOptions: ", [] { throw std::bad_alloc(); }));
        QCOMPARE(f->boxes, QStringList{"frmOptions: Out of memory"});
    }
    // Escaped failures are reported with the handler and its line; the settings stay.
    void escapedFailureIsReportedAndSettingsKept()
    {
        frmMain &window = f->startWithFake({});
        const auto settings = [] { QFile in(settingsFilePath()); in.open(QFile::ReadOnly); return in.readAll(); };
        const QByteArray before = settings();
        QVERIFY(!before.isEmpty());
        auto *app = qobject_cast<ReplixaApplication *>(qApp);
        app->setFailureSink(&window);
        Untrapped object;
        // The second escapes while the first one's dialog is open: it joins the log as well.
        QCoreApplication::postEvent(&object, new QEvent(QEvent::User));
        QCoreApplication::postEvent(&object, new QEvent(QEvent::User));
        QTRY_COMPARE(window.msErrorMessages(), QStringLiteral("event: Overflow, line %1\r\n").arg(object.line).repeated(2));
        app->setFailureSink(nullptr);
        QCOMPARE(settings(), before);
    }
    // Printable ASCII is copied but for "&", "%" and "#"; the rest goes as UTF-8 bytes. A text
    // the 16-bit position counter cannot walk fails.
    void encodesMailText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("encoded");
        QTest::newRow("line break") << "a\r\nb" << "a%0D%0Ab";
        QTest::newRow("ampersand") << "R&D" << "R%26D";
        QTest::newRow("percent, hash") << "100%#1" << "100%25%231";
        QTest::newRow("accent") << "caf\u00e9" << "caf%C3%A9";
        QTest::newRow("kept") << "a b?c=d+e~" << "a b?c=d+e~";
        QTest::newRow("tab, delete") << "\t\x7f" << "%09%7F";
        QTest::newRow("32,766 characters") << QString(32766, 'x') << QString(32766, 'x');
        QTest::newRow("32,767 characters") << QString(32767, 'x') << "Overflow";
    }
    void encodesMailText()
    {
        QFETCH(QString, text);
        QFETCH(QString, encoded);
        try {
            QCOMPARE(SupportMail::EncodeMailText(text), encoded);
        } catch (const Failure &failure) {
            QCOMPARE(failure.description(), encoded);
        }
    }
    void captions() { QCOMPARE(SupportMail::webCaption() + ' ' + SupportMail::emailCaption(), "www.orvane.example replixa@orvane.example"); }
};

REPLIXA_TEST_MAIN(TestErrorReporting)
#include "test_error_reporting.moc"
