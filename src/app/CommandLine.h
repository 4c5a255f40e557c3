#pragma once
// What the command line asks for. Everything after the program's name is one file name,
// whatever it looks like, so that a file named "-reverse" is opened rather than taken for
// an option; only "--help" or "--version" standing alone are answered instead, on standard
// output and without a window, so that they work where no display is. A file of one of
// these names is still opened as "./--help".

#include <QString>
#include <QStringList>

namespace CommandLine {
enum class Request { Open, Help, Version };

struct Reading {
    Request request = Request::Open;
    QString fileName; // for Open: the one file name, or "" for none
};

// arguments as the program got them, its own name first.
Reading read(const QStringList &arguments);

// What --help and --version print.
QString helpText();
QString versionText();

// Prints the answer to Help or Version; the exit code: 0, or 1 where the output could not
// be written (a closed pipe, a full disk).
int answer(Request request);
} // namespace CommandLine
