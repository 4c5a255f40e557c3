#pragma once
// Turns the signals that end a session (SIGTERM at logout or shutdown, SIGINT from
// Ctrl+C in a terminal, SIGHUP when the terminal goes) into an orderly exit on the UI
// thread, as File > Exit would do it, so that the settings are written. The end of the
// display (a logout, a crashed X server) saves them too: the toolkit's X11 plugin ends the
// program with exit(1) when its connection to the server breaks, after a warning on the UI
// thread. That warning runs displayLost while everything still stands, and the program then
// ends with 0, as after File > Exit.

#include <QObject>

#include <functional>

class QSocketNotifier;

class ExitSignals : public QObject {
    Q_OBJECT
public:
    // exit runs on the UI thread, from the program's main event loop, once the modal
    // windows and popup menus that were open have been closed. displayLost runs on the UI
    // thread with no event loop to run again: it may show nothing.
    ExitSignals(std::function<void()> exit, std::function<void()> displayLost, QObject *parent = nullptr);
    ~ExitSignals() override;

private:
    void onSignal();
    void exitWhenUnwound();

    std::function<void()> mExit;
    QSocketNotifier *mNotifier = nullptr;
};
