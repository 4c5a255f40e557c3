#pragma once
// Turns the signals that end a session (SIGTERM at logout or shutdown, SIGINT from
// Ctrl+C in a terminal, SIGHUP when the terminal goes) into an orderly exit on the UI
// thread, as File > Exit would do it, so that the settings are written.

#include <QObject>

#include <functional>

class QSocketNotifier;

class ExitSignals : public QObject {
    Q_OBJECT
public:
    // exit runs on the UI thread, from the program's main event loop, once the modal
    // windows and popup menus that were open have been closed.
    explicit ExitSignals(std::function<void()> exit, QObject *parent = nullptr);
    ~ExitSignals() override;

private:
    void onSignal();
    void exitWhenUnwound();

    std::function<void()> mExit;
    QSocketNotifier *mNotifier = nullptr;
};
