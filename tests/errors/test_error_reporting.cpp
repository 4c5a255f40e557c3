// The reporter, the error log and the error dialog, the failure patterns, and
// failures that escape a handler into the event dispatch.

#include "FakeMediaPlayer.h"
#include "ModalCloser.h"

#include "app/ReplixaApplication.h"
#include "app/frmMain.h"
#include "errors/ErrorLog.h"
#include "errors/Failure.h"
#include "errors/FailurePatterns.h"
#include "errors/SupportMail.h"
#include "errors/frmError.h"
#include "settings/SettingsStore.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
// A sink that records what it is given.
struct RecordingSink : ErrorSink {
    QStringList messages;
    QList<int> lines;
    void ShowError(QString &sErr, const Failure &failure) override
    {
        messages << sErr;
        lines << failure.line();
    }
};

std::unique_ptr<frmMain> makeWindow(FakeMediaPlayer **fake = nullptr)
{
    auto window = std::make_unique<frmMain>(
        [fake](QWidget *parent) -> std::unique_ptr<MediaPlayer> {
            auto player = std::make_unique<FakeMediaPlayer>(parent);
            player->addMedium(QStringLiteral("clip.avi"), QSize(160, 120), 10.0);
            if (fake)
                *fake = player.get();
            return player;
        },
        QString());
    return window;
}

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

