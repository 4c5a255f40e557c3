// Start-up and shutdown of the main window in a program folder of its own, with the
// scripted media player.

#include "ModalCloser.h"
#include "WindowFixture.h"

#include "app/ReplixaApplication.h"
#include "settings/SettingsStore.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <optional>

namespace {
const QList<WindowFixture::Medium> kMedia{{QStringLiteral("/clips/serve.avi"), QSize(160, 120), 12.4}};
QString config(const char *key) { return GetConfigValue(QLatin1String(key)); }
void setConfig(const char *key, const QString &value) { SetConfigValue(QLatin1String(key), value); }

struct StartRow {
    QString stored; // empty: a fresh folder
    QString commandLine, written;
    bool splash;
    QString title, box;
};
struct LoadRow {
    QString captureCount, zoom;
    int slotCount;
    QString storedAfter;
    int checkedZoom; // 1: 100 %, 2: 200 %, 3: fit
};
} // namespace

Q_DECLARE_METATYPE(StartRow)
Q_DECLARE_METATYPE(LoadRow)

class TestStartup : public QObject {
    Q_OBJECT

    std::optional<WindowFixture> f;
    std::optional<ModalCloser> closer;

    QString iniPath() const { return f->folder() + QStringLiteral("/Replixa.ini"); }
    void clearSettings() { QVERIFY(QFile::remove(iniPath())); }
    frmMain &start(const QString &commandLine = {}) { return f->startWithFake(kMedia, commandLine); }

private slots:
    void init() { f.emplace(); closer.emplace(); }
    void cleanup() { f.reset(); closer.reset(); }

    void freshFolderCreatesSettingsInOrder()
    {
        clearSettings();
        frmMain &w = start();
        QFile ini(iniPath());
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QCOMPARE(ini.readAll(), QByteArray("[Replixa]\r\nCaptureCount=30\r\nStartCount=1\r\n"));
        QCOMPARE(w.mlCaptureCount(), 30);
        QCOMPARE(w.mlCaptureSlot(), 30);
        QVERIFY(w.mnuZoom100->isChecked());
        QCOMPARE(w.PlayTimer->interval(), 50);
        QCOMPARE(w.ReviewTimer->interval(), 50);
        QVERIFY(w.msErrorMessages().isEmpty());
    }

    // The start count goes up (or starts again at 1) unless a file opens from the command line.
    void startCount_data()
    {
        const QString idle = QStringLiteral("Orvane Replixa");
        QTest::addColumn<StartRow>("row");
        QTest::newRow("not a number restarts at 1") << StartRow{"abc", "", "1", true, idle, ""};
        QTest::newRow("negative counts up") << StartRow{"-3", "", "-2", true, idle, ""};
        QTest::newRow("fourth start") << StartRow{"3", "", "4", true, idle, ""};
        QTest::newRow("fifth start") << StartRow{"4", "", "5", false, idle, ""};
        QTest::newRow("half rounds to even") << StartRow{"2.5", "", "4", true, idle, ""};
        QTest::newRow("file on command line")
            << StartRow{"3", "\"/clips/serve.avi\"", "3", false, "Orvane Replixa - /clips/serve.avi", ""};
        QTest::newRow("file that fails counts") << StartRow{"", "/clips/missing.avi", "1", true, "Orvane Replixa 2.6.0",
                                                            "unrecognized file format\r\n/clips/missing.avi"};
    }

    void startCount()
    {
        QFETCH(StartRow, row);
        if (row.stored.isEmpty())
            clearSettings();
        else
            setConfig("StartCount", row.stored);
        frmMain &w = start(row.commandLine);
        QCOMPARE(config("StartCount"), row.written);
        QCOMPARE(w.SplashTimer->isEnabled(), row.splash);
        QCOMPARE(w.windowTitle(), row.title);
        QCOMPARE(f->boxes, row.box.isEmpty() ? QStringList() : QStringList{row.box});
        if (row.title.contains(QLatin1String(" - "))) {
            QCOMPARE(w.mlDuration, 12);
            QCOMPARE(QSize(w.mlVideoWidth, w.mlVideoHeight), QSize(160, 120));
        }
    }

    void aboutOpensOnFirstFourStartsOnly()
    {
        clearSettings();
        for (int n = 1; n <= 5; ++n) {
            frmMain &w = start();
            w.show();
            if (n <= 4) {
                QTRY_COMPARE(closer->count(QStringLiteral("frmAbout")), n);
                QCOMPARE(closer->seen().last().caption, QStringLiteral("About Replixa 2.6.0"));
            }
            QCOMPARE(w.SplashTimer->isEnabled(), false);
            f->stop();
        }
        QCOMPARE(closer->count(QStringLiteral("frmAbout")), 4);
        QCOMPARE(config("StartCount"), QStringLiteral("5"));
    }

