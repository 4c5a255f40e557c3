#include "WindowFixture.h"

#include "errors/MessageBox.h"
#include "playback/MpvMediaPlayer.h"
#include "review/MemoryBudget.h"
#include "settings/SettingsStore.h"

WindowFixture::WindowFixture()
{
    ProgramFolder::setOverride(mFolder.path());
    SetConfigValue(QStringLiteral("StartCount"), QStringLiteral("10"));
    MessageBox::setPresenter([this](const QString &, const QString &text, MessageBox::Icon) { boxes << text; });
}

WindowFixture::~WindowFixture()
{
    window.reset();
    MemoryBudget::setAvailableOverride(std::nullopt);
    MessageBox::setPresenter({});
    ProgramFolder::setOverride({});
}

frmMain &WindowFixture::startWithFake(const QList<Medium> &media, const QString &commandLine)
{
    window.reset();
    window = std::make_unique<frmMain>(
        [this, media](QWidget *parent) -> std::unique_ptr<MediaPlayer> {
            auto player = std::make_unique<FakeMediaPlayer>(parent);
            for (const Medium &m : media)
                player->addMedium(m.name, m.size, m.duration);
            fake = player.get();
            return player;
        },
        commandLine);
    window->Form_Load();
    return *window;
}

frmMain &WindowFixture::startWithMpv(const QString &commandLine)
{
    window.reset();
    fake = nullptr;
    window = std::make_unique<frmMain>(
        [](QWidget *parent) -> std::unique_ptr<MediaPlayer> { return std::make_unique<MpvMediaPlayer>(parent); },
        commandLine);
    window->Form_Load();
    return *window;
}

void WindowFixture::stop()
{
    if (window)
        window->close();
    window.reset();
    fake = nullptr;
}
