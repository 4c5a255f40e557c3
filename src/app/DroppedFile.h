#pragma once
// The file a drag and drop brings. File managers send a URI list (text/uri-list) of
// file: URLs, blanks and letters beyond ASCII percent-encoded (GNOME Files, Dolphin,
// Thunar, Nemo, PCManFM) or, from some, as they are; a few name the machine or
// "localhost" as the URL's host. Some programs drop the name as plain text instead.

#include <QString>

class QMimeData;

namespace DroppedFile {
// The local file named first in the drop: the first entry of its URI list (comment
// lines skipped), else the first line of its text when that is a file: URL or an
// absolute path. Empty when that first entry is no local file (a web address), or the
// drop names nothing.
QString name(const QMimeData *data);
} // namespace DroppedFile
