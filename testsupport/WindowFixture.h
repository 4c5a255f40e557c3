#pragma once
// A main window for a test: in a program folder of its own (never the user's settings), started past the
// first-start About box, with message boxes caught instead of shown and modal windows closed as they open;
// its private parts found by their members' object names (a timer unless told); and the test program's main.
#include "FakeMediaPlayer.h"
#include "ModalCloser.h"
#include "app/CommandBar.h"
#include "app/ReplixaApplication.h"
#include "app/frmMain.h"
#include "playback/MpvMediaPlayer.h"
#include "review/MemoryBudget.h"
#include "review/ReviewButton.h"
#include "settings/SettingsStore.h"
#include <QTemporaryDir>
#include <QTest>
#include <optional>

template <class T = IntervalTimer> T *child(const QObject *window, const char *name) { return window->findChild<T *>(name); }
inline void trigger(const QObject *window, const char *item) { child<QAction>(window, item)->trigger(); }
class WindowFixture {
public:
    struct Medium { QString name; QSize size; double duration; double fps = 25; };
    // Settings written before the window starts go into the fixture's folder.
    WindowFixture()
    {
        ProgramFolder::setOverride(mFolder.path());
        SetConfigValue(QStringLiteral("StartCount"), QStringLiteral("10"));
        MessageBox::setPresenter([this](const QString &, const QString &text, MessageBox::Icon) { boxes << text; });
    }
    ~WindowFixture()
    {
        window.reset();
        MemoryBudget::setAvailableOverride(std::nullopt);
        MessageBox::setPresenter({});
        ProgramFolder::setOverride({});
    }
    // Creates the window with the scripted player knowing these media and runs Form_Load.
    frmMain &startWithFake(const QList<Medium> &media, const QString &commandLine = {})
    {
        return start(commandLine, [this, media](QWidget *parent) {
            auto player = std::make_unique<FakeMediaPlayer>(parent);
            for (const Medium &m : media)
                player->addMedium(m.name, m.size, m.duration, m.fps);
            fake = player.get();
            return player;
        });
    }
    frmMain &startWithMpv(const QString &commandLine = {}) // the same with the libmpv engine
    {
        return start(commandLine, [](QWidget *parent) { return std::make_unique<MpvMediaPlayer>(parent); });
    }
    QString folder() const { return mFolder.path(); }

    std::unique_ptr<frmMain> window;
    FakeMediaPlayer *fake = nullptr; // while startWithFake's window lives
    QStringList boxes;               // texts of the message boxes shown
    ModalCloser closer;

private:
    frmMain &start(const QString &commandLine, std::function<std::unique_ptr<MediaPlayer>(QWidget *)> make)
    {
        window.reset(), fake = nullptr;
        window = std::make_unique<frmMain>(std::move(make), commandLine);
        window->Form_Load();
        return *window;
    }
    QTemporaryDir mFolder;
};

// The test program's main: the tests run in the program's own application object.
#define REPLIXA_TEST_MAIN(TestClass) \
    int main(int argc, char **argv) \
    { ReplixaApplication app(argc, argv); TestClass test; return QTest::qExec(&test, argc, argv); }
