#include "errors/Failure.h"

#include <new>

Failure::Failure(int number, QString description, int line, QString routine)
    : mNumber(number), mDescription(std::move(description)), mLine(line), mRoutine(std::move(routine)),
      mWhat(mDescription.toUtf8())
{
}

Failure::Failure(int number, QString description, std::source_location where)
    : Failure(number, std::move(description), int(where.line()), shortRoutineName(where.function_name()))
{
}

QString Failure::standardDescription(int number)
{
    switch (number) {
    case InvalidCall: return QStringLiteral("Invalid procedure call or argument");
    case Overflow: return QStringLiteral("Overflow");
    case OutOfMemory: return QStringLiteral("Out of memory");
    case SubscriptOutOfRange: return QStringLiteral("Subscript out of range");
    case TypeMismatch: return QStringLiteral("Type mismatch");
    case Internal: return QStringLiteral("Internal error");
    case FileNotFound: return QStringLiteral("File not found");
    case FileAlreadyOpen: return QStringLiteral("File already open");
    case DiskFull: return QStringLiteral("Disk full");
    case PermissionDenied: return QStringLiteral("Permission denied");
    case PathFileAccess: return QStringLiteral("Path/File access error");
    case PathNotFound: return QStringLiteral("Path not found");
    case InvalidPropertyValue: return QStringLiteral("Invalid property value");
    case NoFileDropped: return QStringLiteral("The dropped item is not a file");
    case NoImageMemory: return QStringLiteral("Can't create AutoRedraw image");
    default: return QStringLiteral("Application-defined or object-defined error");
    }
}

QString Failure::shortRoutineName(const char *signature)
{
    // "void frmMain::Form_Load()" -> "Form_Load"; lambdas report their enclosing routine's
    // signature with "<lambda" in it, which we cut off.
    QString s = QString::fromLatin1(signature);
    const qsizetype lambda = s.indexOf(QLatin1String("::<lambda"));
    if (lambda >= 0)
        s.truncate(lambda);
    const qsizetype open = s.indexOf(QLatin1Char('('));
    if (open >= 0)
        s.truncate(open);
    const qsizetype colon = s.lastIndexOf(QLatin1String("::"));
    if (colon >= 0)
        s = s.mid(colon + 2);
    const qsizetype space = s.lastIndexOf(QLatin1Char(' '));
    if (space >= 0)
        s = s.mid(space + 1);
    return s;
}

Failure Failure::fromCurrentException()
{
    try {
        throw;
    } catch (const Failure &f) {
        return f;
    } catch (const std::bad_alloc &) {
        return Failure(OutOfMemory, standardDescription(OutOfMemory));
    } catch (const std::exception &e) {
        return Failure(Internal, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return Failure(Internal, standardDescription(Internal));
    }
}

void raiseFailure(int number, std::source_location where)
{
    throw Failure(number, Failure::standardDescription(number), where);
}

void raiseFailure(int number, const QString &description, std::source_location where)
{
    throw Failure(number, description, where);
}
