// Checks reading and writing Replixa.ini: what reads as missing, what a write keeps
// byte for byte, and that a failing write leaves one message box and the old file.
#include "errors/MessageBox.h"
#include "settings/ProfileFile.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

class TestSettingsStore : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> mDir;
    QStringList mBoxes;

    static void putFile(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    static QByteArray fileBytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Writes the previous file, runs the write, and checks it is refused with one box.
    void expectRefusedWrite(const QString &key, const QString &value, const char *reason)
    {
        const QByteArray before = "; kept\r\n[Replixa]\r\nCaptureCount=5\r\n";
        putFile(settingsFilePath(), before);
        SetConfigValue(key, value);
        QCOMPARE(mBoxes.size(), 1);
        QVERIFY2(mBoxes.first().startsWith("SetConfigValue: " + QString::fromLatin1(reason)), qPrintable(mBoxes.first()));
        QCOMPARE(fileBytes(settingsFilePath()), before);
        QCOMPARE(QDir(mDir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Replixa.ini"});
    }

private slots:
    void init()
    {
        mDir = std::make_unique<QTemporaryDir>();
        QVERIFY(mDir->isValid());
        ProgramFolder::setOverride(mDir->path());
        mBoxes.clear();
        MessageBox::setPresenter([this](const QString &, const QString &text, MessageBox::Icon) { mBoxes << text; });
    }
    void cleanup()
    {
        MessageBox::setPresenter({});
        ProgramFolder::setOverride({});
        mDir.reset();
    }

    void settingsFileFollowsTheProgramFolder()
    {
        QCOMPARE(settingsFilePath(), mDir->path() + "/Replixa.ini");
        ProgramFolder::setOverride({});
        QCOMPARE(settingsFilePath(), QCoreApplication::applicationDirPath() + "/Replixa.ini");
    }

    void read_data()
    {
        QTest::addColumn<QByteArray>("file"); // a null array: no file at all
        QTest::addColumn<QString>("expected");
        const QByteArray longValue(1000, 'x');
        QTest::newRow("missing file") << QByteArray() << "";
        QTest::newRow("missing section") << QByteArray("[Other]\r\nCaptureCount=5\r\n") << "";
        QTest::newRow("missing key") << QByteArray("[Replixa]\r\nCapture=5\r\n") << "";
        QTest::newRow("placeholder") << QByteArray("[Replixa]\r\nCaptureCount=DUMMY_REGISTRY_VALUE\r\n") << "";
        QTest::newRow("placeholder other case")
            << QByteArray("[Replixa]\r\nCaptureCount=dummy_registry_value\r\n") << "dummy_registry_value";
        QTest::newRow("999 of 1000") << "[Replixa]\r\nCaptureCount=" + longValue + "\r\n" << QString(999, 'x');
        QTest::newRow("names in other case") << QByteArray("[rEPLIXA]\r\ncapturecount=7\r\n") << "7";
        QTest::newRow("trimmed") << QByteArray(" [ Replixa ] \r\n \t CaptureCount \t= \t 7 8\t \r\n") << "7 8";
        QTest::newRow("LF file") << QByteArray("[Replixa]\nCaptureCount=7\n") << "7";
        QTest::newRow("value with =") << QByteArray("[Replixa]\r\nCaptureCount=a=b\r\n") << "a=b";
        QTest::newRow("first key wins") << QByteArray("[Replixa]\r\nCaptureCount=1\r\nCaptureCount=2\r\n") << "1";
        QTest::newRow("comment is no key") << QByteArray("[Replixa]\r\n;CaptureCount=1\r\n#CaptureCount=2\r\n") << "";
        QTest::newRow("key of a later section")
            << QByteArray("[Replixa]\r\nA=1\r\n[Other]\r\nCaptureCount=5\r\n") << "";
        QTest::newRow("Latin-1") << QByteArray("[Replixa]\r\nCaptureCount=caf\xe9\r\n") << QString::fromLatin1("caf\xe9");
    }
    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        if (!file.isNull())
            putFile(settingsFilePath(), file);
        QCOMPARE(GetConfigValue("CaptureCount"), expected);
        QCOMPARE(mBoxes, QStringList());
    }

    void write_data()
    {
        QTest::addColumn<QByteArray>("before"); // a null array: no file at all
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("new file") << QByteArray() << QByteArray("[Replixa]\r\nCaptureCount=30\r\n");
        QTest::newRow("key replaced in place")
            << QByteArray("; top\r\n[Other]\r\nCaptureCount=1\r\n\r\n[Replixa]\r\nA=1\r\n  capturecount = 5 \r\n"
                          "# note\r\nB=2\r\n\r\n[Last]\r\nZ=9")
            << QByteArray("; top\r\n[Other]\r\nCaptureCount=1\r\n\r\n[Replixa]\r\nA=1\r\nCaptureCount=30\r\n"
                          "# note\r\nB=2\r\n\r\n[Last]\r\nZ=9");
        QTest::newRow("key added after the section's last line")
            << QByteArray("[replixa]\r\nA=1\r\n\r\n\r\n[Last]\r\nZ=9\r\n")
            << QByteArray("[replixa]\r\nA=1\r\nCaptureCount=30\r\n\r\n\r\n[Last]\r\nZ=9\r\n");
        QTest::newRow("key added at the end without newline")
            << QByteArray("[Replixa]\r\nA=1") << QByteArray("[Replixa]\r\nA=1\r\nCaptureCount=30\r\n");
        QTest::newRow("section appended")
            << QByteArray("[Other]\r\nA=1\r\n\r\n") << QByteArray("[Other]\r\nA=1\r\n\r\n[Replixa]\r\nCaptureCount=30\r\n");
        QTest::newRow("section appended after newline")
            << QByteArray("[Other]\r\nA=1") << QByteArray("[Other]\r\nA=1\r\n[Replixa]\r\nCaptureCount=30\r\n");
        QTest::newRow("LF stays LF")
            << QByteArray("[Other]\nA=1\n") << QByteArray("[Other]\nA=1\n[Replixa]\nCaptureCount=30\n");
        QTest::newRow("Latin-1 bytes kept")
            << QByteArray("; caf\xe9\xff\r\n[Replixa]\r\nCaptureCount=1\r\n")
            << QByteArray("; caf\xe9\xff\r\n[Replixa]\r\nCaptureCount=30\r\n");
    }
    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        if (!before.isNull())
            putFile(settingsFilePath(), before);
        SetConfigValue("CaptureCount", "30");
        QCOMPARE(mBoxes, QStringList());
        QCOMPARE(fileBytes(settingsFilePath()), after);
        QCOMPARE(GetConfigValue("CaptureCount"), QStringLiteral("30"));
    }

    void unsafeInputRefused_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("= in key") << "Capture=Count" << "1";
        QTest::newRow("[ in key") << "[Capture" << "1";
        QTest::newRow("LF in value") << "CaptureCount" << "1\n[Evil]";
        QTest::newRow("CR in value") << "CaptureCount" << "1\r2";
    }
    void unsafeInputRefused()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        expectRefusedWrite(key, value, "Invalid procedure call");
    }

    void writeFailingHalfWayKeepsPreviousFile()
    {
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit lowered = saved;
        lowered.rlim_cur = 4096;
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &lowered), 0);
        expectRefusedWrite("CaptureCount", QString(100000, 'v'), "Disk full");
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }

    void folderThatCannotBeWritten()
    {
        const QString plainFile = mDir->path() + "/plain";
        putFile(plainFile, "x");
        ProgramFolder::setOverride(plainFile + "/program");
        SetConfigValue("CaptureCount", "30");
        QCOMPARE(mBoxes.size(), 1);
        QVERIFY2(mBoxes.first().startsWith("SetConfigValue: Path not found"), qPrintable(mBoxes.first()));
        QCOMPARE(GetConfigValue("CaptureCount"), QString());
        QCOMPARE(mBoxes.size(), 1);
        QCOMPARE(fileBytes(plainFile), QByteArray("x"));
    }

    void readOnlyFolder()
    {
        if (geteuid() == 0)
            QSKIP("root writes into read-only folders");
        putFile(settingsFilePath(), "[Replixa]\r\nCaptureCount=5\r\n");
        QCOMPARE(chmod(QFile::encodeName(mDir->path()).constData(), 0555), 0);
        SetConfigValue("CaptureCount", "30");
        chmod(QFile::encodeName(mDir->path()).constData(), 0755);
        QCOMPARE(mBoxes.size(), 1);
        QVERIFY2(mBoxes.first().startsWith("SetConfigValue: Permission denied"), qPrintable(mBoxes.first()));
        QCOMPARE(GetConfigValue("CaptureCount"), QStringLiteral("5"));
    }

    void readKeepsBelowTheBufferSize()
    {
        putFile(settingsFilePath(), "[Replixa]\r\nA=abcdef\r\n");
        QCOMPARE(ProfileFile::read(settingsFilePath(), "Replixa", "A", "zz", 4), QStringLiteral("abc"));
        QCOMPARE(ProfileFile::read(settingsFilePath(), "Replixa", "B", "uvwxyz", 4), QStringLiteral("uvw"));
    }

    void settingsFileIsAFolder()
    {
        QVERIFY(QDir(mDir->path()).mkdir("Replixa.ini"));
        QCOMPARE(GetConfigValue("CaptureCount"), QString());
        QCOMPARE(mBoxes.size(), 1);
        QVERIFY2(mBoxes.first().startsWith("GetConfigValue: Path/File access error"), qPrintable(mBoxes.first()));
        QVERIFY(mBoxes.first().contains(settingsFilePath()));
        SetConfigValue("CaptureCount", "30");
        QCOMPARE(mBoxes.size(), 2);
        QVERIFY(mBoxes.last().startsWith("SetConfigValue: "));
        QVERIFY(QFileInfo(settingsFilePath()).isDir());
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "test_settings_store.moc"
