// The program as a user starts it: in a folder of its own, with a command line, and
// ended by the signals of a logout, a closed terminal or Ctrl+C, which must save the
// settings as File > Exit does.
#include "TestClips.h"
#include <QtTest>
#include <csignal>

class TestProgram : public QObject {
    Q_OBJECT
private slots:
    void endsLikeExitOnSignal_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("counted"); // a start without a medium is counted
        // Taken by the toolkit as its own option, this name opened nothing.
        QTest::newRow("a clip named -reverse, SIGTERM") << QStringList{"-reverse"} << SIGTERM << false;
        QTest::newRow("no such file: a box at start-up, SIGINT") << QStringList{"-style", "X"} << SIGINT << true;
        QTest::newRow("no file: the About box, SIGHUP") << QStringList{} << SIGHUP << true;
    }
    void endsLikeExitOnSignal()
    {
        QFETCH(QStringList, arguments);
        QTemporaryDir folder;
        const QString program = folder.filePath("replixa");
        QVERIFY(QFile::copy(qEnvironmentVariable("REPLIXA_PROGRAM"), program));
        const QString clip = TestClips::h264("clip.mp4", "color=c=green:s=96x64:r=25:d=2");
        QVERIFY(QFile::copy(clip, folder.filePath("-reverse")));
        QProcess replixa;
        replixa.setWorkingDirectory(folder.path());
        replixa.start(program, arguments);
        const auto text = [&] {
            QFile settings(folder.filePath("Replixa.ini"));
            return settings.open(QIODevice::ReadOnly) ? QString(settings.readAll()) : QString();
        };
        QTRY_VERIFY_WITH_TIMEOUT(text().contains("CaptureCount=30"), 20000);
        QFETCH(int, signal);
        ::kill(pid_t(replixa.processId()), signal);
        QVERIFY(replixa.waitForFinished(20000));
        QCOMPARE(std::pair(replixa.exitStatus(), replixa.exitCode()), std::pair(QProcess::NormalExit, 0));
        const QString saved = text();
        QVERIFY2(saved.contains("\r\nwidth=") && saved.contains("\r\nheight=") && saved.contains("\r\nzoom=1"),
                 qPrintable(saved));
        QTEST(saved.contains("StartCount=1\r\n"), "counted");
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "test_program.moc"
