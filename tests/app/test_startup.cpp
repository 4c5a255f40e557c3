// Start-up, the settings it reads, the options dialog, and the settings written at
// shutdown, with the scripted media player in a program folder of its own.

#include "WindowFixture.h"

#include "settings/frmOptions.h"

#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

namespace {
QString config(const char *key) { return GetConfigValue(QLatin1String(key)); }
void setConfig(const char *key, const QString &value) { SetConfigValue(QLatin1String(key), value); }

struct StartRow {
    QString stored, commandLine, written; // stored empty: a fresh folder
    bool splash;
    QString title, box;
};
struct LoadRow {
    QString captureCount, zoom, frameTime;
    int count, checkedZoom, interval; // checkedZoom 1: 100 %, 2: 200 %, 3: fit
    QString storedCount, box;
};
} // namespace

Q_DECLARE_METATYPE(StartRow)
Q_DECLARE_METATYPE(LoadRow)

class TestStartup : public QObject {
    Q_OBJECT
    std::optional<WindowFixture> f;
    frmMain &start(const QString &commandLine = {})
    {
        return f->startWithFake({{QStringLiteral("/clips/serve.avi"), QSize(160, 120), 12.4}}, commandLine);
    }
private slots:
    void init() { f.emplace(); }
    void cleanup() { f.reset(); }
    // The start count goes up (or starts again at 1) unless a file opens from the command
    // line; below 5 the About box opens. A fresh folder gets its settings in this order.
    void startCount_data()
    {
        const QString idle = QStringLiteral("Orvane Replixa");
        QTest::addColumn<StartRow>("row");
        QTest::newRow("fresh folder") << StartRow{"", "", "1", true, idle, ""};
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
        QFile ini(f->folder() + QStringLiteral("/Replixa.ini"));
        if (row.stored.isEmpty())
            QVERIFY(ini.remove());
        else
            setConfig("StartCount", row.stored);
        frmMain &w = start(row.commandLine);
        QCOMPARE(config("StartCount"), row.written);
        QCOMPARE(w.SplashTimer->isEnabled(), row.splash);
        QTRY_COMPARE(f->closer.count(QStringLiteral("frmAbout")), row.splash ? 1 : 0);
        QCOMPARE(w.windowTitle(), row.title);
        QCOMPARE(f->boxes, row.box.isEmpty() ? QStringList() : QStringList{row.box});
        QVERIFY(w.msErrorMessages().isEmpty());
        if (row.title.contains(QLatin1String(" - ")))
            QCOMPARE(QList<int>({w.mlDuration, w.mlVideoWidth, w.mlVideoHeight}), QList<int>({12, 160, 120}));
        if (row.stored.isEmpty()) {
            QVERIFY(ini.open(QIODevice::ReadOnly));
            QCOMPARE(ini.readAll(), QByteArray("[Replixa]\r\nCaptureCount=30\r\nStartCount=1\r\n"));
        }
    }
    void loadSettings_data()
    {
        QTest::addColumn<LoadRow>("row");
        QTest::newRow("count abc corrected to 30, fit, 0.05 s") << LoadRow{"abc", "3", "", 30, 3, 50, "30", ""};
        QTest::newRow("count 45 kept, 200 %, 0.025 s") << LoadRow{"45", "2", "0", 45, 2, 25, "45", ""};
        QTest::newRow("count 2.5 gives 2, 0.2 s") << LoadRow{"2.5", "1", "3", 2, 1, 200, "2.5", ""};
        QTest::newRow("count 3.5 gives 4, zoom 0 is 100 %, 0.5 s") << LoadRow{"3.5", "0", "4", 4, 1, 500, "3.5", ""};
        QTest::newRow("no slots, zoom 02, frame time 7") << LoadRow{"0", "02", "7", 0, 1, 50, "0", "frmOptions: "};
        QTest::newRow("zoom 4, frame time fast") << LoadRow{"30", "4", "fast", 30, 1, 50, "30", "frmOptions: "};
        QTest::newRow("empty zoom is 100 %") << LoadRow{"30", "", "", 30, 1, 50, "30", ""};
    }
    void loadSettings()
    {
        QFETCH(LoadRow, row);
        setConfig("CaptureCount", row.captureCount);
        setConfig("zoom", row.zoom);
        if (!row.frameTime.isEmpty())
            setConfig("FrameTime", row.frameTime);
        frmMain &w = start();
        const int zoom = w.mnuZoom100->isChecked() + 2 * w.mnuZoom200->isChecked() + 3 * w.mnuZoomFit->isChecked();
        const QList<int> got{w.mlCaptureCount(), w.mlCaptureSlot(), zoom, w.PlayTimer->interval(), w.ReviewTimer->interval()};
        QCOMPARE(got, QList<int>({row.count, row.count, row.checkedZoom, row.interval, row.interval}));
        QCOMPARE(config("CaptureCount"), row.storedCount);
        QVERIFY2(row.box.isEmpty() ? f->boxes.isEmpty() : f->boxes.size() == 1 && f->boxes.at(0).startsWith(row.box),
                 qPrintable(f->boxes.join('|')));
        QVERIFY(w.msErrorMessages().isEmpty());
    }
    // A setting that fails is reported with the routine, the failure and its line; the
    // steps after it do not run, the stored value stays, and closing still writes a size.
    void badSettingsAreReported_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("report");
        QTest::addColumn<int>("ring"); // the ring's size after the failure
        QTest::newRow("width not a number") << "width" << "abc" << "LoadSettings: Type mismatch" << 0;
        QTest::newRow("width beyond any window") << "width" << "1e30" << "LoadSettings: Invalid property value" << 0;
        QTest::newRow("height beyond a single") << "height" << "1e40" << "LoadSettings: Overflow" << 0;
        QTest::newRow("negative width") << "width" << "-400" << "LoadSettings: Invalid property value" << 0;
        QTest::newRow("huge count") << "CaptureCount" << "2000000000" << "LoadSettings: Overflow" << 0;
        QTest::newRow("negative count") << "CaptureCount" << "-5" << "LoadSettings: Subscript out of range" << 0;
        QTest::newRow("start count overflows") << "StartCount" << "32767" << "Form_Load: Overflow" << 30;
    }
    void badSettingsAreReported()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, report);
        QFETCH(int, ring);
        SetConfigValue(key, value);
        frmMain &w = start();
        const QRegularExpression reported('^' + QRegularExpression::escape(report) + ", line [1-9][0-9]*\r\n$");
        QVERIFY2(reported.match(w.msErrorMessages()).hasMatch(), qPrintable(w.msErrorMessages()));
        QCOMPARE(f->closer.count(QStringLiteral("frmError")), 1);
        QCOMPARE(QList<int>({w.mlCaptureCount(), w.mlCaptureSlot()}), QList<int>({ring, ring})); // a valid cursor
        QCOMPARE(w.mnuZoom100->isChecked(), ring > 0);
        QVERIFY(!w.SplashTimer->isEnabled());
        QCOMPARE(GetConfigValue(key), value);
        w.close();
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
            w.findChild<QAction *>("mnuFileExit")->trigger();
            QVERIFY(!w.isVisible());
            QCOMPARE(QStringList({config("zoom"), config("width"), config("height")}),
                     QStringList({zoom, QString::number(width), QString::number(height)}));
            frmMain &next = start(); // restores that outer size
            QCOMPARE(QList<double>({next.outerWidthTwips(), next.outerHeightTwips()}), QList<double>({width, height}));
        }
    }
    // The dialog, opened over a playing video, shows the stored frame time; each way of
    // closing it but the close box stores the choice, which the timers and the next start use.
    void optionsDialog_data()
    {
        QTest::addColumn<int>("key"); // 0: the Close button, -1: the window's close box
        QTest::addColumn<bool>("stored");
        QTest::newRow("Close button") << 0 << true;
        QTest::newRow("Enter") << int(Qt::Key_Return) << true;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << true;
        QTest::newRow("the window's close box") << -1 << false;
    }
    void optionsDialog()
    {
        QFETCH(int, key);
        QFETCH(bool, stored);
        setConfig("FrameTime", QStringLiteral("2"));
        frmMain &w = start(QStringLiteral("/clips/serve.avi"));
        f->closer.closing = false;
        f->closer.inspector = [&](QWidget *modal) {
            auto *dialog = qobject_cast<frmOptions *>(modal);
            QVERIFY(dialog && dialog->optFreezeFrameTime[2]->isChecked());
            dialog->optFreezeFrameTime[3]->setChecked(true);
            key > 0 ? QTest::keyClick(dialog, Qt::Key(key)) : key == 0 ? dialog->OKButton->click() : void(dialog->close());
        };
        w.findChild<QAction *>("mnuToolsOptions")->trigger();
        QCOMPARE(f->closer.count(QStringLiteral("frmOptions")), 1);
        QCOMPARE(config("FrameTime"), stored ? QStringLiteral("3") : QStringLiteral("2"));
        const int interval = stored ? 200 : 100;
        QCOMPARE(QList<int>({w.PlayTimer->interval(), w.ReviewTimer->interval()}), QList<int>({interval, interval}));
        QVERIFY(w.optionsDialog()->optFreezeFrameTime[stored ? 3 : 2]->isChecked());
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Paused)); // paused for the dialog, and stays so
        QTRY_VERIFY(!w.PlayTimer->isEnabled());
        QCOMPARE(start().PlayTimer->interval(), interval);
    }
};

REPLIXA_TEST_MAIN(TestStartup)
#include "test_startup.moc"
