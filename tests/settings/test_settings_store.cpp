// Reading and writing Replixa.ini: what reads as missing, what a write keeps byte for byte or
// refuses, what may not stand in the file's place, and that copies writing at once lose nothing.
#include "errors/MessageBox.h"
#include "settings/ProfileFile.h"
#include "settings/SettingsStore.h"

#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace std::string_view_literals;
using Text = std::string_view;

namespace {
constexpr int kIncrements = 300;
// One case of write(); before null: no file at all; after null: the write is refused.
struct Row { const char *name; Text before, expected, after, box = {}, key = "CaptureCount", value = "30"; };
#define CC "[Replixa]\r\nCaptureCount=" // a file's start, up to the value
const std::string x999(999, 'x'), v100000(100000, 'v'), file999 = CC "x" + x999;
QByteArray bytes(Text text) { return text.data() ? QByteArray(text.data(), qsizetype(text.size())) : QByteArray(); }
QString text(Text text) { return QString::fromLatin1(bytes(text)); }
QByteArray fileBytes(const QString &path) { QFile f(path); return f.open(QFile::ReadOnly) ? f.readAll() : QByteArray(); }
void putFile(const QString &path, const QByteArray &data) { QFile f(path); QVERIFY(f.open(QFile::WriteOnly) && f.write(data) == data.size()); }
// A copy in copiesAtOnceLoseNothing: counts Count up under the lock, or sets a key with plain writes.
int writeMany(const QString &folder, const QString &key)
{
    ProgramFolder::setOverride(folder);
    MessageBox::setPresenter([](const QString &, const QString &text, MessageBox::Icon) { qFatal("%s", qPrintable(text)); });
    for (int i = 1; i <= kIncrements; ++i) {
        const std::unique_ptr<SettingsLock> lock(key == "Count" ? new SettingsLock : nullptr);
        SetConfigValue(key, QString::number(lock ? GetConfigValue(key).toInt() + 1 : i));
    }
    return 0;
}
} // namespace
Q_DECLARE_METATYPE(Row)

class TestSettingsStore : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> mDir;
    QStringList mBoxes;

