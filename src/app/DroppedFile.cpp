#include "app/DroppedFile.h"

#include "playback/LocalName.h"

#include <QDir>
#include <QMimeData>
#include <QSysInfo>
#include <QUrl>

namespace {

// The entries of a URI list or of a text, without blanks around them, empty lines,
// comment lines or the NUL that some senders put at the end.
QList<QByteArray> entries(QByteArray list)
{
    while (list.endsWith('\0'))
        list.chop(1);
    QList<QByteArray> result;
    for (const QByteArray &line : list.split('\n')) {
        const QByteArray entry = line.trimmed();
        if (!entry.isEmpty() && !entry.startsWith('#'))
            result << entry;
    }
    return result;
}

// The local name of a file: URL whose host is none, "localhost" or this machine, and
// whose path is absolute: a relative one would name a file wherever this program runs.
// A '?' or '#' that a sender left unencoded belongs to the name. The name's bytes are
// those the URL encodes, UTF-8 or not.
QString localName(const QByteArray &entry)
{
    const QUrl url = QUrl::fromEncoded(entry, QUrl::TolerantMode);
    if (!url.isValid() || url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) != 0)
        return {};
    const QString host = url.host();
    if (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0
        && host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) != 0)
        return {};
    const auto bytes = [](const QString &encoded) { return QByteArray::fromPercentEncoding(encoded.toLatin1()); };
    QByteArray name = bytes(url.path(QUrl::FullyEncoded));
    if (!name.startsWith('/'))
        return {};
    if (url.hasQuery())
        name += '?' + bytes(url.query(QUrl::FullyEncoded));
    if (url.hasFragment())
        name += '#' + bytes(url.fragment(QUrl::FullyEncoded));
    return LocalName::fromBytes(name);
}

} // namespace

QString DroppedFile::name(const QMimeData *data)
{
    if (!data)
        return {};
    const QString uriList = QStringLiteral("text/uri-list");
    if (data->hasFormat(uriList)) {
        const QList<QByteArray> list = entries(data->data(uriList));
        return list.isEmpty() ? QString() : localName(list.first());
    }
    if (!data->hasText())
        return {};
    const QList<QByteArray> lines = entries(data->text().toUtf8());
    if (lines.isEmpty())
        return {};
    const QString first = QString::fromUtf8(lines.first());
    return QDir::isAbsolutePath(first) ? first : localName(lines.first());
}
