#pragma once
// Reads and writes one value of a private profile (INI) file the way the Windows
// profile routines do: names match without regard to case, every other byte of the
// file survives a write, and every call reads the file anew. Lines may end in CR LF,
// LF or a lone CR, and a UTF-8 byte-order mark may open the file; a write keeps both.
// Only a regular file, or a link to one, is read or written: a pipe, device, socket or
// folder in its place raises a failure at once.

#include <QString>

class ProfileFile {
public:
    // The trimmed value of the key in the section, or the default text when the file,
    // section or key is missing; at most bufferSize - 1 characters of either. A NUL
    // byte ends the value. A file that exists but cannot be read raises a failure.
    static QString read(const QString &filePath, const QString &section, const QString &key,
                        const QString &defaultText, int bufferSize);

    // Sets key=value in the section, adding the key, the section or the file as needed,
    // and replaces the file (a link's target, in the target's folder) atomically. Raises
    // a failure and leaves the file as it was when the file cannot be written or the
    // names or value would not read back: line breaks, NUL, brackets, '=' in the key or
    // a key that begins like a comment.
    static void write(const QString &filePath, const QString &section, const QString &key,
                      const QString &value);
};