    void overflowingStartCountIsReported()
    {
        setConfig("CaptureCount", QStringLiteral("12"));
        setConfig("StartCount", QStringLiteral("32767"));
        frmMain &w = start();
        QCOMPARE(closer->count(QStringLiteral("frmError")), 1);
        static const QRegularExpression report(QStringLiteral("^Form_Load: Overflow, line [1-9][0-9]*\r\n$"));
        QVERIFY2(report.match(w.msErrorMessages()).hasMatch(), qPrintable(w.msErrorMessages()));
        QCOMPARE(config("StartCount"), QStringLiteral("32767"));
        QVERIFY(!w.SplashTimer->isEnabled());
        QCOMPARE(w.mlCaptureSlot(), 12); // the ring cursor is valid
    }

    void loadSettingsTable_data()
    {
        QTest::addColumn<LoadRow>("row");
        QTest::newRow("abc corrected to 30") << LoadRow{"abc", "3", 30, "30", 3};
        QTest::newRow("45 kept") << LoadRow{"45", "2", 45, "45", 2};
        QTest::newRow("2.5 gives 2") << LoadRow{"2.5", "1", 2, "2.5", 1};
        QTest::newRow("3.5 gives 4") << LoadRow{"3.5", "0", 4, "3.5", 1};
        QTest::newRow("zero slots") << LoadRow{"0", "02", 0, "0", 1};
        QTest::newRow("zoom 4 is 100 %") << LoadRow{"30", "4", 30, "30", 1};
        QTest::newRow("empty zoom is 100 %") << LoadRow{"30", "", 30, "30", 1};
    }

    void loadSettingsTable()
    {
        QFETCH(LoadRow, row);
        setConfig("CaptureCount", row.captureCount);
        setConfig("zoom", row.zoom);
        frmMain &w = start();
        QCOMPARE(w.mlCaptureCount(), row.slotCount);
        QCOMPARE(w.mlCaptureSlot(), row.slotCount);
        QCOMPARE(config("CaptureCount"), row.storedAfter);
        QCOMPARE(w.mnuZoom100->isChecked() + 2 * w.mnuZoom200->isChecked() + 3 * w.mnuZoomFit->isChecked(),
                 row.checkedZoom);
        QVERIFY(w.msErrorMessages().isEmpty());
    }

    void badSettingsAreReportedAndNotApplied_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("description");
        QTest::newRow("width not a number") << "width" << "abc" << "Type mismatch";
        QTest::newRow("width beyond any window") << "width" << "1e30" << "Invalid property value";
        QTest::newRow("height beyond a single") << "height" << "1e40" << "Overflow";
        QTest::newRow("negative width") << "width" << "-400" << "Invalid property value";
        QTest::newRow("huge count") << "CaptureCount" << "2000000000" << "Overflow";
        QTest::newRow("negative count") << "CaptureCount" << "-5" << "Subscript out of range";
    }

    void badSettingsAreReportedAndNotApplied()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, description);
        SetConfigValue(key, value);
        frmMain &w = start();
        QVERIFY2(w.msErrorMessages().startsWith(QStringLiteral("LoadSettings: ") + description + ", line "),
                 qPrintable(w.msErrorMessages()));
        // The steps after the failing one did not run: no ring sized, no zoom checked.
        QCOMPARE(w.mlCaptureCount(), 0);
        QCOMPARE(w.mlCaptureSlot(), 0);
        QVERIFY(!w.mnuZoom100->isChecked());
        QCOMPARE(GetConfigValue(key), value);
        w.close(); // still writes a usable size
        QVERIFY(config("width").toDouble() > 0);
    }

    void closingWritesSizeAndZoom()
    {
        for (const QString zoom : {"1", "2", "3"}) {
            setConfig("zoom", zoom);
            frmMain &w = start();
            w.show();
            w.resize(700, 500);
            const double width = w.outerWidthTwips(), height = w.outerHeightTwips();
            w.mnuFileExit->trigger();
            QVERIFY(!w.isVisible());
            QCOMPARE(config("zoom"), zoom);
            QCOMPARE(config("width"), QString::number(width));
            QCOMPARE(config("height"), QString::number(height));
            frmMain &next = start(); // restores that outer size
            QCOMPARE(next.outerWidthTwips(), width);
            QCOMPARE(next.outerHeightTwips(), height);
        }
    }
};

int main(int argc, char **argv)
{
    ReplixaApplication app(argc, argv);
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_startup.moc"
