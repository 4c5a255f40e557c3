#pragma once
// The program's settings: values kept in the [Replixa] section of Replixa.ini, beside the
// program when its folder is writable (a portable copy), else in the user's configuration
// folder ($XDG_CONFIG_HOME/Replixa, by default ~/.config/Replixa), made at the first write.

#include <QString>

namespace ProgramFolder {
// The folder holding the program, or the folder a test put in its place.
QString path();
// Puts a folder in place of the program's folder; an empty folder removes the override.
void setOverride(const QString &folder);
} // namespace ProgramFolder

// The folder of the settings file: the program's folder when it is writable at its first
// use in the run, else the user's configuration folder ($XDG_CONFIG_HOME when it is an
// absolute path, else $HOME/.config), or "" when neither names one. Decided again only
// when another folder is put in the program's place, so a folder that turns read-only
// later keeps the file, and the file never moves while the program runs.
QString settingsFolder();

// The full path of the settings file, Replixa.ini in settingsFolder(); "" without a folder.
QString settingsFilePath();

// The value of the setting, or "" when it is not set; a failure shows a message box,
// once a run for each way the file fails to be read.
QString GetConfigValue(const QString &key);
// Stores the setting; a failure shows a message box and writes nothing, as when the user's
// configuration folder cannot be made, which says why settings cannot be saved. A file that
// cannot be written is told once a run: a later write to it failing with the same
// failure number shows nothing. The write holds a SettingsLock, so that two copies of
// the program do not overwrite each other.
void SetConfigValue(const QString &key, const QString &value);

// Held across a GetConfigValue and the SetConfigValue that depends on it, so that no
// other copy of the program writes the file in between. It locks Replixa.ini.lock
// beside the settings file, making the user's configuration folder first when the
// settings go there; holding it again in the same thread, as the writes inside
// do, costs nothing, and other threads wait for it.
// It never fails itself. When no lock file can be made there (a read-only folder),
// nothing is locked: reads go on and writes fail or succeed as they would anyway. A lock
// file that names no holder (empty, garbage) or another machine's and is a few seconds
// old is stale and taken over. When the lock cannot be had (another copy keeps it longer
// than kWaitMs, or it is no regular file), a message box says so once, and the run
// writes without it from then on: each write replaces the file whole, so the file stays
// sound, though a value another copy writes at the same moment may be lost.
class SettingsLock {
public:
    static constexpr int kWaitMs = 5000;
    SettingsLock();
    ~SettingsLock();
    SettingsLock(const SettingsLock &) = delete;
    SettingsLock &operator=(const SettingsLock &) = delete;
};
