// The command line: "--help" or "--version" alone is answered; anything else is one file name.
#include "app/CommandLine.h"
#include <QtTest>

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void read_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("request"); // 0 open, 1 help, 2 version
        QTest::addColumn<QString>("fileName");
        QTest::newRow("nothing") << QStringList{"replixa"} << 0 << "";
        QTest::newRow("--help") << QStringList{"replixa", "--help"} << 1 << "";
        QTest::newRow("--version") << QStringList{"replixa", "--version"} << 2 << "";
        QTest::newRow("./--help") << QStringList{"replixa", "./--help"} << 0 << "./--help";
        QTest::newRow("--help and a file") << QStringList{"replixa", "--help", "a.mp4"} << 0 << "--help a.mp4";
        QTest::newRow("a name with a blank") << QStringList{"replixa", "my", "--version"} << 0 << "my --version";
        QTest::newRow("-h") << QStringList{"replixa", "-h"} << 0 << "-h";
        QTest::newRow("--Help") << QStringList{"replixa", "--Help"} << 0 << "--Help";
    }
    void read()
    {
        QFETCH(QStringList, arguments);
        const CommandLine::Reading reading = CommandLine::read(arguments);
        QFETCH(int, request);
        QFETCH(QString, fileName);
        QCOMPARE(int(reading.request), request);
        QCOMPARE(reading.fileName, fileName);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
