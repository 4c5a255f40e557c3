// Reading and writing Replixa.ini: what reads as missing, what a write keeps byte for byte or
// refuses, what may not stand in the file's place, and that copies writing at once lose nothing;
// the number conversions of the settings: which texts read as numbers, how they round,
// overflow and report; and the window's settings: how they read, are repaired and written.
#include "errors/Failure.h"
#include "errors/MessageBox.h"
#include "settings/Numbers.h"
#include "settings/ProfileFile.h"
#include "settings/SettingsStore.h"
#include "settings/WindowSettings.h"
#include <QtTest>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
using namespace std::string_view_literals;
using Text = std::string_view;

namespace {
constexpr int kIncrements = 300;
// One case of write(): the file before, the value read, the file after (null: the write is refused).
struct Row { const char *name; Text before, expected, after, box = {}, value = "30", key = "CaptureCount"; };
#define HEAD "[Replixa]\r\nCaptureCount=" // a file's first lines, up to the value
const std::string x999(999, 'x'), v100000(100000, 'v'), file999 = HEAD "x" + x999;
QByteArray bytes(Text text) { return text.data() ? QByteArray(text.data(), qsizetype(text.size())) : QByteArray(); }
QString text(Text text) { return QString::fromLatin1(bytes(text)); }
QByteArray fileBytes(const QString &p) { QFile f(p); return f.open(QFile::ReadOnly) ? f.readAll() : QByteArray(); }
bool putFile(QString p, Text t) { QFile f(p); return f.open(QFile::WriteOnly) && f.write(bytes(t)) == std::ssize(t); }
// A copy in copiesAtOnceLoseNothing: counts Count up under the lock, or sets a key with plain writes.
int writeMany(const QString &folder, const QString &key)
{
    ProgramFolder::setOverride(folder);
    MessageBox::setPresenter([](const QString &, const QString &box, auto) { qFatal("%s", qPrintable(box)); });
    for (int i = 1; i <= kIncrements; ++i) {
        const std::unique_ptr<SettingsLock> lock(key == "Count" ? new SettingsLock : nullptr);
        SetConfigValue(key, QString::number(lock ? GetConfigValue(key).toInt() + 1 : i));
    }
    return 0;
}
// The failure the call raises; number 0 when it returns.
template <class Call> Failure caught(Call call)
{
    try { call(); } catch (const Failure &failure) { return failure; }
    return Failure(0, {});
}
constexpr int OV = Failure::Overflow, TM = Failure::TypeMismatch;
using Case = std::tuple<QString, int, qint64, int>; // text, bits, value, failure
struct Reports : ErrorSink { QStringList got; void ShowError(QString &s, const Failure &) override { got << s; } };
QString fails(const Failure &failure) { return QStringLiteral("fails %1").arg(failure.number()); }
} // namespace
Q_DECLARE_METATYPE(Row)
Q_DECLARE_METATYPE(Case)
class TestSettingsStore : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> mDir;
    QStringList mBoxes;
    const QByteArray mHome = qgetenv("HOME");
