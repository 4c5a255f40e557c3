#pragma once
// Reads and writes one value of a private profile (INI) file the way the Windows
// profile routines do: names match without regard to case, every other byte of the
// file survives a write, and every call reads the file anew.

#include <QString>

class ProfileFile {
public:
    // The trimmed value of the key in the section, or the default text when the file,
    // section or key is missing; at most bufferSize - 1 characters of either.
    // A file that exists but cannot be read raises a failure.
    static QString read(const QString &filePath, const QString &section, const QString &key,
                        const QString &defaultText, int bufferSize);

    // Sets key=value in the section, adding the key, the section or the file as needed,
    // and replaces the file atomically. Raises a failure and leaves the file as it was
    // when the file cannot be written or the names or value would break its lines.
    static void write(const QString &filePath, const QString &section, const QString &key,
                      const QString &value);
};
