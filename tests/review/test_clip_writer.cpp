// Saving snapshots. Frames numbered by their grey (20 x n) at uneven times, written as MP4, GIF and PNG:
// ffprobe's size, frame count and duration or delays, and the numbers ffmpeg decodes, in order. A cancel,
// a full disk (a file-size limit) and a folder that is not there leave no file. The ring gives its written
// snapshots oldest first; the save runs from the menu's unit to a file, and an empty ring is told.
#include "errors/MessageBox.h"
#include "review/ClipWriter.h"
#include "review/SaveDialog.h"
#include "review/SnapshotRing.h"
#include "review/SnapshotSaving.h"
#include <QtTest>
#include <csignal>
#include <sys/resource.h>

static QList<ClipWriter::Frame> frames(const QList<double> &stamps)
{
    QList<ClipWriter::Frame> out;
    for (const double stamp : stamps) {
        QImage image(65, 49, QImage::Format_RGB32); // odd sides: the video loses one pixel of each
        image.fill(qRgb(20 * int(out.size() + 1), 20 * int(out.size() + 1), 20 * int(out.size() + 1)));
        out.append({image, stamp});
    }
    return out;
}
static QByteArray run(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    return p.waitForFinished(60000) ? p.readAllStandardOutput() : QByteArray();
}
// What was written in dir: the MP4's size, frames and duration, the GIF's delays or the PNG files, then the numbers.
static QString described(const QString &dir)
{
    QStringList names = QDir(dir).entryList(QDir::Files), out;
    const QString file = dir + '/' + names.value(0);
    const bool mp4 = file.endsWith(".mp4");
    if (file.endsWith(".png")) {
        for (const QString &name : names)
            out << QString::number(qRound(qRed(QImage(dir + '/' + name).pixel(32, 24)) / 20.0));
        return names.join(' ') + ": " + out.join(' ');
    }
    const QString entries = mp4 ? "stream=width,height,nb_read_frames:format=duration" : "packet=duration";
    const QByteArray probed = run("ffprobe", {"-v", "error", "-count_frames", "-show_entries", entries, "-of", "csv=p=0", file});
    const QByteArray grey = run(qEnvironmentVariable("REPLIXA_FFMPEG"), {"-v", "error", "-i", file, "-fps_mode", "passthrough",
                                                                         "-f", "rawvideo", "-pix_fmt", "gray", "-"});
    const int frameBytes = mp4 ? 64 * 48 : 65 * 49;
    for (qsizetype at = frameBytes / 2; at < grey.size(); at += frameBytes)
        out << QString::number(qRound(quint8(grey[at]) / 20.0));
    return QString(probed).simplified() + ": " + out.join(' ');
}

