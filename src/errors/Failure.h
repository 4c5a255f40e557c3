#pragma once
// A failure raised by a failing statement: its number, a one-line description and
// the line of the statement in its routine's source (0 when none is known).

#include <QString>

#include <exception>
#include <source_location>

class Failure : public std::exception {
public:
    // Failure numbers used across the program. 480 is the one the error dialog
    // explains with extra advice: no memory for an off-screen image.
    enum Number : int {
        InvalidCall = 5,
        Overflow = 6,
        OutOfMemory = 7,
        SubscriptOutOfRange = 9,
        TypeMismatch = 13,
        FileNotFound = 53,
        FileAlreadyOpen = 55,
        DiskFull = 61,
        PermissionDenied = 70,
        PathFileAccess = 75,
        PathNotFound = 76,
        NoImageMemory = 480,
        Internal = 51,
        InvalidPropertyValue = 380,
        NoFileDropped = 461,
    };

    Failure(int number, QString description, int line = 0, QString routine = {});
    Failure(int number, QString description, std::source_location where);

    int number() const { return mNumber; }
    const QString &description() const { return mDescription; }
    int line() const { return mLine; }
    // The short name of the routine whose statement failed, when known.
    const QString &routine() const { return mRoutine; }

    const char *what() const noexcept override { return mWhat.constData(); }

    // The standard description of a failure number ("Overflow", "Type mismatch", ...).
    static QString standardDescription(int number);
    // The short routine name ("Form_Load") from a compiler's function signature.
    static QString shortRoutineName(const char *signature);
    // Any exception turned into a failure: a Failure stays as it is, std::bad_alloc
    // becomes "Out of memory", anything else an internal failure with its text.
    static Failure fromCurrentException();

private:
    int mNumber;
    QString mDescription;
    int mLine;
    QString mRoutine;
    QByteArray mWhat;
};

// Raises a failure with its standard description at the caller's line.
[[noreturn]] void raiseFailure(int number, std::source_location where = std::source_location::current());
// Raises a failure with a description of its own at the caller's line.
[[noreturn]] void raiseFailure(int number, const QString &description,
                               std::source_location where = std::source_location::current());