private slots:
    void init()
    {
        mDir = std::make_unique<QTemporaryDir>();
        ProgramFolder::setOverride(mDir->path());
        mBoxes.clear();
        MessageBox::setPresenter([this](const QString &, const QString &text, MessageBox::Icon) { mBoxes << text; });
    }
    void cleanup() { QLocale::setDefault(QLocale::c()), qputenv("HOME", mHome), qunsetenv("XDG_CONFIG_HOME"); }
    // Reads CaptureCount, then sets the key with files limited to 4 KiB. A refused write shows one
    // box and leaves the file and its folder as they were. "via link" keeps the file elsewhere.
    void write_data()
    {
        QTest::addColumn<Row>("row");
        constexpr Text kept = "; kept\r\n" HEAD "5", bad = "Invalid procedure call";
        const Row rows[] = {
            {"after the section's last line", "[replixa]\r\nA=5\r\n\r\n[Z]", "",
             "[replixa]\r\nA=5\r\nCaptureCount=30\r\n\r\n[Z]"},
            {"later section", "[Replixa]\r\n[Other]\r\nCaptureCount=5", "", HEAD "30\r\n[Other]\r\nCaptureCount=5"},
            {"earlier section", "[O]\r\nCaptureCount=1\r\n[Replixa]\r\n capturecount = 5 \r\nB", "5",
             "[O]\r\nCaptureCount=1\r\n" HEAD "30\r\nB"},
            {"open last line", "[Replixa]\r\nA=1", "", "[Replixa]\r\nA=1\r\nCaptureCount=30\r\n"},
            {"placeholder", HEAD "DUMMY_REGISTRY_VALUE", "", HEAD "30"}, {"999 of 1000", file999, x999, HEAD "30"},
            {"placeholder other case", HEAD "dummy_registry_value", "dummy_registry_value", HEAD "30"},
            {"trimmed, other case", " [ rEPLIXA ] \r\n \t capturecount \t= \t 7 8\t \r\n", "7 8",
             " [ rEPLIXA ] \r\nCaptureCount=30\r\n"},
            {"LF", "[Other]\nA=1\n", "", "[Other]\nA=1\n[Replixa]\nCaptureCount=30\n"},
            {"CR", "[Other]\rA=1\r", "", "[Other]\rA=1\r[Replixa]\rCaptureCount=30\r"},
            {"mark and CR", "\xEF\xBB\xBF[replixa]\rCaptureCount=7\r", "7", "\xEF\xBB\xBF[replixa]\rCaptureCount=30\r"},
            {"mark only", "\xEF\xBB\xBF", "", "\xEF\xBB\xBF" HEAD "30\r\n"},
            {"NUL ends the value", HEAD " 5 \0junk"sv, "5", HEAD "30"},
            {"first key wins", HEAD "1\r\nCaptureCount=2", "1", HEAD "30\r\nCaptureCount=2"},
            {"comment is no key", "[Replixa]\r\n;CaptureCount=1\r\n#CaptureCount=2", "",
             "[Replixa]\r\n;CaptureCount=1\r\n#CaptureCount=2\r\nCaptureCount=30\r\n"},
            {"Latin-1", "; \xff\r\n" HEAD "caf\xe9", "caf\xe9", "; \xff\r\n" HEAD "30"},
            {"via link", "[Replixa]\nCaptureCount=1\n", "1", "[Replixa]\nCaptureCount=30\n"},
            {"= in key", kept, "5", {}, bad, "30", "Capture=Count"}, {"[ in key", kept, "5", {}, bad, "30", "[Capture"},
            {"comment as key", kept, "5", {}, bad, "30", " ;Capture"}, {"LF in value", kept, "5", {}, bad, "1\n[E]"},
            {"CR in value", kept, "5", {}, bad, "1\r2"}, {"NUL in value", kept, "5", {}, bad, "1\0002"sv},
            {"failing half-way", kept, "5", {}, "Disk full", v100000},
            {"read-only folder", kept, "5", {}, "Permission denied"}};
        for (const Row &row : rows)
            QTest::newRow(row.name) << row;
    }
    void write()
    {
        QFETCH(Row, row);
        const QString tag = row.name, folder = mDir->path(), link = settingsFilePath();
        const QString file = tag == "via link" ? folder + "/elsewhere/real.ini" : link;
        if (tag == "read-only folder" && geteuid() == 0)
            QSKIP("root writes into read-only folders");
        QVERIFY(file == link || (QDir(folder).mkdir("elsewhere") && QFile::link(file, link)));
        QVERIFY(putFile(file, row.before));
        QCOMPARE(GetConfigValue("CaptureCount"), text(row.expected));
        rlimit saved{}, lowered{4096, 0};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        lowered.rlim_max = saved.rlim_max;
        QCOMPARE(chmod(QFile::encodeName(folder), tag == "read-only folder" ? 0500 : 0700), 0);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &lowered), 0);
        SetConfigValue(text(row.key), text(row.value));
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &saved) | chmod(QFile::encodeName(folder), 0700), 0);
        const bool refused = !row.after.data();
        QCOMPARE(fileBytes(file), bytes(refused ? row.before : row.after));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"Replixa.ini"});
        QCOMPARE(GetConfigValue("CaptureCount"), text(refused ? row.expected : "30"));
        QCOMPARE(ProfileFile::read(file, "Replixa", "Missing", "uvwxyz", 4), "uvw"); // the default, cut to 4 - 1
        QCOMPARE(mBoxes.size(), refused ? 1 : 0);
        QVERIFY2(!refused || mBoxes[0].startsWith("SetConfigValue: " + text(row.box)), qPrintable(mBoxes.value(0)));
    }
    // Nothing waits on a pipe or replaces what stands in the file's place; some places refuse only writes.
    // A read and a write failing are each told once in a run.
    void refusedPlace_data()
    {
        QTest::addColumn<QStringList>("boxes");
        for (const char *kind : {"folder", "named pipe", "link to named pipe", "link to device"}) {
            const QString reason = "Path/File access error: the path is a " + QString(kind).remove("link to ");
            QTest::newRow(kind) << QStringList{"GetConfigValue: " + reason, "SetConfigValue: " + reason};
        }
        QTest::newRow("folder in a file") << QStringList{"SetConfigValue: Path not found"};
    }
    void refusedPlace()
    {
        QFETCH(QStringList, boxes);
        const QString tag = QTest::currentDataTag(), path = settingsFilePath();
        const QString place = path + (tag.startsWith("link") ? ".target" : "");
        const QByteArray made = QFile::encodeName(place);
        const bool ready = tag == "folder" ? !mkdir(made, 0700) : tag.endsWith("pipe") ? !mkfifo(made, 0600)
                           : tag.endsWith("device") ? !mknod(made, S_IFCHR | 0600, makedev(1, 3)) // never /dev/null
                           : QFile(path).open(QIODevice::WriteOnly);
        if (!ready)
            QSKIP("cannot be made here");
        QVERIFY(!tag.startsWith("link") || QFile::link(place, path));
        ProgramFolder::setOverride(tag == "folder in a file" ? path : mDir->path());
        const QByteArray name = QFile::encodeName(settingsFilePath());
        const auto mode = [&name] { struct stat s {}; return stat(name, &s) ? -1 : int(s.st_mode); };
        const int was = mode();
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(GetConfigValue("CaptureCount"), QString());
            SetConfigValue("CaptureCount", "30");
        }
        QVERIFY2(mBoxes.size() == boxes.size(), qPrintable(mBoxes.join('|'))); // each told once, naming the file
        for (qsizetype i = 0; i < boxes.size(); ++i)
            QVERIFY2(mBoxes[i].startsWith(boxes[i]) && mBoxes[i].contains(settingsFilePath()), qPrintable(mBoxes[i]));
        QCOMPARE(mode(), was);
    }
    // A lock that cannot be had is waited for once in a run and told once, and the values are
    // written without it; one whose holder cannot be asked (empty, garbage, another machine's)
    // and ten seconds old is stale. Timed: a start and the three values saved at exit.
    void lockNotHad_data()
    {
        QTest::addColumn<QByteArray>("lock"); // its content; "live": held by this process, "pipe": a named pipe
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("boxes");
        QTest::newRow("empty") << QByteArray() << 1 << 0;
        QTest::newRow("garbage") << QByteArray("\x01zz\n\xff") << 1 << 0;
        QTest::newRow("other host") << QByteArray("1\nreplixa\nfaraway.example\n") << 1 << 0;
        QTest::newRow("dead holder") << "4194305\nreplixa\n" + QSysInfo::machineHostName().toUtf8() + "\n" << 1 << 0;
        QTest::newRow("live holder") << QByteArray("live") << 7 << 1;
        QTest::newRow("named pipe") << QByteArray("pipe") << 1 << 1;
    }
    void lockNotHad()
    {
        QFETCH(QByteArray, lock);
        const QByteArray path = QFile::encodeName(settingsFilePath() + ".lock");
        QLockFile keeper(path);
        QVERIFY(lock == "live" ? keeper.lock() : lock == "pipe" ? !mkfifo(path, 0600) : putFile(path, lock.data()));
        const timespec tenAgo[2] = {{time(nullptr) - 10, 0}, {time(nullptr) - 10, 0}};
        QCOMPARE(utimensat(AT_FDCWD, path, tenAgo, AT_SYMLINK_NOFOLLOW), 0);
        QElapsedTimer took;
        took.start();
        {
            const SettingsLock startCount;
            SetConfigValue("StartCount", GetConfigValue("StartCount") + "1");
        }
        for (const char *key : {"width", "height", "zoom"})
            SetConfigValue(key, "2");
        QFETCH(int, seconds);
        QVERIFY2(took.elapsed() < seconds * 1000, qPrintable(QString::number(took.elapsed())));
        QFETCH(int, boxes);
        QVERIFY2(mBoxes.size() == boxes && mBoxes.filter("The settings lock ").size() == boxes,
                 qPrintable(mBoxes.join('|')));
        QCOMPARE(GetConfigValue("StartCount") + GetConfigValue("zoom"), "12");
    }
    // With the program's folder not writable, the settings go to the user's configuration folder; where
    // that cannot be made, writes say once that nothing is saved this run, and why. A relative
    // XDG_CONFIG_HOME is ignored.
    void configFolder_data()
    {
        QTest::addColumn<QString>("home"); // "home", "file": a folder or a file in the test's folder
        QTest::addColumn<QString>("xdg");
        QTest::addColumn<QString>("box"); // none: saved in home/.config/Replixa
        const QString cannot = "SetConfigValue: Settings cannot be saved this run: ";
        QTest::newRow("HOME unset") << "" << "" << cannot + "neither XDG_CONFIG_HOME nor HOME names the user's";
        QTest::newRow("unwritable") << "/sys" << "" << cannot + "the folder /sys/.config/Replixa cannot be created (";
        QTest::newRow("XDG_CONFIG_HOME relative") << "home" << "relative" << "";
        QTest::newRow("XDG_CONFIG_HOME a file")
            << "home" << "file" << cannot + "the folder file/Replixa cannot be created (Not a directory)";
    }
    void configFolder()
    {
        QFETCH(QString, home);
        QFETCH(QString, xdg);
        QFETCH(QString, box);
        const QString dir = mDir->path() + '/';
        QVERIFY(QDir(dir).mkdir("home") && putFile(dir + "file", ""));
        home.isEmpty() ? qunsetenv("HOME") : qputenv("HOME", QFile::encodeName(home.replace("home", dir + "home")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(xdg.replace("file", dir + "file")));
        ProgramFolder::setOverride(dir + "no such folder");
        for (int i = 0; i < 2; ++i)
            SetConfigValue("zoom", "2");
        box.replace(" file", " " + dir + "file");
        QVERIFY2(mBoxes.size() == !box.isEmpty() && (box.isEmpty() || mBoxes[0].startsWith(box)),
                 qPrintable(mBoxes.join('|')));
        QCOMPARE(fileBytes(dir + "home/.config/Replixa/Replixa.ini"), box.isEmpty() ? "[Replixa]\r\nzoom=2\r\n" : "");
    }
    void copiesAtOnceLoseNothing()
    {
        QProcess copies[3];
        for (int i = 0; i < 3; ++i)
            copies[i].start(QCoreApplication::applicationFilePath(), {"write", mDir->path(), i ? "Count" : "Own"});
        for (QProcess &copy : copies)
            QVERIFY2(copy.waitForFinished(100000) && copy.exitCode() == 0, copy.readAllStandardError());
        QCOMPARE(GetConfigValue("Count").toInt(), 2 * kIncrements);
        QCOMPARE(GetConfigValue("Own").toInt(), kIncrements);
        QVERIFY(!QFile::exists(settingsFilePath() + ".lock"));
    }
    // Text that is no number fails with Type mismatch; halves round to even; out of range is Overflow.
    void textToInteger_data()
    {
        QTest::addColumn<Case>("row");
        const Case rows[] = {
            {"", 16, 0, TM},         {"   ", 16, 0, TM},     {"abc", 16, 0, TM},      {"+", 16, 0, TM},
            {".", 16, 0, TM},        {"1e", 16, 0, TM},      {"1.2.3", 16, 0, TM},    {"12abc", 16, 0, TM},
            {"- 3", 16, 0, TM},      {"-3", 16, -3, 0},      {"+7", 16, 7, 0},        {" 2.5 ", 16, 2, 0},
            {"3.5", 16, 4, 0},       {"-2.5", 16, -2, 0},    {"2.51", 16, 3, 0},      {".5", 16, 0, 0},
            {"1.", 16, 1, 0},        {"1e3", 16, 1000, 0},   {"1E-3", 16, 0, 0},      {"1.5e3", 16, 1500, 0},
            {"32767", 16, 32767, 0}, {"32768", 16, 0, OV},   {"32767.5", 16, 0, OV},  {"-32768.5", 16, -32768, 0},
            {"-32769", 16, 0, OV},   {"1e400", 16, 0, OV},   {"2147483647", 32, 2147483647, 0},
            {"2147483647.5", 32, 0, OV},            {"-2147483648", 32, -2147483648LL, 0},
            {"-2147483648.5", 32, -2147483648LL, 0}, {"-2147483649", 32, 0, OV}};
        for (const Case &row : rows)
            QTest::addRow("%d '%s'", std::get<1>(row), qPrintable(std::get<0>(row))) << row;
    }
    void textToInteger()
    {
        QFETCH(Case, row);
        const auto &[text, bits, value, failure] = row;
        QCOMPARE(Numbers::readsAsNumber(text), failure != TM);
        qint64 result = 0;
        const auto convert = [&] { result = bits == 16 ? Numbers::textToInt16(text) : Numbers::textToInt32(text); };
        QCOMPARE(caught(convert).number(), failure);
        QCOMPARE(result, value);
    }
    // Not finite or beyond a single overflows; a failure carries its caller's line.
    void failures()
    {
        const auto overflows = [](auto call) { return caught(call).number() == OV; };
        QVERIFY(overflows([] { Numbers::toInt32(qQNaN()); }) && overflows([] { Numbers::toInt32(qInf()); }));
        QVERIFY(overflows([] { Numbers::toSingle(1e39); }) && overflows([] { Numbers::toSingle(-1e39); }));
        QCOMPARE(Numbers::textToSingle("1234.5"), 1234.5f);
        const int line = __LINE__ + 1;
        const Failure failures[] = {caught([] { Numbers::textToInt16("abc"); }), caught([] { Numbers::toInt16(4e4); })};
        QCOMPARE(failures[0].description() + ' ' + failures[1].description(), "Type mismatch Overflow");
        QCOMPARE(std::pair(failures[0].line(), failures[1].line()), std::pair(line, line));
    }
    void shortestText()
    {
        using Numbers::shortestText;
        QCOMPARE(shortestText(30.0) + ' ' + shortestText(8880.0) + ' ' + shortestText(0.1), "30 8880 0.1");
        QCOMPARE(shortestText(1234.5f) + ' ' + shortestText(0.1f), "1234.5 0.1");
        QCOMPARE(Numbers::toDouble(shortestText(1e300)), 1e300);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); // decimal comma
        QCOMPARE(shortestText(1234.5f), "1234,5");
        QVERIFY(Numbers::readsAsNumber("2,5") && Numbers::readsAsNumber("2.5"));
        QCOMPARE(Numbers::toDouble("2,25"), 2.25);
    }
    // Stored settings (key=value), then what a load gives (width height zoom count delay, "-": not
    // stored, or the failure), its reports and the count stored after it. A delay is 0 to 60, else off.
    void windowSettings_data()
    {
        QTest::addColumn<QStringList>("row");
        const QString overflow = "LoadSettings: Overflow";
        QTest::newRow("nothing stored") << QStringList{"", "- - 1 30 0", "", "30"};
        QTest::newRow("3.5 gives 4, zoom 0, delay 7") << QStringList{"CaptureCount=3.5 zoom=0 Delay=7", "- - 1 4 7", "", "3.5"};
        QTest::newRow("count abc, zoom 4, delay 2.5") << QStringList{"CaptureCount=abc zoom=4 Delay=2.5", "- - 1 30 0", "", "30"};
        QTest::newRow("largest, a size, fit, delay 60")
            << QStringList{"CaptureCount=32767 width=9000 height=1.5e3 zoom=3 Delay=60", "9000 1500 3 32767 60", "", "32767"};
        QTest::newRow("too many, 200 %, delay 61") << QStringList{"CaptureCount=32768 zoom=2 Delay=61", "- - 2 30 0", overflow, "30"};
        QTest::newRow("negative, delay -1") << QStringList{"CaptureCount=-1 Delay=-1", "- - 1 30 0", "LoadSettings: Subscript out of range", "30"};
        QTest::newRow("height beyond a single") << QStringList{"height=1e40 CaptureCount=abc", "fails 6", "", "abc"};
    }
    void windowSettings()
    {
        QFETCH(QStringList, row);
        for (const QString &setting : row[0].split(' ', Qt::SkipEmptyParts))
            SetConfigValue(setting.section('=', 0, 0), setting.section('=', 1));
        Reports sink;
        QString loaded;
        const Failure failure = caught([&] {
            const WindowSettings w = WindowSettings::load(sink);
            const auto twips = [](std::optional<float> t) { return t ? QString::number(*t) : QStringLiteral("-"); };
            loaded = QStringList{twips(w.widthTwips), twips(w.heightTwips), QString::number(int(w.zoom)),
                                 QString::number(w.captureCount), QString::number(w.delay)}.join(' ');
        });
        const QStringList got{failure.number() ? fails(failure) : loaded, sink.got.join('|'), GetConfigValue("CaptureCount")};
        QCOMPARE(got, row.mid(1));
        const QString height = GetConfigValue("height");
        WindowSettings{0.1f, std::nullopt, WindowSettings::Zoom::None, 30, 20}.save(); // a window with no zoom checked
        QCOMPARE(QStringList({GetConfigValue("width"), GetConfigValue("height"), GetConfigValue("zoom"), GetConfigValue("Delay")}),
                 QStringList({"0.1", height, "0", "20"}));
        QCOMPARE(mBoxes, QStringList());
    }
    // One stored text as the frame time and as the start count: the option read ("-": none, or the
    // failure), the count of this start and the count stored after it.
    void frameTimeAndStartCount_data()
    {
        QTest::addColumn<QStringList>("row");
        QTest::newRow("none") << QStringList{"", "-", "1", "1"};
        QTest::newRow("first option, second start") << QStringList{"0", "0", "1", "1"};
        QTest::newRow("every frame, past the fifth start") << QStringList{"5", "5", "5", "5"};
        QTest::newRow("no number") << QStringList{"abc", "fails 13", "1", "1"};
        QTest::newRow("negative") << QStringList{"-3", "fails 9", "-2", "-2"};
        QTest::newRow("beyond the options, past the fifth start") << QStringList{"6", "fails 9", "5", "6"};
    }
    void frameTimeAndStartCount()
    {
        QFETCH(QStringList, row);
        SetConfigValue("FrameTime", row[0]), SetConfigValue("StartCount", row[0]);
        QString option;
        const Failure failure = caught([&] {
            const std::optional<int> stored = WindowSettings::loadFrameTime();
            option = stored ? QString::number(*stored) : QStringLiteral("-");
        });
        const QString start = QString::number(WindowSettings::countStart());
        WindowSettings::saveFrameTime(3);
        QCOMPARE(QStringList({failure.number() ? fails(failure) : option, start, GetConfigValue("StartCount")}), row.mid(1));
        QCOMPARE(GetConfigValue("FrameTime"), "3");
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::signal(SIGXFSZ, SIG_IGN); // a write beyond the size limit in write() fails rather than kills
    if (argc == 4 && qstrcmp(argv[1], "write") == 0)
        return writeMany(QString::fromLocal8Bit(argv[2]), QString::fromLatin1(argv[3]));
    TestSettingsStore test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_settings_store.moc"
