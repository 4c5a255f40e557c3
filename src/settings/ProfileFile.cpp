#include "settings/ProfileFile.h"

#include "errors/Failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

namespace {

// One line of the file: where its text begins and ends, and where its line break ends.
struct Line {
    qsizetype start = 0;
    qsizetype textEnd = 0;
    qsizetype end = 0;
};

// Where a key was looked for: the first matching section's header and last non-blank
// line, and the key's line when it is there (-1 when not found).
struct Location {
    qsizetype sectionLine = -1;
    qsizetype lastFilledLine = -1;
    qsizetype keyLine = -1;
};

QList<Line> splitLines(const QByteArray &bytes)
{
    QList<Line> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype newline = bytes.indexOf('\n', start);
        Line line;
        line.start = start;
        line.end = newline < 0 ? bytes.size() : newline + 1;
        line.textEnd = newline < 0 ? bytes.size() : newline;
        if (line.textEnd > start && bytes.at(line.textEnd - 1) == '\r')
            --line.textEnd;
        lines.append(line);
        start = line.end;
    }
    return lines;
}

QString trimmedBlanks(QStringView text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    while (first < last && blank(text.at(first)))
        ++first;
    while (last > first && blank(text.at(last - 1)))
        --last;
    return text.mid(first, last - first).toString();
}

bool sameName(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    auto lower = [](QChar c) {
        const char16_t u = c.unicode();
        return u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u;
    };
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (lower(a.at(i)) != lower(b.at(i)))
            return false;
    }
    return true;
}

// True when the line is a "[name]" section header; name receives the section name.
bool isSectionHeader(const QString &text, QString &name)
{
    const QString trimmed = trimmedBlanks(text);
    if (!trimmed.startsWith(QLatin1Char('[')))
        return false;
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    name = trimmedBlanks(QStringView(trimmed).mid(1, close < 0 ? -1 : close - 1));
    return true;
}

bool isComment(const QString &trimmed)
{
    return trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
}

QString lineText(const QByteArray &bytes, const Line &line)
{
    return QString::fromLatin1(bytes.constData() + line.start, line.textEnd - line.start);
}

Location locate(const QByteArray &bytes, const QList<Line> &lines, const QString &section, const QString &key)
{
    Location where;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString text = lineText(bytes, lines[i]);
        QString header;
        if (isSectionHeader(text, header)) {
            if (where.sectionLine >= 0)
                break; // the first matching section has ended
            if (sameName(header, section))
                where.sectionLine = where.lastFilledLine = i;
            continue;
        }
        if (where.sectionLine < 0)
            continue;
        const QString trimmed = trimmedBlanks(text);
        if (trimmed.isEmpty())
            continue;
        where.lastFilledLine = i;
        const qsizetype equals = text.indexOf(QLatin1Char('='));
        if (where.keyLine < 0 && !isComment(trimmed) && equals >= 0
            && sameName(trimmedBlanks(QStringView(text).left(equals)), key))
            where.keyLine = i;
    }
    return where;
}

[[noreturn]] void raiseFileFailure(int number, const QString &reason, const QString &filePath)
{
    raiseFailure(number, QStringLiteral("%1: %2 (%3)")
                             .arg(Failure::standardDescription(number), reason, QDir::toNativeSeparators(filePath)));
}

int failureForErrno(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return Failure::PermissionDenied;
    case ENOENT:
    case ENOTDIR:
        return Failure::PathNotFound;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return Failure::DiskFull;
    default:
        return Failure::PathFileAccess;
    }
}

// The whole file, or an empty array with exists == false when there is no file.
QByteArray readBytes(const QString &filePath, bool &exists)
{
    const QFileInfo info(filePath);
    exists = info.exists();
    if (!exists)
        return {};
    if (info.isDir())
        raiseFileFailure(Failure::PathFileAccess, QStringLiteral("the path is a folder, not a file"), filePath);
    QFile file(filePath);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        const int number = errno == EACCES || errno == EPERM ? int(Failure::PermissionDenied)
                                                             : int(Failure::PathFileAccess);
        raiseFileFailure(number, QStringLiteral("cannot open the file to read: %1").arg(file.errorString()),
                         filePath);
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        raiseFileFailure(Failure::PathFileAccess, QStringLiteral("cannot read the file: %1").arg(file.errorString()),
                         filePath);
    return bytes;
}

