// The main window's life with the scripted media player, in a program folder of its own: start-up
// and its settings, the play button and play states, opening and dropping files, the layouts and
// the snapshot ring they size, even short of memory, the options dialog and the settings at exit.
#include "WindowFixture.h"
#include "playback/OpenDialog.h"
#include "settings/frmOptions.h"
#include <QDeadlineTimer>
#include <QMimeData>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QUrl>

using PlayPicture = frmMain::PlayPicture;
const QString kClip = QStringLiteral("/clips/serve.avi"), kSecond = QStringLiteral("/clips/jump.avi");
const QString kTips = QStringLiteral("Play - Pause (Space)");
static QString config(const char *key) { return GetConfigValue(QLatin1String(key)); }
static void setConfig(const char *key, const QString &value) { SetConfigValue(QLatin1String(key), value); }
struct StartRow { QString stored, commandLine, written; bool splash; QString title; };
// settings as key=value; zoom as checkedZoom() gives it, 0: none checked
struct LoadRow { QString settings; int count, zoom, interval; QString box = {}, report = {}; };
Q_DECLARE_METATYPE(StartRow)
Q_DECLARE_METATYPE(LoadRow)
// memory: bytes left beyond the reserve, -1 the machine's; kept: the ring holds its snapshot still
struct OptionsRow { bool escape; QString zoom; int option, count, memory; QList<int> intervals; QStringList stored; bool kept; QString box = {}; };
Q_DECLARE_METATYPE(OptionsRow)

