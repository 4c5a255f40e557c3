#pragma once
// File names as the system keeps them: bytes, any but '/' and NUL. The toolkit reads them
// as UTF-8 and puts U+FFFD for a byte that is none, which then names another file or none.
// Here such a byte is kept as a lone surrogate, U+DC80 to U+DCFF, which no UTF-8 text can
// hold, and is the same byte again on its way back to the system.

#include <QByteArray>
#include <QString>

namespace LocalName {
// The name of these bytes, each byte that is no part of UTF-8 kept.
QString fromBytes(QByteArrayView bytes);
// The name's bytes for the system: the same bytes fromBytes was given.
QByteArray toBytes(QStringView name);
// Why no file on this system can have the name, or "": a NUL, or more bytes than the
// system allows for a path (PATH_MAX) or for one of its parts (NAME_MAX).
QString refusal(QStringView name);
// The name as a message shows it: kept bytes, cut pairs and control characters as U+FFFD,
// and a long name's middle left out, so that a message holds at most kShownLength of it.
constexpr qsizetype kShownLength = 201;
QString shown(QStringView name);
} // namespace LocalName