class TestClipWriter : public QObject {
    Q_OBJECT
private slots:
    void write_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QList<double>>("stamps");
        QTest::addColumn<QString>("expected");
        const QList<double> uneven{7.0, 7.04, 7.14, 7.2, 7.4, 7.44}; // gaps 0.04 0.1 0.06 0.2 0.04, the usual 0.06
        QTest::newRow("mp4") << "clip.mp4" << uneven << "64,48,6 0.500000: 1 2 3 4 5 6";
        QTest::newRow("gif") << "clip.gif" << uneven << "4 10 6 20 4 6: 1 2 3 4 5 6";
        QTest::newRow("gif, a seek back and a pause") << "clip.gif" << QList<double>{9.0, 9.05, 2.0, 2.05, 2.1, 60.0}
                                                      << "5 5 5 5 5 5: 1 2 3 4 5 6";
        QTest::newRow("png") << "clip.png" << uneven
                             << "clip-001.png clip-002.png clip-003.png clip-004.png clip-005.png clip-006.png: 1 2 3 4 5 6";
    }
    void write()
    {
        QFETCH(QString, name);
        QFETCH(QList<double>, stamps);
        QTemporaryDir dir;
        QCOMPARE(ClipWriter::write(frames(stamps), *ClipWriter::formatOf(name), dir.path() + '/' + name), QString());
        QTEST(described(dir.path()), "expected");
    }

    void faults_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("limit");    // bytes a file may have; 0: no limit
        QTest::addColumn<int>("cancelAt"); // frames written when the cancel comes; -1: none
        QTest::addColumn<QString>("expected");
        QTest::newRow("mp4 cancelled") << "clip.mp4" << 0 << 3 << "Saving \"clip.mp4\" was cancelled: nothing was saved.";
        QTest::newRow("png cancelled at the end") << "clip.png" << 0 << 6 << "Saving \"clip.png\" was cancelled: nothing was saved.";
        QTest::newRow("mp4, disk full") << "clip.mp4" << 1000 << -1 << "\"clip.mp4\" was not saved: the disk is full.";
        QTest::newRow("gif, disk full") << "clip.gif" << 300 << -1 << "\"clip.gif\" was not saved: the disk is full.";
        QTest::newRow("png, disk full") << "clip.png" << 50 << -1 << "\"clip.png\" was not saved: the disk is full.";
        QTest::newRow("no folder") << "gone/clip.mp4" << 0 << -1 << "\"clip.mp4\" was not saved: the folder does not exist.";
    }
    void faults()
    {
        QFETCH(QString, name);
        QFETCH(int, limit);
        QFETCH(int, cancelAt);
        QTemporaryDir dir;
        rlimit before{};
        getrlimit(RLIMIT_FSIZE, &before);
        const rlimit limited{limit ? rlim_t(limit) : before.rlim_cur, before.rlim_max};
        const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limited);
        const QString message = ClipWriter::write(frames({0, 0.1, 0.2, 0.3, 0.4, 0.5}), *ClipWriter::formatOf(name),
                                                  dir.path() + '/' + name, [&](qsizetype n) { return n != cancelAt; });
        setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, oldSignal);
        QTEST(message, "expected");
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }

    void snapshots_data()
    {
        QTest::addColumn<int>("captures");
        QTest::addColumn<QList<double>>("expected");
        QTest::newRow("none") << 0 << QList<double>{};
        QTest::newRow("three of five, two blank") << 3 << QList<double>{1, 2, 3};
        QTest::newRow("round the ring") << 7 << QList<double>{3, 4, 5, 6, 7};
    }
    void snapshots()
    {
        QFETCH(int, captures);
        SnapshotRing ring;
        ring.setCount(5);
        QVERIFY(ring.allocateAll(QSize(4, 4), 1 << 20));
        for (int n = 1; n <= captures; ++n) { // as a capture writes, the cursor moving down
            ring.markWritten(ring.captureSlot(), n);
            ring.setCaptureSlot(ring.captureSlot() == 1 ? 5 : ring.captureSlot() - 1);
        }
        QList<double> stamps;
        for (const ClipWriter::Frame &frame : SnapshotSaving::snapshots(ring))
            stamps << frame.seconds;
        QTEST(stamps, "expected");
    }

    // From the ring to the file through the save dialog, off the UI thread; an empty ring is told.
    void saving()
    {
        QTemporaryDir dir;
        QStringList boxes;
        MessageBox::setPresenter([&](const QString &, const QString &text, MessageBox::Icon) { boxes << text; });
        SaveDialog::setChooser([&](const QString &title, const QStringList &) { return dir.path() + "/" + title + " é.gif"; });
        QWidget window;
        SnapshotSaving saving(window);
        SnapshotRing ring;
        ring.setCount(3);
        saving.saveSnapshots(ring);
        QCOMPARE(boxes, QStringList{"There are no snapshots to save yet: they are taken while a video plays."});
        QVERIFY(ring.allocateAll(QSize(8, 8), 1 << 20));
        ring.markWritten(2, 1.0);
        QSignalSpy finished(&saving, &SnapshotSaving::finished);
        saving.saveSnapshots(ring);
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.first().first(), QString());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"Save Snapshots é.gif"});
        SaveDialog::setChooser({});
        MessageBox::setPresenter({});
    }
};

QTEST_MAIN(TestClipWriter)
#include "test_clip_writer.moc"
