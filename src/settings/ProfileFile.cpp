#include "settings/ProfileFile.h"

#include "errors/Failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <string_view>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::string_view_literals;

namespace {

// A stretch of the file's bytes, [begin, end).
struct Span {
    qsizetype begin = 0;
    qsizetype end = 0;
    bool isEmpty() const { return begin >= end; }
};

// One line of the file: its text, and where its line break ends.
struct Line {
    Span text;
    qsizetype end = -1; // -1: no such line
    bool found() const { return end >= 0; }
};

// Where a key was looked for: the first matching section's header and last non-blank
// line, and the key's line with its '=' when it is there.
struct Location {
    Line section;
    Line lastFilled;
    Line key;
    qsizetype equals = -1;
};

const QByteArray kByteOrderMark("\xEF\xBB\xBF");

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Walks the file's lines once, copying nothing, so that the work stays in step with the
// file's size however many lines it holds. Editors end lines with CR LF, LF or a lone CR,
// and some begin the file with a UTF-8 byte-order mark, which belongs to no line.
class LineScanner {
public:
    explicit LineScanner(QByteArrayView bytes)
        : mData(bytes.data()), mSize(bytes.size()), mNext(bytes.startsWith(kByteOrderMark) ? 3 : 0)
    {
    }
    bool next(Line &line)
    {
        if (mNext >= mSize)
            return false;
        qsizetype i = mNext;
        while (i < mSize && mData[i] != '\n' && mData[i] != '\r')
            ++i;
        line.text = {mNext, i};
        if (i < mSize && mData[i] == '\r')
            ++i;
        if (i < mSize && mData[i] == '\n' && (i == line.text.end || mData[i - 1] == '\r'))
            ++i;
        line.end = mNext = i;
        return true;
    }

private:
    const char *mData;
    qsizetype mSize;
    qsizetype mNext;
};

Span trimmed(const char *data, Span span)
{
    while (span.begin < span.end && isBlank(data[span.begin]))
        ++span.begin;
    while (span.end > span.begin && isBlank(data[span.end - 1]))
        --span.end;
    return span;
}

QString trimmedBlanks(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && (text.at(first) == u' ' || text.at(first) == u'\t'))
        ++first;
    while (last > first && (text.at(last - 1) == u' ' || text.at(last - 1) == u'\t'))
        --last;
    return text.mid(first, last - first);
}

// Whether the Latin-1 bytes spell the name, ignoring the case of ASCII letters as the
// Windows routines do; compared in place, since a large file has many lines to compare.
bool sameName(const char *data, Span span, QStringView name)
{
    if (span.end - span.begin != name.size())
        return false;
    auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (lower(char16_t(uchar(data[span.begin + i]))) != lower(name[i].unicode()))
            return false;
    }
    return true;
}

qsizetype indexIn(const char *data, Span span, char c)
{
    const void *found = std::memchr(data + span.begin, c, size_t(span.end - span.begin));
    return found ? static_cast<const char *>(found) - data : -1;
}

Location locate(QByteArrayView bytes, QStringView section, QStringView key)
{
    const char *data = bytes.data();
    Location where;
    LineScanner lines(bytes);
    Line line;
    while (lines.next(line)) {
        const Span text = trimmed(data, line.text);
        if (text.isEmpty())
            continue;
        if (data[text.begin] == '[') {
            if (where.section.found())
                break; // the first matching section has ended
            const qsizetype close = indexIn(data, text, ']');
            if (sameName(data, trimmed(data, {text.begin + 1, close < 0 ? text.end : close}), section))
                where.section = where.lastFilled = line;
            continue;
        }
        if (!where.section.found())
            continue;
        where.lastFilled = line;
        if (where.key.found() || data[text.begin] == ';' || data[text.begin] == '#')
            continue;
        const qsizetype equals = indexIn(data, line.text, '=');
        if (equals >= 0 && sameName(data, trimmed(data, {line.text.begin, equals}), key)) {
            where.key = line;
            where.equals = equals;
        }
    }
    return where;
}

// The line break the file already uses, so that added lines match it; CR LF for a file
// that has none yet.
QByteArray lineBreakOf(QByteArrayView bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n')
            return "\n";
        if (bytes[i] == '\r')
            return i + 1 < bytes.size() && bytes[i + 1] == '\n' ? "\r\n" : "\r";
    }
    return "\r\n";
}

[[noreturn]] void raiseFileFailure(int number, const QString &reason, const QString &filePath,
                                   std::source_location where = std::source_location::current())
{
    raiseFailure(number,
                 QStringLiteral("%1: %2 (%3)")
                     .arg(Failure::standardDescription(number), reason, QDir::toNativeSeparators(filePath)),
                 where);
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

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Only a regular file is read or replaced: reading a pipe would wait for a writer that
// never comes, and replacing a device through a link would destroy it.
void refuseIfNotRegular(const struct stat &status, const QString &filePath)
{
    const char *kind = S_ISREG(status.st_mode)    ? nullptr
                       : S_ISDIR(status.st_mode)  ? "the path is a folder, not a file"
                       : S_ISFIFO(status.st_mode) ? "the path is a named pipe, not a regular file"
                       : S_ISSOCK(status.st_mode) ? "the path is a socket, not a regular file"
                       : S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode)
                           ? "the path is a device, not a regular file"
                           : "the path is not a regular file";
    if (kind)
        raiseFileFailure(Failure::PathFileAccess, QString::fromLatin1(kind), filePath);
}

