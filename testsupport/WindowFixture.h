#pragma once
// A main window for a test: in a program folder of its own (never the user's settings),
// started past the first-start About box, with message boxes caught instead of shown.

#include "FakeMediaPlayer.h"

#include "app/frmMain.h"

#include <QSize>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class WindowFixture {
public:
    struct Medium {
        QString name;
        QSize size;
        double duration;
    };

    // Settings written before the window starts go into the fixture's folder.
    WindowFixture();
    ~WindowFixture();

    // Creates the window with the scripted player knowing these media and runs Form_Load.
    frmMain &startWithFake(const QList<Medium> &media, const QString &commandLine = {});
    // The same with the libmpv engine.
    frmMain &startWithMpv(const QString &commandLine = {});
    // Closes and destroys the window, as at the end of a run.
    void stop();

    QString folder() const { return mFolder.path(); }

    std::unique_ptr<frmMain> window;
    FakeMediaPlayer *fake = nullptr; // while startWithFake's window lives
    QStringList boxes;               // texts of the message boxes shown

private:
    QTemporaryDir mFolder;
};
