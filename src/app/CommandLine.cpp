#include "app/CommandLine.h"

#include "AppInfo.h"

#include <cstdio>

namespace CommandLine {

Reading read(const QStringList &arguments)
{
    if (arguments.size() == 2 && arguments[1] == QLatin1String("--help"))
        return {Request::Help, {}};
    if (arguments.size() == 2 && arguments[1] == QLatin1String("--version"))
        return {Request::Version, {}};
    return {Request::Open, arguments.mid(1).join(QLatin1Char(' '))};
}

QString helpText()
{
    return QStringLiteral(
        "Usage: replixa [VIDEO]\n"
        "       replixa --help | --version\n"
        "\n"
        "Plays VIDEO and keeps its last moments in memory: hold the left mouse button\n"
        "(or Left) to step back through them, the right one (or Right) to step forward.\n"
        "\n"
        "Everything after the program's name is one file name, blanks and all, whatever\n"
        "it looks like; a file named like an option opens as ./--help or ./--version.\n"
        "\n"
        "Options, each alone on the command line:\n"
        "  --help      print this help and exit\n"
        "  --version   print the version and exit\n"
        "\n"
        "The keys, the settings file and the environment: man replixa\n");
}

QString versionText()
{
    return QStringLiteral("%1 %2\n").arg(QLatin1String(AppInfo::kTitle), QLatin1String(AppInfo::kVersion));
}

int answer(Request request)
{
    const QByteArray text = (request == Request::Version ? versionText() : helpText()).toLocal8Bit();
    const bool written = std::fwrite(text.constData(), 1, size_t(text.size()), stdout) == size_t(text.size());
    return written && std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace CommandLine
