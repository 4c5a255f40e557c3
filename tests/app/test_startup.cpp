// Start-up and shutdown of the main window against a fresh program folder each time,
// with the scripted media player.

#include "FakeMediaPlayer.h"
#include "ModalCloser.h"

#include "app/ReplixaApplication.h"
#include "app/frmMain.h"
#include "errors/MessageBox.h"
#include "settings/SettingsStore.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {
const char *const kClip = "/clips/serve.avi";

std::unique_ptr<frmMain> makeWindow(const QString &commandLine = {})
{
    return std::make_unique<frmMain>(
        [](QWidget *parent) -> std::unique_ptr<MediaPlayer> {
            auto player = std::make_unique<FakeMediaPlayer>(parent);
            player->addMedium(QString::fromLatin1(kClip), QSize(160, 120), 12.4);
            return player;
        },
        commandLine);
}
} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        mFolder = std::make_unique<QTemporaryDir>();
        QVERIFY(mFolder->isValid());
        ProgramFolder::setOverride(mFolder->path());
        mBoxes.clear();
        MessageBox::setPresenter([this](const QString &, const QString &text, MessageBox::Icon) { mBoxes << text; });
    }

    void cleanup()
    {
        MessageBox::setPresenter({});
        ProgramFolder::setOverride({});
    }

    void freshFolderCreatesSettingsInOrder()
    {
        ModalCloser closer;
        auto window = makeWindow();
        window->Form_Load();
        QCOMPARE(readIni(), QByteArray("[Replixa]\r\nCaptureCount=30\r\nStartCount=1\r\n"));
        QCOMPARE(window->mlCaptureCount(), 30);
        QCOMPARE(window->mlCaptureSlot(), 30);
        QVERIFY(window->mnuZoom100->isChecked());
        QCOMPARE(window->PlayTimer->interval(), 50);
        QCOMPARE(window->ReviewTimer->interval(), 50);
        QVERIFY(window->msErrorMessages().isEmpty());
    }

    void startCountFromStoredText_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("written");
        QTest::addColumn<bool>("splash");
        QTest::newRow("not a number restarts at 1") << "abc" << "1" << true;
        QTest::newRow("negative counts up") << "-3" << "-2" << true;
        QTest::newRow("fourth start") << "3" << "4" << true;
        QTest::newRow("fifth start") << "4" << "5" << false;
        QTest::newRow("half rounds to even") << "2.5" << "4" << true;
    }

    void startCountFromStoredText()
    {
        QFETCH(QString, stored);
        QFETCH(QString, written);
        QFETCH(bool, splash);
        SetConfigValue(QStringLiteral("StartCount"), stored);
        ModalCloser closer;
        auto window = makeWindow();
        window->Form_Load();
        QCOMPARE(GetConfigValue(QStringLiteral("StartCount")), written);
        QCOMPARE(window->SplashTimer->isEnabled(), splash);
    }

    void aboutOpensOnFirstFourStartsOnly()
    {
        ModalCloser closer;
        for (int start = 1; start <= 5; ++start) {
            auto window = makeWindow();
            window->Form_Load();
            window->show();
            if (start <= 4) {
                QTRY_COMPARE(closer.count(QStringLiteral("frmAbout")), start);
                QCOMPARE(closer.seen().last().caption, QStringLiteral("About Replixa 2.6.0"));
            } else {
                QVERIFY(!window->SplashTimer->isEnabled());
                QTest::qWait(0);
            }
            window->close();
        }
        QCOMPARE(closer.count(QStringLiteral("frmAbout")), 4);
        QCOMPARE(GetConfigValue(QStringLiteral("StartCount")), QStringLiteral("5"));
    }

    void overflowingStartCountIsReported()
    {
        SetConfigValue(QStringLiteral("CaptureCount"), QStringLiteral("12"));
        SetConfigValue(QStringLiteral("StartCount"), QStringLiteral("32767"));
        ModalCloser closer;
        auto window = makeWindow();
        window->Form_Load();
        QCOMPARE(closer.count(QStringLiteral("frmError")), 1);
        static const QRegularExpression report(QStringLiteral("^Form_Load: Overflow, line [1-9][0-9]*\r\n$"));
        QVERIFY2(report.match(window->msErrorMessages()).hasMatch(), qPrintable(window->msErrorMessages()));
        QCOMPARE(GetConfigValue(QStringLiteral("StartCount")), QStringLiteral("32767"));
        QVERIFY(!window->SplashTimer->isEnabled());
        QCOMPARE(window->mlCaptureSlot(), 12);
    }

    void fileOnCommandLineSkipsTheStartCount()
    {
        ModalCloser closer;
        auto window = makeWindow(QStringLiteral("\"%1\"").arg(QLatin1String(kClip)));
        window->Form_Load();
        QCOMPARE(GetConfigValue(QStringLiteral("StartCount")), QString());
        QVERIFY(!window->SplashTimer->isEnabled());
        QCOMPARE(window->windowTitle(), QStringLiteral("Orvane Replixa - /clips/serve.avi"));
        QCOMPARE(window->mlDuration, 12);
        QCOMPARE(window->mlVideoWidth, 160);
        QCOMPARE(window->mlVideoHeight, 120);
    }

    void fileThatFailsCountsAsAStartWithoutMedium()
    {
        ModalCloser closer;
        auto window = makeWindow(QStringLiteral("/clips/missing.avi"));
        window->Form_Load();
        QCOMPARE(mBoxes, QStringList{QStringLiteral("unrecognized file format\r\n/clips/missing.avi")});
        QCOMPARE(window->windowTitle(), QStringLiteral("Orvane Replixa 2.6.0"));
        QCOMPARE(GetConfigValue(QStringLiteral("StartCount")), QStringLiteral("1"));
        QVERIFY(window->SplashTimer->isEnabled());
    }

    void loadSettingsTable_data()
    {
        QTest::addColumn<QString>("captureCount");
        QTest::addColumn<QString>("zoom");
        QTest::addColumn<int>("slotCount");
        QTest::addColumn<QString>("storedAfter");
        QTest::addColumn<int>("checkedZoom");
        QTest::newRow("abc corrected to 30") << "abc" << "3" << 30 << "30" << 3;
        QTest::newRow("45 kept") << "45" << "2" << 45 << "45" << 2;
        QTest::newRow("2.5 gives 2") << "2.5" << "1" << 2 << "2.5" << 1;
        QTest::newRow("3.5 gives 4") << "3.5" << "0" << 4 << "3.5" << 1;
        QTest::newRow("zero slots") << "0" << "02" << 0 << "0" << 1;
        QTest::newRow("zoom 4 is 100 %") << "30" << "4" << 30 << "30" << 1;
        QTest::newRow("empty zoom is 100 %") << "30" << "" << 30 << "30" << 1;
    }

    void loadSettingsTable()
    {
        QFETCH(QString, captureCount);
        QFETCH(QString, zoom);
        QFETCH(int, slotCount);
        QFETCH(QString, storedAfter);
        QFETCH(int, checkedZoom);
        SetConfigValue(QStringLiteral("CaptureCount"), captureCount);
        SetConfigValue(QStringLiteral("zoom"), zoom);
        SetConfigValue(QStringLiteral("StartCount"), QStringLiteral("10"));
        auto window = makeWindow();
        window->Form_Load();
        QCOMPARE(window->mlCaptureCount(), slotCount);
        QCOMPARE(window->mlCaptureSlot(), slotCount);
        QCOMPARE(GetConfigValue(QStringLiteral("CaptureCount")), storedAfter);
        const int checked = 1 * window->mnuZoom100->isChecked() + 2 * window->mnuZoom200->isChecked() +
                            3 * window->mnuZoomFit->isChecked();
        QCOMPARE(checked, checkedZoom);
        QVERIFY(window->msErrorMessages().isEmpty());
    }

    void badSettingsAreReportedAndNotApplied_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("description");
        QTest::newRow("width not a number") << "width" << "abc" << "Type mismatch";
        QTest::newRow("width beyond any window") << "width" << "1e30" << "Invalid property value";
        QTest::newRow("width beyond a single") << "height" << "1e40" << "Overflow";
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
        SetConfigValue(QStringLiteral("StartCount"), QStringLiteral("10"));
        ModalCloser closer;
        auto window = makeWindow();
        window->Form_Load();
        QVERIFY2(window->msErrorMessages().startsWith(QStringLiteral("LoadSettings: ") + description + ", line "),
                 qPrintable(window->msErrorMessages()));
        // The steps after the failing one did not run: no ring was sized and no zoom checked.
        QCOMPARE(window->mlCaptureCount(), 0);
        QCOMPARE(window->mlCaptureSlot(), 0);
        QVERIFY(!window->mnuZoom100->isChecked());
        QCOMPARE(GetConfigValue(key), value);
        // Closing still works and writes a usable size.
        window->close();
        QVERIFY(GetConfigValue(QStringLiteral("width")).toDouble() > 0);
    }

    void closingWritesSizeAndZoom_data()
    {
        QTest::addColumn<QString>("zoom");
        QTest::newRow("100 %") << "1";
        QTest::newRow("200 %") << "2";
        QTest::newRow("fit") << "3";
    }

    void closingWritesSizeAndZoom()
    {
        QFETCH(QString, zoom);
        SetConfigValue(QStringLiteral("StartCount"), QStringLiteral("10"));
        SetConfigValue(QStringLiteral("zoom"), zoom);
        auto window = makeWindow();
        window->Form_Load();
        window->show();
        window->resize(700, 500);
        const double expectedWidth = window->outerWidthTwips();
        const double expectedHeight = window->outerHeightTwips();
        window->mnuFileExit->trigger();
        QVERIFY(!window->isVisible());
        QCOMPARE(GetConfigValue(QStringLiteral("zoom")), zoom);
        QCOMPARE(GetConfigValue(QStringLiteral("width")), QString::number(expectedWidth));
        QCOMPARE(GetConfigValue(QStringLiteral("height")), QString::number(expectedHeight));

        // The next start restores that outer size.
        auto next = makeWindow();
        next->Form_Load();
        QCOMPARE(next->outerWidthTwips(), expectedWidth);
        QCOMPARE(next->outerHeightTwips(), expectedHeight);
    }

private:
    QByteArray readIni() const
    {
        QFile f(mFolder->filePath(QStringLiteral("Replixa.ini")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    std::unique_ptr<QTemporaryDir> mFolder;
    QStringList mBoxes;
};

int main(int argc, char **argv)
{
    ReplixaApplication app(argc, argv);
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_startup.moc"
