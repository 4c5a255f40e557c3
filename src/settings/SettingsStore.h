#pragma once
// The program's settings: values kept in the [Replixa] section of Replixa.ini in the
// folder that holds the program.

#include <QString>

namespace ProgramFolder {
// The folder holding the program, or the folder a test put in its place.
QString path();
// Puts a folder in place of the program's folder; an empty folder removes the override.
void setOverride(const QString &folder);
} // namespace ProgramFolder

// The full path of the settings file, worked out anew on every call.
QString settingsFilePath();

// The value of the setting, or "" when it is not set; a failure shows a message box.
QString GetConfigValue(const QString &key);
// Stores the setting; a failure shows a message box and writes nothing. The write
// holds a SettingsLock, so that two copies of the program do not overwrite each other.
void SetConfigValue(const QString &key, const QString &value);

// Held across a GetConfigValue and the SetConfigValue that depends on it, so that no
// other copy of the program writes the file in between. It locks Replixa.ini.lock
// beside the settings file; holding it again in the same thread, as the writes inside
// do, costs nothing, and other threads wait for it.
// It never fails itself. When no lock file can be made there (a read-only folder),
// nothing is locked: reads go on and writes fail or succeed as they would anyway. When
// another copy keeps the lock longer than kWaitMs, reads go on and every write under
// this hold fails with a message box naming the lock file, rather than risk undoing
// that copy's change.
class SettingsLock {
public:
    static constexpr int kWaitMs = 5000;
    SettingsLock();
    ~SettingsLock();
    SettingsLock(const SettingsLock &) = delete;
    SettingsLock &operator=(const SettingsLock &) = delete;
};