// The whole file, or an empty array when there is none. The kind of file is checked
// before it is opened and again on the opened file, in case it was swapped in between;
// the open itself never waits.
QByteArray readBytes(const QString &filePath)
{
    const QByteArray name = QFile::encodeName(filePath);
    struct stat status {};
    if (::stat(name.constData(), &status) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {};
        raiseFileFailure(Failure::PathFileAccess, QStringLiteral("cannot examine the file: ") + errnoText(errno),
                         filePath);
    }
    refuseIfNotRegular(status, filePath);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT)
            return {};
        raiseFileFailure(error == EACCES || error == EPERM ? int(Failure::PermissionDenied)
                                                           : int(Failure::PathFileAccess),
                         QStringLiteral("cannot open the file to read: ") + errnoText(error), filePath);
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::fstat(fd, &status) != 0)
        raiseFileFailure(Failure::PathFileAccess, QStringLiteral("cannot examine the file: ") + errnoText(errno),
                         filePath);
    refuseIfNotRegular(status, filePath);
    QByteArray bytes(qsizetype(status.st_size) + 1, Qt::Uninitialized); // one more byte shows growth
    qsizetype size = 0;
    for (;;) {
        if (size == bytes.size())
            bytes.resize(size * 2);
        const ssize_t got = ::read(fd, bytes.data() + size, size_t(bytes.size() - size));
        if (got == 0)
            break;
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            raiseFileFailure(Failure::PathFileAccess, QStringLiteral("cannot read the file: ") + errnoText(errno),
                             filePath);
        size += got;
    }
    bytes.truncate(size);
    return bytes;
}

// Writes the pieces one after another, so that a large file is not copied first.
// QSaveFile follows a link to its target and replaces that in its own folder, keeping
// the link; readBytes has made sure the target is a regular file.
void replaceFile(const QString &filePath, std::initializer_list<QByteArrayView> pieces)
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
    bool written = true;
    for (const QByteArrayView piece : pieces)
        written = written && (piece.isEmpty() || file.write(piece.data(), piece.size()) == piece.size());
    written = written && file.flush();
    const int writeError = errno;
    if (!written) {
        const int number = file.error() == QFileDevice::ResourceError ? int(Failure::DiskFull)
                                                                      : failureForErrno(writeError);
        const QString reason = QStringLiteral("cannot write the file: %1")
                                   .arg(writeError ? errnoText(writeError) : file.errorString());
        file.cancelWriting();
        raiseFileFailure(number, reason, filePath);
    }
    errno = 0;
    if (!file.commit())
        raiseFileFailure(failureForErrno(errno), QStringLiteral("cannot replace the file: %1").arg(file.errorString()),
                         filePath);
}

bool hasAny(const QString &text, std::u16string_view characters)
{
    for (const char16_t c : characters) {
        if (text.contains(QChar(c)))
            return true;
    }
    return false;
}

} // namespace

QString ProfileFile::read(const QString &filePath, const QString &section, const QString &key,
                          const QString &defaultText, int bufferSize)
{
    const qsizetype limit = qMax(0, bufferSize - 1);
    const QByteArray bytes = readBytes(filePath);
    const Location where = locate(bytes, trimmedBlanks(section), trimmedBlanks(key));
    if (!where.key.found())
        return defaultText.left(limit);
    // The Windows routine reads the value as a C string, so a NUL byte ends it.
    Span value{where.equals + 1, where.key.text.end};
    const qsizetype nul = indexIn(bytes.constData(), value, '\0');
    if (nul >= 0)
        value.end = nul;
    value = trimmed(bytes.constData(), value);
    return QString::fromLatin1(bytes.constData() + value.begin, qMin(value.end - value.begin, limit));
}

void ProfileFile::write(const QString &filePath, const QString &section, const QString &key, const QString &value)
{
    const QString sectionName = trimmedBlanks(section);
    const QString keyName = trimmedBlanks(key);
    // A NUL would end the text early when read, and a key that begins like a comment
    // would read as one.
    if (sectionName.isEmpty() || hasAny(sectionName, u"[]\r\n\0"sv))
        raiseFailure(Failure::InvalidCall, QStringLiteral("Invalid procedure call or argument: section name \"%1\"")
                                               .arg(section));
    if (keyName.isEmpty() || hasAny(keyName, u"=[]\r\n\0"sv) || keyName.startsWith(u';') || keyName.startsWith(u'#'))
        raiseFailure(Failure::InvalidCall,
                     QStringLiteral("Invalid procedure call or argument: key name \"%1\"").arg(key));
    if (hasAny(value, u"\r\n\0"sv))
        raiseFailure(Failure::InvalidCall,
                     QStringLiteral("Invalid procedure call or argument: the value of %1 holds a line break or NUL")
                         .arg(key));

    const QByteArray bytes = readBytes(filePath);
    const QByteArray newline = lineBreakOf(bytes);
    const QByteArray keyLine = (keyName + QLatin1Char('=') + value).toLatin1();

    // The new file is the old one with one stretch replaced by new text.
    Span replaced{bytes.size(), bytes.size()};
    QByteArray text;
    const Location where = locate(bytes, sectionName, keyName);
    if (where.key.found()) {
        replaced = where.key.text;
        text = keyLine;
    } else if (where.section.found()) {
        const Line &after = where.lastFilled;
        replaced = {after.end, after.end};
        // the last line of the file may lack a line break
        text = (after.end == after.text.end ? newline : QByteArray()) + keyLine + newline;
    } else {
        const bool openLastLine = bytes.size() > (bytes.startsWith(kByteOrderMark) ? 3 : 0) && !bytes.endsWith('\n')
                                  && !bytes.endsWith('\r');
        text = (openLastLine ? newline : QByteArray()) + '[' + sectionName.toLatin1() + ']' + newline + keyLine + newline;
    }
    const QByteArrayView view(bytes);
    replaceFile(filePath, {view.first(replaced.begin), text, view.sliced(replaced.end)});
}
