// The settings file's reader and writer under libFuzzer. The input is the file; its first line, split at
// '=', is also a key and value to write, its second line a section. A read never fails on a regular file,
// a written value reads back trimmed, and a write changes at most part of one line and adds only its own.
#include "errors/Failure.h"
#include "settings/ProfileFile.h"
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
// A broken invariant ends the run, so that libFuzzer keeps the input that broke it.
#define ASSERT_TRUE(condition) ((condition) ? void() : abort())
static QString trimmed(QString text) { return text.remove(QRegularExpression("^[ \t]+|[ \t]+$")); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir folder;
    const QString path = folder.path() + "/Replixa.ini";
    const QByteArray before(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList lines = QString::fromLatin1(before.left(300)).split(QRegularExpression("[\r\n]"));
    const QString key = lines[0].section('=', 0, 0), value = lines[0].section('=', 1), section = lines.value(1);
    if (QFile file(path); !file.open(QIODevice::WriteOnly) || file.write(before) != before.size())
        abort();
    try {
        ProfileFile::read(path, section, key, "default", int(size % 8));
        ProfileFile::write(path, section, key, value);
    } catch (const Failure &failure) {
        ASSERT_TRUE(failure.number() == Failure::InvalidCall);
        return 0;
    }
    ASSERT_TRUE(ProfileFile::read(path, section, key, {}, int(size) + 2) == trimmed(value));
    QFile file(path);
    const QByteArray after = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    qsizetype prefix = 0, suffix = 0, shorter = qMin(before.size(), after.size());
    while (prefix < shorter && before[prefix] == after[prefix])
        ++prefix;
    while (suffix < shorter - prefix && before.rbegin()[suffix] == after.rbegin()[suffix])
        ++suffix;
    const QByteArray replaced = before.mid(prefix, before.size() - prefix - suffix);
    ASSERT_TRUE(!replaced.contains('\r') && !replaced.contains('\n'));
    const QByteArray keyLine = (trimmed(key) + '=' + value).toLatin1();
    const QByteArray header = ('[' + trimmed(section) + ']').toLatin1();
    for (const QByteArray &piece : after.mid(prefix, after.size() - prefix - suffix).replace('\r', '\n').split('\n'))
        ASSERT_TRUE(keyLine.contains(piece) || header.contains(piece));
    return 0;
}
