// Start-up, the settings it reads, the options dialog, and the settings written at
// shutdown, with the scripted media player in a program folder of its own.
#include "WindowFixture.h"
#include "settings/Numbers.h"
#include "settings/frmOptions.h"
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

static QString config(const char *key) { return GetConfigValue(QLatin1String(key)); }
static void setConfig(const char *key, const QString &value) { SetConfigValue(QLatin1String(key), value); }
// stored empty: a fresh folder
struct StartRow { QString stored, commandLine, written; bool splash; QString title, box; };
// settings as key=value; zoom 1: 100 %, 2: 200 %, 3: fit, 0: none checked
struct LoadRow { QString settings; int count, zoom, interval; QString box = {}, report = {}; };
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
        QCOMPARE(QStringList({config("StartCount"), w.windowTitle(), f->boxes.join('|'), w.msErrorMessages()}),
                 QStringList({row.written, row.title, row.box, ""}));
        QCOMPARE(w.SplashTimer->isEnabled(), row.splash);
        QTRY_COMPARE(f->closer.count(QStringLiteral("frmAbout")), row.splash ? 1 : 0);
        if (row.title.contains(QLatin1String(" - ")))
            QCOMPARE(QList<int>({w.mlDuration, w.mlVideoWidth, w.mlVideoHeight}), QList<int>({12, 160, 120}));
        if (row.stored.isEmpty()) {
            QVERIFY(ini.open(QIODevice::ReadOnly));
            QCOMPARE(ini.readAll(), QByteArray("[Replixa]\r\nCaptureCount=30\r\nStartCount=1\r\n"));
        }
    }
    // Settings, and what start-up makes of them: the ring's size with the cursor at its top, the
    // checked zoom, the timers' interval, a message box, or a failure reported with its routine
    // and line, after which the later steps do not run. A count that is no number is stored as
    // 30, and so is one the ring cannot take; every other value stays as it was, and closing
    // still writes a size.
    void loadSettings_data()
    {
        QTest::addColumn<LoadRow>("row");
        QTest::newRow("count abc is 30, fit, 0.05 s") << LoadRow{"CaptureCount=abc zoom=3", 30, 3, 50, "", ""};
        QTest::newRow("count 45, 200 %, 0.025 s") << LoadRow{"CaptureCount=45 zoom=2 FrameTime=0", 45, 2, 25, "", ""};
        QTest::newRow("count 2.5 gives 2, 0.2 s") << LoadRow{"CaptureCount=2.5 zoom=1 FrameTime=3", 2, 1, 200, "", ""};
        QTest::newRow("count 3.5 gives 4, zoom 0, 0.5 s") << LoadRow{"CaptureCount=3.5 zoom=0 FrameTime=4", 4, 1, 500};
        QTest::newRow("no slots, zoom 02, frame time 7") << LoadRow{"CaptureCount=0 zoom=02 FrameTime=7", 0, 1, 50,
                                                                    "frmOptions: "};
        QTest::newRow("zoom 4, frame time fast") << LoadRow{"zoom=4 FrameTime=fast", 30, 1, 50, "frmOptions: "};
        QTest::newRow("empty zoom is 100 %") << LoadRow{"zoom=", 30, 1, 50};
        const QString type = "LoadSettings: Type mismatch", invalid = "LoadSettings: Invalid property value";
        QTest::newRow("width not a number") << LoadRow{"width=abc", 0, 0, 50, "", type};
        QTest::newRow("width beyond any window") << LoadRow{"width=1e30", 0, 0, 50, "", invalid};
        QTest::newRow("height beyond a single") << LoadRow{"height=1e40", 0, 0, 50, "", "LoadSettings: Overflow"};
        QTest::newRow("negative width") << LoadRow{"width=-400", 0, 0, 50, "", invalid};
        // A count the ring cannot take is told once, then 30 is used and stored.
        QTest::newRow("huge count") << LoadRow{"CaptureCount=2000000000 zoom=2", 30, 2, 50, "", "LoadSettings: Overflow"};
        QTest::newRow("too many") << LoadRow{"CaptureCount=32768", 30, 1, 50, "", "LoadSettings: Overflow"};
        QTest::newRow("negative count")
            << LoadRow{"CaptureCount=-5", 30, 1, 50, "", "LoadSettings: Subscript out of range"};
        // Past the fifth start the count stops: a count beyond 16 bits is no failure.
        QTest::newRow("start count at its limit") << LoadRow{"StartCount=32767", 30, 1, 50};
    }
    void loadSettings()
    {
        QFETCH(LoadRow, row);
        const QStringList settings = row.settings.split(' ');
        for (const QString &setting : settings)
            SetConfigValue(setting.section('=', 0, 0), setting.section('=', 1));
        frmMain &w = start();
        const int zoom = w.mnuZoom100->isChecked() + 2 * w.mnuZoom200->isChecked() + 3 * w.mnuZoomFit->isChecked();
        const QList<int> got{w.mlCaptureCount(), w.mlCaptureSlot(), zoom, w.PlayTimer->interval(),
                             w.ReviewTimer->interval()};
        QCOMPARE(got, QList<int>({row.count, row.count, row.zoom, row.interval, row.interval}));
        QVERIFY2(row.box.isEmpty() ? f->boxes.isEmpty() : f->boxes.size() == 1 && f->boxes.at(0).startsWith(row.box),
                 qPrintable(f->boxes.join('|')));
        const QRegularExpression reported('^' + QRegularExpression::escape(row.report) + ", line [1-9][0-9]*\r\n$");
        QVERIFY2(row.report.isEmpty() ? w.msErrorMessages().isEmpty() : reported.match(w.msErrorMessages()).hasMatch(),
                 qPrintable(w.msErrorMessages()));
        QCOMPARE(f->closer.count(QStringLiteral("frmError")), row.report.isEmpty() ? 0 : 1);
        QVERIFY(!w.SplashTimer->isEnabled());
        for (const QString &setting : settings) {
            const QString key = setting.section('=', 0, 0), value = setting.section('=', 1);
            const bool healed = key == "CaptureCount" && (!Numbers::readsAsNumber(value) || !row.report.isEmpty());
            QCOMPARE(GetConfigValue(key), healed ? "30" : value);
        }
        w.close();
        QVERIFY(config("width").toDouble() > 0);
    }
    // The dialog, opened over a playing video, shows the stored frame time; each way of
    // closing it but the close box stores the choice. File > Exit then stores the zoom and
    // the outer size; the next start takes them all.
    void optionsDialogAndExit_data()
    {
        QTest::addColumn<int>("key"); // 0: the Close button, -1: the window's close box
        QTest::addColumn<QString>("zoom");
        QTest::newRow("Close button, 100 %") << 0 << "1";
        QTest::newRow("Enter, 200 %") << int(Qt::Key_Return) << "2";
        QTest::newRow("Escape, fit") << int(Qt::Key_Escape) << "3";
        QTest::newRow("the window's close box") << -1 << "1";
    }
    void optionsDialogAndExit()
    {
        QFETCH(int, key);
        QFETCH(QString, zoom);
        const bool stored = key >= 0;
        setConfig("FrameTime", QStringLiteral("2"));
        setConfig("zoom", zoom);
        frmMain &w = start(QStringLiteral("/clips/serve.avi"));
        f->closer.closing = false;
        f->closer.inspector = [&](QWidget *modal) {
            auto *dialog = qobject_cast<frmOptions *>(modal);
            QVERIFY(dialog && dialog->optFreezeFrameTime[2]->isChecked());
            dialog->optFreezeFrameTime[3]->setChecked(true);
            key > 0 ? QTest::keyClick(dialog, Qt::Key(key)) : key ? void(dialog->close()) : dialog->OKButton->click();
        };
        w.findChild<QAction *>("mnuToolsOptions")->trigger();
        QCOMPARE(f->closer.count(QStringLiteral("frmOptions")), 1);
        const int interval = stored ? 200 : 100;
        QCOMPARE(QList<int>({w.PlayTimer->interval(), w.ReviewTimer->interval()}), QList<int>({interval, interval}));
        QVERIFY(w.optionsDialog()->optFreezeFrameTime[stored ? 3 : 2]->isChecked());
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Paused)); // paused for the dialog, and stays so
        QTRY_VERIFY(!w.PlayTimer->isEnabled());
        w.show();
        w.resize(700, 500);
        const double width = w.outerWidthTwips(), height = w.outerHeightTwips();
        w.findChild<QAction *>("mnuFileExit")->trigger();
        QVERIFY(!w.isVisible());
        QCOMPARE(QStringList({config("FrameTime"), config("zoom"), config("width"), config("height")}),
                 QStringList({stored ? "3" : "2", zoom, QString::number(width), QString::number(height)}));
        frmMain &next = start();
        QCOMPARE(QList<double>({double(next.PlayTimer->interval()), next.outerWidthTwips(), next.outerHeightTwips()}),
                 QList<double>({double(interval), width, height}));
    }
};

REPLIXA_TEST_MAIN(TestStartup)
#include "test_startup.moc"
