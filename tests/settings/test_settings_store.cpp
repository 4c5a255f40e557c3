// Reading and writing Replixa.ini: what reads as missing, what a write keeps byte for
// byte, and that a failing write leaves one message box and the old file.
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
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    static QByteArray fileBytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void expectOneBox(const QString &start) const
    {
        QCOMPARE(mBoxes.size(), 1);
        QVERIFY2(mBoxes.first().startsWith(start), qPrintable(mBoxes.first()));
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
        QTest::addColumn<QByteArray>("file"); // null: no file at all
        QTest::addColumn<QString>("expected");
        QTest::newRow("missing file") << QByteArray() << "";
        QTest::newRow("missing section") << QByteArray("[Other]\r\nCaptureCount=5\r\n") << "";
        QTest::newRow("missing key") << QByteArray("[Replixa]\r\nCapture=5\r\n") << "";
        QTest::newRow("placeholder") << QByteArray("[Replixa]\r\nCaptureCount=DUMMY_REGISTRY_VALUE\r\n") << "";
        QTest::newRow("placeholder other case")
            << QByteArray("[Replixa]\r\nCaptureCount=dummy_registry_value\r\n") << "dummy_registry_value";
        QTest::newRow("999 of 1000") << "[Replixa]\r\nCaptureCount=" + QByteArray(1000, 'x') + "\r\n" << QString(999, 'x');
        QTest::newRow("names in other case") << QByteArray("[rEPLIXA]\r\ncapturecount=7\r\n") << "7";
        QTest::newRow("trimmed") << QByteArray(" [ Replixa ] \r\n \t CaptureCount \t= \t 7 8\t \r\n") << "7 8";
        QTest::newRow("LF file") << QByteArray("[Replixa]\nCaptureCount=7\n") << "7";
        QTest::newRow("value with =") << QByteArray("[Replixa]\r\nCaptureCount=a=b\r\n") << "a=b";
        QTest::newRow("first key wins") << QByteArray("[Replixa]\r\nCaptureCount=1\r\nCaptureCount=2\r\n") << "1";
        QTest::newRow("comment is no key") << QByteArray("[Replixa]\r\n;CaptureCount=1\r\n#CaptureCount=2\r\n") << "";
        QTest::newRow("later section") << QByteArray("[Replixa]\r\nA=1\r\n[Other]\r\nCaptureCount=5\r\n") << "";
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
    void readKeepsBelowTheBufferSize()
    {
        putFile(settingsFilePath(), "[Replixa]\r\nA=abcdef\r\n");
        QCOMPARE(ProfileFile::read(settingsFilePath(), "Replixa", "A", "zz", 4), QStringLiteral("abc"));
        QCOMPARE(ProfileFile::read(settingsFilePath(), "Replixa", "B", "uvwxyz", 4), QStringLiteral("uvw"));
    }
    // Every write sets CaptureCount=30.
    void write_data()
    {
        QTest::addColumn<QByteArray>("before"); // null: no file at all
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("new file") << QByteArray() << QByteArray("[Replixa]\r\nCaptureCount=30\r\n");
        QTest::newRow("replaced in place")
            << QByteArray("; top\r\n[Other]\r\nCaptureCount=1\r\n\r\n[Replixa]\r\nA=1\r\n  capturecount = 5 \r\n"
                          "# note\r\nB=2\r\n\r\n[Last]\r\nZ=9")
            << QByteArray("; top\r\n[Other]\r\nCaptureCount=1\r\n\r\n[Replixa]\r\nA=1\r\nCaptureCount=30\r\n"
                          "# note\r\nB=2\r\n\r\n[Last]\r\nZ=9");
        QTest::newRow("added after the section's last line")
            << QByteArray("[replixa]\r\nA=1\r\n\r\n\r\n[Last]\r\nZ=9\r\n")
            << QByteArray("[replixa]\r\nA=1\r\nCaptureCount=30\r\n\r\n\r\n[Last]\r\nZ=9\r\n");
        QTest::newRow("added at an end without newline")
            << QByteArray("[Replixa]\r\nA=1") << QByteArray("[Replixa]\r\nA=1\r\nCaptureCount=30\r\n");
        QTest::newRow("section appended")
            << QByteArray("[Other]\r\nA=1\r\n\r\n") << QByteArray("[Other]\r\nA=1\r\n\r\n[Replixa]\r\nCaptureCount=30\r\n");
        QTest::newRow("section appended after newline")
            << QByteArray("[Other]\r\nA=1") << QByteArray("[Other]\r\nA=1\r\n[Replixa]\r\nCaptureCount=30\r\n");
        QTest::newRow("LF stays LF") << QByteArray("[Other]\nA=1\n") << QByteArray("[Other]\nA=1\n[Replixa]\nCaptureCount=30\n");
        QTest::newRow("Latin-1 bytes kept") << QByteArray("; caf\xe9\xff\r\n[Replixa]\r\nCaptureCount=1\r\n")
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
    // A refused write shows one box and leaves the old file, and nothing beside it. Every
    // write runs with files limited to 4 KiB, so the long value fails half-way.
    void refusedWrite_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("readOnlyFolder");
        QTest::addColumn<QString>("box");
        const QString invalid = "SetConfigValue: Invalid procedure call";
        QTest::newRow("= in key") << "Capture=Count" << "1" << false << invalid;
        QTest::newRow("[ in key") << "[Capture" << "1" << false << invalid;
        QTest::newRow("LF in value") << "CaptureCount" << "1\n[Evil]" << false << invalid;
        QTest::newRow("CR in value") << "CaptureCount" << "1\r2" << false << invalid;
        QTest::newRow("failing half-way") << "CaptureCount" << QString(100000, 'v') << false << "SetConfigValue: Disk full";
        QTest::newRow("read-only folder") << "CaptureCount" << "30" << true << "SetConfigValue: Permission denied";
    }
    void refusedWrite()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(bool, readOnlyFolder);
        QFETCH(QString, box);
        if (readOnlyFolder && geteuid() == 0)
            QSKIP("root writes into read-only folders");
        const QByteArray before = "; kept\r\n[Replixa]\r\nCaptureCount=5\r\n", folder = QFile::encodeName(mDir->path());
        putFile(settingsFilePath(), before);
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const rlimit lowered{4096, saved.rlim_max};
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(chmod(folder.constData(), readOnlyFolder ? 0500 : 0700), 0);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &lowered), 0);
        SetConfigValue(key, value);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
        chmod(folder.constData(), 0700);
        expectOneBox(box);
        QCOMPARE(fileBytes(settingsFilePath()), before);
        QCOMPARE(QDir(mDir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Replixa.ini"});
        QCOMPARE(GetConfigValue("CaptureCount"), QStringLiteral("5"));
    }
    void folderThatCannotBeWritten()
    {
        const QString plainFile = mDir->path() + "/plain";
        putFile(plainFile, "x");
        ProgramFolder::setOverride(plainFile + "/program");
        SetConfigValue("CaptureCount", "30");
        expectOneBox("SetConfigValue: Path not found");
        QCOMPARE(GetConfigValue("CaptureCount"), QString());
        QCOMPARE(mBoxes.size(), 1);
        QCOMPARE(fileBytes(plainFile), QByteArray("x"));
    }
    void settingsFileIsAFolder()
    {
        QVERIFY(QDir(mDir->path()).mkdir("Replixa.ini"));
        QCOMPARE(GetConfigValue("CaptureCount"), QString());
        expectOneBox("GetConfigValue: Path/File access error");
        QVERIFY(mBoxes.first().contains(settingsFilePath()));
        SetConfigValue("CaptureCount", "30");
        QCOMPARE(mBoxes.size(), 2);
        QVERIFY(mBoxes.last().startsWith("SetConfigValue: "));
        QVERIFY(QFileInfo(settingsFilePath()).isDir());
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "test_settings_store.moc"
