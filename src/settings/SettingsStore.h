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
// Stores the setting; a failure shows a message box and writes nothing.
void SetConfigValue(const QString &key, const QString &value);