private slots:
    void initTestCase() { QCOMPARE(settingsFilePath(), QCoreApplication::applicationDirPath() + "/Replixa.ini"); }
    void init()
    {
        mDir = std::make_unique<QTemporaryDir>();
        ProgramFolder::setOverride(mDir->path());
        mBoxes.clear();
        MessageBox::setPresenter([this](const QString &, const QString &text, MessageBox::Icon) { mBoxes << text; });
    }
    // Reads CaptureCount, then sets the key with files limited to 4 KiB. A refused write shows one
    // box and leaves the file and its folder as they were. "via link" keeps the file elsewhere.
    void write_data()
    {
        QTest::addColumn<Row>("row");
        constexpr Text K = "; kept\r\n" CC "5", bad = "Invalid procedure call";
        const Row rows[] = {
            {"missing file", {}, "", CC "30\r\n"},
            {"after the section's last line", "[replixa]\r\nA=5\r\n\r\n[Z]", "", "[replixa]\r\nA=5\r\nCaptureCount=30\r\n\r\n[Z]"},
            {"later section", "[Replixa]\r\n[Other]\r\nCaptureCount=5", "", CC "30\r\n[Other]\r\nCaptureCount=5"},
            {"earlier section", "[O]\r\nCaptureCount=1\r\n[Replixa]\r\n capturecount = 5 \r\nB", "5", "[O]\r\nCaptureCount=1\r\n" CC "30\r\nB"},
            {"open last line", "[Replixa]\r\nA=1", "", "[Replixa]\r\nA=1\r\nCaptureCount=30\r\n"},
            {"placeholder", CC "DUMMY_REGISTRY_VALUE", "", CC "30"},
            {"placeholder other case", CC "dummy_registry_value", "dummy_registry_value", CC "30"},
            {"trimmed, other case", " [ rEPLIXA ] \r\n \t capturecount \t= \t 7 8\t \r\n", "7 8", " [ rEPLIXA ] \r\nCaptureCount=30\r\n"},
            {"LF", "[Other]\nA=1\n", "", "[Other]\nA=1\n[Replixa]\nCaptureCount=30\n"},
            {"CR", "[Other]\rA=1\r", "", "[Other]\rA=1\r[Replixa]\rCaptureCount=30\r"},
            {"mark and CR", "\xEF\xBB\xBF[replixa]\rCaptureCount=7\r", "7", "\xEF\xBB\xBF[replixa]\rCaptureCount=30\r"},
            {"mark only", "\xEF\xBB\xBF", "", "\xEF\xBB\xBF" CC "30\r\n"},
            {"NUL ends the value", CC " 5 \0junk"sv, "5", CC "30"},
            {"first key wins", CC "1\r\nCaptureCount=2", "1", CC "30\r\nCaptureCount=2"},
            {"comment is no key", "[Replixa]\r\n;CaptureCount=1\r\n#CaptureCount=2", "",
             "[Replixa]\r\n;CaptureCount=1\r\n#CaptureCount=2\r\nCaptureCount=30\r\n"},
            {"Latin-1", "; \xff\r\n" CC "caf\xe9", "caf\xe9", "; \xff\r\n" CC "30"},
            {"999 of 1000", file999, x999, CC "30"},
            {"via link", "[Replixa]\nCaptureCount=1\n", "1", "[Replixa]\nCaptureCount=30\n"},
            {"= in key", K, "5", {}, bad, "Capture=Count"}, {"[ in key", K, "5", {}, bad, "[Capture"},
            {"key like a comment", K, "5", {}, bad, " ;Capture"}, {"LF in value", K, "5", {}, bad, "CaptureCount", "1\n[E]"},
            {"CR in value", K, "5", {}, bad, "CaptureCount", "1\r2"}, {"NUL in value", K, "5", {}, bad, "CaptureCount", "1\0002"sv},
            {"failing half-way", K, "5", {}, "Disk full", "CaptureCount", v100000},
            {"read-only folder", K, "5", {}, "Permission denied"}};
        for (const Row &row : rows)
            QTest::newRow(row.name) << row;
    }
    void write()
    {
        QFETCH(Row, row);
        const QString tag = row.name, folder = mDir->path(), file = tag == "via link" ? folder + "/elsewhere/real.ini" : settingsFilePath();
        if (tag == "read-only folder" && geteuid() == 0)
            QSKIP("root writes into read-only folders");
        QVERIFY(file == settingsFilePath() || (QDir(folder).mkdir("elsewhere") && QFile::link(file, settingsFilePath())));
        if (row.before.data())
            putFile(file, bytes(row.before));
        QCOMPARE(GetConfigValue("CaptureCount"), text(row.expected));
        rlimit saved{}, lowered{4096, 0};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        lowered.rlim_max = saved.rlim_max;
        QCOMPARE(chmod(QFile::encodeName(folder), tag == "read-only folder" ? 0500 : 0700) | setrlimit(RLIMIT_FSIZE, &lowered), 0);
        SetConfigValue(text(row.key), text(row.value));
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &saved) | chmod(QFile::encodeName(folder), 0700), 0);
        QCOMPARE(fileBytes(file), bytes(row.after.data() ? row.after : row.before));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"Replixa.ini"});
        QCOMPARE(GetConfigValue("CaptureCount") + ProfileFile::read(file, "Replixa", "Missing", "uvwxyz", 4),
                 text(row.after.data() ? "30" : row.expected) + "uvw");
        QCOMPARE(mBoxes.size(), row.box.empty() ? 0 : 1);
        QVERIFY2(mBoxes.isEmpty() || mBoxes[0].startsWith("SetConfigValue: " + text(row.box)), qPrintable(mBoxes.join("")));
    }
    // Nothing waits on a pipe or replaces what stands in the file's place; some places refuse only writes.
    void refusedPlace_data()
    {
        QTest::addColumn<QStringList>("boxes");
        for (const char *kind : {"folder", "named pipe", "link to named pipe", "link to device"}) {
            const QString reason = "Path/File access error: the path is a " + QString(kind).remove("link to ");
            QTest::newRow(kind) << QStringList{"GetConfigValue: " + reason, "SetConfigValue: " + reason};
        }
        QTest::newRow("folder in a file") << QStringList{"SetConfigValue: Path not found"};
        QTest::newRow("lock kept") << QStringList{"SetConfigValue: Path/File access error: another program has held the settings lock"};
        QTest::newRow("lock is a named pipe") << QStringList{"SetConfigValue: Path/File access error: the settings lock is not a regular"};
    }
    void refusedPlace()
    {
        QFETCH(QStringList, boxes);
        const QString tag = QTest::currentDataTag(), path = settingsFilePath(), place = path + (tag.startsWith("link") ? ".target" : tag.startsWith("lock") ? ".lock" : "");
        const QByteArray made = QFile::encodeName(place);
        QLockFile keeper(path + ".lock");
        // A device of our own, never /dev/null, which a fault would replace.
        if (!(tag == "folder" ? !mkdir(made, 0700) : tag.endsWith("pipe") ? !mkfifo(made, 0600)
              : tag.endsWith("device") ? !mknod(made, S_IFCHR | 0600, makedev(1, 3))
              : tag == "lock kept" ? keeper.lock() : QFile(path).open(QIODevice::WriteOnly)))
            QSKIP("cannot be made here");
        QVERIFY(!tag.startsWith("link") || QFile::link(place, path));
        ProgramFolder::setOverride(tag == "folder in a file" ? path : mDir->path());
        const auto kind = [name = QFile::encodeName(settingsFilePath())] { struct stat s {}; return stat(name, &s) ? -1 : int(s.st_mode); };
        const int was = kind();
        QCOMPARE(GetConfigValue("CaptureCount"), QString());
        SetConfigValue("CaptureCount", "30");
        for (qsizetype i = 0; i < qMax(boxes.size(), mBoxes.size()); ++i) // one box each, naming the file
            QVERIFY2(mBoxes.value(i).startsWith(boxes.value(i, "?")) && mBoxes.value(i).contains(settingsFilePath()), qPrintable(mBoxes.value(i)));
        QCOMPARE(kind(), was);
    }
    void copiesAtOnceLoseNothing()
    {
        QProcess copies[3];
        for (int i = 0; i < 3; ++i)
            copies[i].start(QCoreApplication::applicationFilePath(), {"write", mDir->path(), i ? "Count" : "Own"});
        for (QProcess &copy : copies)
            QVERIFY2(copy.waitForFinished(100000) && copy.exitCode() == 0, copy.readAllStandardError());
        QCOMPARE(GetConfigValue("Count") + ' ' + GetConfigValue("Own"), QString("%1 %2").arg(2 * kIncrements).arg(kIncrements));
        QVERIFY(!QFile::exists(settingsFilePath() + ".lock"));
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
