#pragma once
// The ways a routine deals with a failure, each written once. A routine declares
// its pattern by running its body through one of these:
//   reportFailures   - report through the error reporter with the routine's label, then leave
//   messageBoxOnFailure - show a message box with the label, then leave
//   ignoreFailure    - one step whose failure is skipped; the routine goes on
//   leaveSilently    - leave without a word
// A routine that uses none of them passes its failures to its caller.

#include "errors/Failure.h"
#include "errors/MessageBox.h"

#include <QString>

// Whoever shows reports: the main window's ShowError. sErr holds the label and the
// description on entry and is extended in place to the full report message.
class ErrorSink {
public:
    virtual ~ErrorSink() = default;
    virtual void ShowError(QString &sErr, const Failure &failure) = 0;
};

// Returns true when the body ran to its end.
template <class Body>
bool reportFailures(ErrorSink &sink, const char *label, Body &&body)
{
    try {
        body();
        return true;
    } catch (...) {
        const Failure failure = Failure::fromCurrentException();
        QString sErr = QString::fromLatin1(label) + failure.description();
        sink.ShowError(sErr, failure);
        return false;
    }
}

template <class Body>
bool messageBoxOnFailure(const char *label, Body &&body)
{
    try {
        body();
        return true;
    } catch (...) {
        const Failure failure = Failure::fromCurrentException();
        MessageBox::show(QString::fromLatin1(label) + failure.description());
        return false;
    }
}

template <class Body>
bool ignoreFailure(Body &&body) noexcept
{
    try {
        body();
        return true;
    } catch (...) {
        return false;
    }
}

template <class Body>
bool leaveSilently(Body &&body) noexcept
{
    return ignoreFailure(std::forward<Body>(body));
}
