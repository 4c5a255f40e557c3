#pragma once
// The application object. A failure that escapes an event handler without a trap of
// its own is caught here, where events are dispatched, and reported; it never ends
// the program.

#include <QApplication>
#include <QPointer>

class ErrorSink;

class ReplixaApplication : public QApplication {
    Q_OBJECT
public:
    ReplixaApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // Where escaped failures go; null leaves them with a warning on the console.
    void setFailureSink(ErrorSink *sink) { mSink = sink; }

private:
    ErrorSink *mSink = nullptr;
    int mReporting = 0;
};

// Starts Replixa: the main window with the libmpv engine, the command line opened.
int runReplixa(int argc, char **argv);