private slots:
    void init()
    {
        QVERIFY(mFolder.isValid());
        ProgramFolder::setOverride(mFolder.path());
        QFile::remove(mFolder.filePath(QStringLiteral("Replixa.ini")));
    }

    void threeReportsLogThreeLinesInOrder()
    {
        ModalCloser closer;
        ErrorLog log;
        for (const char *text : {"A: first, line 1", "B: second, line 2", "C: third, line 3"}) {
            QString message = QString::fromLatin1(text);
            log.present(message, 5);
        }
        QCOMPARE(log.messages(),
                 QStringLiteral("A: first, line 1\r\nB: second, line 2\r\nC: third, line 3\r\n"));
        QCOMPARE(closer.count(QStringLiteral("frmError")), 3);
        QCOMPARE(closer.seen().at(0).caption, QStringLiteral("Replixa error description"));
        QCOMPARE(closer.seen().at(1).text, QStringLiteral("B: second, line 2"));
    }

    void adviceOnlyInDialogFor480_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("advised");
        QTest::newRow("480 gets the advice") << 480 << true;
        QTest::newRow("7 does not") << 7 << false;
    }

    void adviceOnlyInDialogFor480()
    {
        QFETCH(int, number);
        QFETCH(bool, advised);
        ModalCloser closer;
        ErrorLog log;
        QString message = QStringLiteral("SetSnapshotRegion: Can't create AutoRedraw image, line 9");
        log.present(message, number);
        QCOMPARE(log.messages(), QStringLiteral("SetSnapshotRegion: Can't create AutoRedraw image, line 9\r\n"));
        QCOMPARE(closer.seen().size(), 1);
        const QString shown = closer.seen().at(0).text;
        QCOMPARE(shown.contains(ErrorLog::colourDepthAdvice()), advised);
        QVERIFY(shown.startsWith(QStringLiteral("SetSnapshotRegion: Can't create AutoRedraw image, line 9")));
    }

    void reportWhileDialogOpenJoinsIt()
    {
        ModalCloser closer;
        ErrorLog log;
        QString dialogText;
        bool nested = false;
        closer.setInspector([&](QWidget *modal) {
            if (nested)
                return;
            nested = true;
            QString second = QStringLiteral("PlayTimer_Timer: Overflow, line 12");
            log.present(second, Failure::NoImageMemory);
            dialogText = qobject_cast<frmError *>(modal)->reportText();
        });
        QString first = QStringLiteral("Form_Resize: Out of memory, line 4");
        log.present(first, 7);
        QCOMPARE(closer.count(QStringLiteral("frmError")), 1);
        QCOMPARE(log.messages(),
                 QStringLiteral("Form_Resize: Out of memory, line 4\r\nPlayTimer_Timer: Overflow, line 12\r\n"));
        QVERIFY(dialogText.contains(QStringLiteral("Form_Resize: Out of memory, line 4")));
        QVERIFY(dialogText.contains(QStringLiteral("PlayTimer_Timer: Overflow, line 12")));
        QVERIFY(dialogText.contains(ErrorLog::colourDepthAdvice()));
        QVERIFY(!log.openDialog());
    }

    void showErrorPausesAndStopsTimers()
    {
        FakeMediaPlayer *fake = nullptr;
        auto window = makeWindow(&fake);
        window->OpenMedia(QStringLiteral("clip.avi"));
        QCOMPARE(fake->PlayState(), int(MediaPlayer::Playing));
        window->PlayTimer->start();
        window->ReviewTimer->setInterval(50);
        window->ReviewTimer->start();
        window->PauseTimer->start();
        window->PositionTimer->start();
        ModalCloser closer;
        int line = 0;
        reportFailures(*window, "cmdPlay_Click: ", [&] {
            line = __LINE__ + 1;
            raiseFailure(Failure::Overflow);
        });
        const QString expected = QStringLiteral("cmdPlay_Click: Overflow, line %1").arg(line);
        QCOMPARE(window->msErrorMessages(), expected + QStringLiteral("\r\n"));
        QCOMPARE(closer.seen().size(), 1);
        QCOMPARE(closer.seen().at(0).text, expected);
        QCOMPARE(fake->PlayState(), int(MediaPlayer::Paused));
        QVERIFY(!window->PlayTimer->isEnabled());
        QVERIFY(!window->ReviewTimer->isEnabled());
        QVERIFY(!window->PauseTimer->isEnabled());
        QVERIFY(window->PositionTimer->isEnabled());
    }

    void patternsReachTheirSinks()
    {
        RecordingSink sink;
        int line = 0;
        const bool completed = reportFailures(sink, "Form_Load: ", [&] {
            line = __LINE__ + 1;
            raiseFailure(Failure::TypeMismatch);
        });
        QVERIFY(!completed);
        QCOMPARE(sink.messages, QStringList{QStringLiteral("Form_Load: Type mismatch")});
        QCOMPARE(sink.lines, QList<int>{line});

        QStringList boxes;
        auto old = MessageBox::setPresenter([&](const QString &, const QString &text, MessageBox::Icon) { boxes << text; });
        messageBoxOnFailure("frmOptions: ", [] { throw std::bad_alloc(); });
        MessageBox::setPresenter(old);
        QCOMPARE(boxes, QStringList{QStringLiteral("frmOptions: Out of memory")});

        int steps = 0;
        ignoreFailure([&] { raiseFailure(Failure::Overflow); });
        ignoreFailure([&] { ++steps; });
        QCOMPARE(steps, 1);
    }

    void escapedFailureIsReportedAndSettingsKept()
    {
        auto *app = qobject_cast<ReplixaApplication *>(qApp);
        QVERIFY(app);
        QFile ini(mFolder.filePath(QStringLiteral("Replixa.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        const QByteArray content = "[Replixa]\r\nStartCount=7\r\nwidth=9000\r\n";
        ini.write(content);
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
        ModalCloser closer;
        closer.setInspector([](QWidget *modal) { qobject_cast<frmError *>(modal)->cmdEmail->click(); });
        QString message = QStringLiteral("OpenMedia: File not found & gone, line 3");
        log.present(message, 53);
        SupportMail::setShellOpener(old);
        QCOMPARE(opened,
                 QStringLiteral("mailto:replixa@orvane.video&Subject=Replixa v2.6.0&Body=Please write your message "
                                "above this line.%0D%0A%0D%0AReplixa v2.6.0 error descriptions:%0D%0A"
                                "OpenMedia: File not found %26 gone, line 3%0D%0A%0D%0A"));
    }

private:
    QTemporaryDir mFolder;
};

int main(int argc, char **argv)
{
    ReplixaApplication app(argc, argv);
    TestErrorReporting test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_error_reporting.moc"