void replaceFile(const QString &filePath, const QByteArray &bytes)
{
    const QFileInfo info(filePath);
    if (!info.absoluteDir().exists())
        raiseFileFailure(Failure::PathNotFound, QStringLiteral("the folder does not exist"), filePath);
    if (info.exists() && !info.isWritable())
        raiseFileFailure(Failure::PermissionDenied, QStringLiteral("the file is read-only"), filePath);
    QSaveFile file(filePath);
    file.setDirectWriteFallback(false);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        raiseFileFailure(failureForErrno(errno),
                         QStringLiteral("cannot create a file in the folder: %1").arg(file.errorString()), filePath);
    errno = 0;
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    const int writeError = errno;
    if (!written) {
        const int number = file.error() == QFileDevice::ResourceError ? int(Failure::DiskFull)
                                                                      : failureForErrno(writeError);
        const QString reason = QStringLiteral("cannot write the file: %1")
                                   .arg(writeError ? QString::fromLocal8Bit(std::strerror(writeError)) : file.errorString());
        file.cancelWriting();
        raiseFileFailure(number, reason, filePath);
    }
    errno = 0;
    if (!file.commit())
        raiseFileFailure(failureForErrno(errno), QStringLiteral("cannot replace the file: %1").arg(file.errorString()),
                         filePath);
}

bool hasAny(const QString &text, const char *characters)
{
    for (const char *c = characters; *c; ++c) {
        if (text.contains(QLatin1Char(*c)))
            return true;
    }
    return false;
}

} // namespace

QString ProfileFile::read(const QString &filePath, const QString &section, const QString &key,
                          const QString &defaultText, int bufferSize)
{
    const qsizetype limit = qMax(0, bufferSize - 1);
    bool exists = false;
    const QByteArray bytes = readBytes(filePath, exists);
    const QList<Line> lines = splitLines(bytes);
    const Location where = locate(bytes, lines, trimmedBlanks(section), trimmedBlanks(key));
    if (where.keyLine < 0)
        return defaultText.left(limit);
    const QString text = lineText(bytes, lines[where.keyLine]);
    return trimmedBlanks(QStringView(text).mid(text.indexOf(QLatin1Char('=')) + 1)).left(limit);
}

void ProfileFile::write(const QString &filePath, const QString &section, const QString &key, const QString &value)
{
    const QString sectionName = trimmedBlanks(section);
    const QString keyName = trimmedBlanks(key);
    if (sectionName.isEmpty() || hasAny(sectionName, "[]\r\n"))
        raiseFailure(Failure::InvalidCall, QStringLiteral("Invalid procedure call or argument: section name \"%1\"")
                                               .arg(section));
    if (keyName.isEmpty() || hasAny(keyName, "=[]\r\n"))
        raiseFailure(Failure::InvalidCall,
                     QStringLiteral("Invalid procedure call or argument: key name \"%1\"").arg(key));
    if (hasAny(value, "\r\n"))
        raiseFailure(Failure::InvalidCall,
                     QStringLiteral("Invalid procedure call or argument: the value of %1 holds a line break").arg(key));

    bool exists = false;
    QByteArray bytes = readBytes(filePath, exists);
    const QList<Line> lines = splitLines(bytes);
    const bool bareLineFeeds = !lines.isEmpty() && lines.first().end - lines.first().textEnd == 1;
    const QByteArray newline = bareLineFeeds ? QByteArray("\n") : QByteArray("\r\n");
    const QByteArray keyLine = (keyName + QLatin1Char('=') + value).toLatin1();

    const Location where = locate(bytes, lines, sectionName, keyName);
    if (where.keyLine >= 0) {
        const Line &line = lines[where.keyLine];
        bytes.replace(line.start, line.textEnd - line.start, keyLine);
    } else if (where.sectionLine >= 0) {
        const Line &after = lines[where.lastFilledLine];
        if (after.end == after.textEnd) // the last line of the file, without a line break
            bytes.insert(after.end, newline + keyLine + newline);
        else
            bytes.insert(after.end, keyLine + newline);
    } else {
        if (!bytes.isEmpty() && !bytes.endsWith('\n'))
            bytes.append(newline);
        bytes.append('[' + sectionName.toLatin1() + ']' + newline + keyLine + newline);
    }
    replaceFile(filePath, bytes);
}