class TestWindow : public QObject {
    Q_OBJECT
    std::optional<WindowFixture> f;
    frmMain *w = nullptr; // the window of the last start
    frmMain &start(const QString &commandLine = {})
    {
        return *(w = &f->startWithFake({{kClip, {160, 120}, 12.4}, {kSecond, {320, 180}, 30.6}}, commandLine));
    }
    QWidget *video() const { return f->fake->widget(); }
    bool checked(const char *zoom) const { return child<QAction>(w, zoom)->isChecked(); }
    int checkedZoom() const { return checked("mnuZoom100") | checked("mnuZoom200") << 1 | checked("mnuZoomFit") << 2; }

private slots:
    void init() { f.emplace(); }
    void cleanup() { f.reset(), OpenDialog::setChooser({}); }
    // The start count goes up unless a file opens from the command line; below 5 the About box opens.
    void startCount_data()
    {
        const QString idle = QStringLiteral("Orvane Replixa");
        QTest::addColumn<StartRow>("row");
        QTest::newRow("fifth start") << StartRow{"4", "", "5", false, idle};
        QTest::newRow("file on command line") << StartRow{"3", '"' + kClip + '"', "3", false, idle + " - " + kClip};
    }
    void startCount()
    {
        QFETCH(StartRow, row);
        setConfig("StartCount", row.stored);
        start(row.commandLine);
        QCOMPARE(QStringList({config("StartCount"), w->windowTitle(), f->boxes.join('|') + w->msErrorMessages()}),
                 QStringList({row.written, row.title, ""}));
        QCOMPARE(child(w, "SplashTimer")->isEnabled(), row.splash);
        QTRY_COMPARE(f->closer.count(QStringLiteral("frmAbout")), row.splash ? 1 : 0);
    }
    // Settings, and what start-up makes of them (how each value reads is the settings' own test): the
    // ring's size with the cursor at its top, the checked zoom, the timers' interval, a message box,
    // or a failure reported with its routine and line, after which the later steps do not run.
    // Closing still writes a size.
    void loadSettings_data()
    {
        QTest::addColumn<LoadRow>("row");
        QTest::newRow("count 45, fit, 0.025 s") << LoadRow{"CaptureCount=45 zoom=3 FrameTime=0", 45, 4, 25};
        QTest::newRow("no slots, zoom 02, frame time 7") << LoadRow{"CaptureCount=0 zoom=02 FrameTime=7", 0, 1, 50,
                                                                    "frmOptions: "};
        const QString invalid = "LoadSettings: Invalid property value";
        QTest::newRow("width beyond any window") << LoadRow{"width=1e30", 0, 0, 50, "", invalid};
        QTest::newRow("negative width") << LoadRow{"width=-400", 0, 0, 50, "", invalid};
        QTest::newRow("huge count, told") << LoadRow{"CaptureCount=2000000000 zoom=2", 30, 2, 50, "", "LoadSettings: Overflow"};
    }
    void loadSettings()
    {
        QFETCH(LoadRow, row);
        for (const QString &setting : row.settings.split(' '))
            SetConfigValue(setting.section('=', 0, 0), setting.section('=', 1));
        start();
        const QList<int> got{w->mlCaptureCount(), w->mlCaptureSlot(), checkedZoom(), child(w, "PlayTimer")->interval(),
                             child(w, "ReviewTimer")->interval()};
        QCOMPARE(got, QList<int>({row.count, row.count, row.zoom, row.interval, row.interval}));
        QVERIFY2(row.box.isEmpty() ? f->boxes.isEmpty() : f->boxes.size() == 1 && f->boxes.at(0).startsWith(row.box),
                 qPrintable(f->boxes.join('|')));
        const QRegularExpression reported('^' + QRegularExpression::escape(row.report) + ", line [1-9][0-9]*\r\n$");
        const QString reports = w->msErrorMessages();
        QVERIFY2(row.report.isEmpty() ? reports.isEmpty() : reported.match(reports).hasMatch(), qPrintable(reports));
        QVERIFY(!child(w, "SplashTimer")->isEnabled());
        w->close();
        QVERIFY(config("width").toDouble() > 0);
    }
    // Before any medium the first Play/Pause takes the pause path; the next one the play path,
    // which has nothing to play. Of the states the player tells, playing captures and shows the
    // pause picture, paused keeps it, stopped or closed show the play picture; only playing stops
    // the review timer. Tips follow the user's play and pause only. Cancelled, the open dialog
    // leaves the video paused where it stood. A file that cannot open gets one message box with
    // the reason and the name as given. A drop without a local file is reported; of several the
    // first opens, with its size and length.
    void playStatesAndOpening()
    {
        start();
        CommandBar *bar = child<CommandBar>(w, "frCommand");
        QVERIFY(w->playPicture() == PlayPicture::StartupDisabled && !bar->cmdPlay->isEnabled());
        trigger(w, "mnuViewPlay");
        QVERIFY(w->playPicture() == PlayPicture::Play && bar->cmdPlay->toolTip() == kTips);
        trigger(w, "mnuViewPlay");
        QVERIFY(w->playPicture() == PlayPicture::Play && bar->cmdPlay->toolTip().isEmpty());
        w->OpenMedia(kClip);
        QTRY_VERIFY(child(w, "PlayTimer")->isEnabled() && bar->cmdPlay->isEnabled());
        QSignalSpy notified(f->fake, &MediaPlayer::PlayStateChange);
        using P = MediaPlayer;
        for (const auto &[state, picture] : {std::pair{P::Paused, PlayPicture::Pause}, {P::Closed, PlayPicture::Play},
                                             {P::Playing, PlayPicture::Pause}, {P::Stopped, PlayPicture::Play},
                                             {P::Playing, PlayPicture::Pause}}) {
            child(w, "ReviewTimer")->start();
            f->fake->setPlayState(state);
            QVERIFY(notified.wait());
            const bool capturing = state == MediaPlayer::Playing;
            QCOMPARE(child(w, "PlayTimer")->isEnabled(), capturing);
            QCOMPARE(child(w, "ReviewTimer")->isEnabled(), !capturing);
            QCOMPARE(w->playPicture(), picture);
        }
        bar->cmdPlay->click(); // pause
        QVERIFY(bar->cmdPlay->toolTip() == kTips && !bar->cmdLeft->toolTip().isEmpty());
        bar->cmdPlay->click(); // play
        QVERIFY(bar->cmdPlay->toolTip().isEmpty() && bar->cmdRight->toolTip().isEmpty());
        f->fake->SetCurrentPosition(4.5);
        QString chosen;
        OpenDialog::setChooser([&](const QString &, const QStringList &) { return chosen; });
        trigger(w, "mnuFileOpen");
        QVERIFY(f->fake->FileName() == kClip && f->fake->CurrentPosition() == 4.5);
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Paused));
        chosen = QStringLiteral("\"/clips/gone.avi\"");
        trigger(w, "mnuFileOpen");
        QMimeData data;
        data.setText(QStringLiteral("just some text"));
        w->Form_OLEDragDrop(&data);
        data.setUrls({QUrl(QStringLiteral("https://example.org/clip.mp4"))});
        w->Form_OLEDragDrop(&data);
        data.setData("text/uri-list", "file:clips/serve.avi"); // relative to wherever the program runs
        w->Form_OLEDragDrop(&data);
        QCOMPARE(w->msErrorMessages().count("Form_OLEDragDrop: The dropped item is not a file, line "), 3);
        QCOMPARE(f->boxes, QStringList{"unrecognized file format\r\n\"/clips/gone.avi\""});
        data.setUrls({QUrl::fromLocalFile(kSecond), QUrl::fromLocalFile(kClip), QUrl::fromLocalFile("/a.avi")});
        w->Form_OLEDragDrop(&data);
        QCOMPARE(QList<int>({w->mlVideoWidth(), w->mlVideoHeight(), w->mlDuration()}), QList<int>({320, 180, 31}));
        data.setData("text/uri-list", "# a file manager's list\r\nfile://localhost/clips/My%20Cl%C3%AFp.mp4\r\n");
        w->Form_OLEDragDrop(&data); // a blank and a letter beyond ASCII, encoded; a comment; a host
        QCOMPARE(f->fake->FileName(), QStringLiteral("/clips/My Cl\u00efp.mp4"));
        data.setData("text/uri-list", "file:///clips/caf%E9.avi"); // a Latin-1 name's byte, kept
        w->Form_OLEDragDrop(&data);
        QCOMPARE(f->fake->FileName(), QStringLiteral("/clips/caf\xDCE9.avi"));
        data.setData("text/uri-list", "file:///" + QByteArray(4000000, 'a')); // told at once, in a short box
        const QDeadlineTimer inTime(3000);
        w->Form_OLEDragDrop(&data);
        QVERIFY(!inTime.hasExpired() && f->boxes.size() == 4 && f->boxes[3].size() < 300);
    }
    // With memory for no snapshot at all, a start with a medium tells it once, and so does each zoom
    // asked for, which falls back to 100 % and pauses the video; the resizes that follow that layout
    // tell nothing more, capture and review are harmless on the empty ring, and a zoom with the
    // memory back fills it. (What fits at which zoom, and the message, are the sizing's own test.)
    void memoryToldOncePerLayout()
    {
        MemoryBudget::setAvailableOverride(MemoryBudget::kReserveBytes);
        start(kClip);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCOMPARE(f->boxes.size(), 1);
        QTRY_COMPARE(w->playPicture(), PlayPicture::Pause);
        trigger(w, "mnuZoom200");
        QCOMPARE(checkedZoom(), 1); // 100 %
        QTRY_COMPARE(video()->size(), QSize(160, 120));
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Paused));
        const QSize larger = w->size() + QSize(10, 10);
        w->resize(larger);
        QTRY_COMPARE(w->size(), larger);
        QCOMPARE(f->boxes.size(), 2);
        w->CaptureImage(); // neither fails on a ring without slots
        w->ShowImage(1);
        w->ShowImage(0);
        MemoryBudget::setAvailableOverride(std::nullopt);
        trigger(w, "mnuZoom200");
        QTRY_COMPARE(video()->size(), QSize(320, 240));
        QCOMPARE(f->boxes.size(), 2); // a fresh, blank slot at the player's size each (above 25 rows)
        QVERIFY(w->ring().isAllocated(30) && !w->ring().isWritten(1) && w->ring().slot(1).size() == QSize(320, 240));
        QCOMPARE(w->ring().bytesHeld(), 30 * 320 * 240 * 4);
        QCOMPARE(w->msErrorMessages(), QString());
    }
    // The dialog, opened over a playing video, pauses it and shows the stored frame time; Escape
    // stores the choice, the close box drops it. A new count of snapshots goes through the memory
    // check: one that does not fit is told with the largest that does, and the ring keeps its
    // snapshots. File > Exit then stores the zoom.
    void optionsDialogAndExit_data()
    {
        QTest::addColumn<OptionsRow>("row");
        const QString noFit = "Not enough video memory. Restart the application with reduced zoom or video window size, or "
                              "keep fewer snapshots (Edit > Options). At most 40 snapshots fit.";
        QTest::newRow("Escape, fit") << OptionsRow{true, "3", 3, 30, -1, {200, 200}, {"3", "3", "30"}, true};
        QTest::newRow("the window's close box, 200 %") << OptionsRow{false, "2", 3, 45, -1, {100, 100}, {"2", "2", "30"}, true};
        QTest::newRow("every frame, 40 snapshots") << OptionsRow{true, "1", 5, 40, 768000, {40, 40}, {"5", "1", "40"}, false};
        QTest::newRow("41 snapshots do not fit") << OptionsRow{true, "1", 4, 41, 768000, {500, 500}, {"4", "1", "30"}, true, noFit};
    }
    void optionsDialogAndExit()
    {
        QFETCH(OptionsRow, row);
        setConfig("FrameTime", QStringLiteral("2"));
        setConfig("zoom", row.zoom);
        start(kClip);
        w->ShowImage(0);
        w->CaptureImage();
        f->closer.closing = false;
        f->closer.inspector = [&](QWidget *modal) {
            auto *dialog = qobject_cast<frmOptions *>(modal);
            QVERIFY(dialog && dialog->optFreezeFrameTime[2]->isChecked() && dialog->captureCount() == 30);
            dialog->optFreezeFrameTime[std::size_t(row.option)]->setChecked(true);
            dialog->setCaptureCount(row.count);
            row.escape ? QTest::keyClick(dialog, Qt::Key_Escape) : void(dialog->close());
        };
        MemoryBudget::setAvailableOverride(row.memory < 0 ? std::nullopt : std::optional(MemoryBudget::kReserveBytes + row.memory));
        trigger(w, "mnuToolsOptions");
        MemoryBudget::setAvailableOverride(std::nullopt);
        QCOMPARE(f->closer.count(QStringLiteral("frmOptions")), 1);
        QCOMPARE(QList<int>({child(w, "PlayTimer")->interval(), child(w, "ReviewTimer")->interval()}), row.intervals);
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Paused));
        QCOMPARE(f->boxes.join('|'), row.box);
        QCOMPARE(w->ring().count(), row.stored[2].toInt());
        QVERIFY(w->ring().isAllocated(w->ring().count()) && w->ring().isWritten(w->ring().count()) == row.kept);
        w->show();
        trigger(w, "mnuFileExit");
        QCOMPARE(QStringList({config("FrameTime"), config("zoom"), config("CaptureCount")}), row.stored);
    }
};

REPLIXA_TEST_MAIN(TestWindow)
#include "test_window.moc"
