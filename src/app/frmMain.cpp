#include "app/frmMain.h"

#include "AppInfo.h"
#include "about/frmAbout.h"
#include "app/BarHosts.h"
#include "app/CommandBar.h"
#include "app/CommandMenus.h"
#include "app/DelayWiring.h"
#include "app/DroppedFile.h"
#include "app/OptionsSession.h"
#include "app/Twips.h"
#include "app/WindowChrome.h"
#include "app/WindowLayoutHost.h"
#include "app/ZoomMenu.h"
#include "errors/Failure.h"
#include "errors/frmError.h"
#include "playback/IntervalTimer.h"
#include "playback/MediaPlayer.h"
#include "playback/OpenDialog.h"
#include "review/ReviewButton.h"
#include "review/ReviewPicture.h"
#include "review/SharedImageBlock.h"
#include "review/SnapshotSaving.h"
#include "review/SnapshotView.h"
#include "settings/SettingsStore.h"
#include "settings/WindowSettings.h"

#include <QDropEvent>
#include <QMenuBar>
#include <QSlider>
#include <QToolButton>

namespace {
constexpr int kPlayerLeft = 0;
constexpr int kPlayerTop = 40;
} // namespace

frmMain::frmMain(PlayerFactory playerFactory, QString commandLine, QWidget *parent)
    : QMainWindow(parent), mPlayerFactory(std::move(playerFactory)), mCommandLine(std::move(commandLine))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Orvane Replixa"));
    setAcceptDrops(true);

    client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    CommandMenus::build(menuBar(), [this](Commands::Id id) { runCommand(id); });
    const auto item = [this](const char *name) { return menuBar()->findChild<QAction *>(QLatin1String(name)); };
    mZoom = std::make_unique<ZoomMenu>(item("mnuZoom100"), item("mnuZoom200"), item("mnuZoomFit"));
    createCommandBar();

    createTimers();
    createPlayer();

    oCaptured = new ReviewPicture(client);
    oCaptured->setObjectName(QStringLiteral("oCaptured"));
    oCaptured->setGeometry(kPlayerLeft, kPlayerTop, 273, 173);
    oCaptured->hide();
    connect(oCaptured, &ReviewPicture::MouseDown, this, &frmMain::oCaptured_MouseDown);
    connect(oCaptured, &ReviewPicture::MouseUp, this, [this] { ReleaseReview(); });
    connect(oCaptured, &ReviewPicture::DblClick, this, &frmMain::oCaptured_DblClick);
    mView = std::make_unique<SnapshotView>(mRing, *oCaptured, *mPlayer, *frCommand->lblReviewTime);
    mSaving = std::make_unique<SnapshotSaving>(*this);
    mLayoutHost = std::make_unique<WindowLayoutHost>(
        WindowLayoutHost::Parts{*this, *mPlayer->widget(), *frCommand, *oCaptured, *mZoom, *mPlay, mVideoSize, kPlayerTop},
        WindowLayoutHost::Calls{[this] { Form_Resize(); }, [this] { laidOut(); }, [this] { mnuZoom100_Click(); }});
    mLayout = std::make_unique<WindowLayout>(*mLayoutHost);
    mRingSizing = std::make_unique<RingSizing>(mRing, *mLayoutHost);
    mOptions = std::make_unique<OptionsSession>(
        OptionsSession::Parts{*this, *mPlayer, *PlayTimer, *ReviewTimer, *mView, mRing, *mRingSizing});
    connect(mPlayer.get(), &MediaPlayer::FrameShown, this, [this](double at) { mView->captureFrame(at); });
    mReviewHost = std::make_unique<ReviewBarHost>(
        *frCommand, *mPlay, *ReviewTimer, mRing, *mView, [this](qint32 offset) { ShowImage(offset); },
        [this] { return mOptions->repeatDelay(); });
    mReview = std::make_unique<ReviewStepper>(*mReviewHost, *this);
    mDelay = std::make_unique<DelayWiring>(DelayWiring::Parts{*menuBar(), mRing, *mRingSizing, *mView, *mReview, *mReviewHost,
        *mPlay, *mPlayer, *PlayTimer, *PauseTimer, [this](qint32 offset) { ShowImage(offset); }});
    WindowChrome::keepPlayerRoom(this, kPlayerTop);

    // Where the display server reads our memory, the ring lies in one block shared with it,
    // so that a snapshot is shown without a copy.
    mRing.setMemory(std::make_unique<SharedImageBlock>());
    // Design size of the inner area: 592 x 551 pixels.
    resize(592, 551 + menuBar()->sizeHint().height());
}

void frmMain::createTimers()
{
    const auto timer = [this](const char *name, void (frmMain::*tick)()) {
        auto *timer = new IntervalTimer(this);
        timer->setObjectName(QLatin1String(name));
        connect(timer, &IntervalTimer::Timer, this, tick);
        return timer;
    };
    PlayTimer = timer("PlayTimer", &frmMain::PlayTimer_Timer);
    PauseTimer = timer("PauseTimer", &frmMain::PauseTimer_Timer);
    ReviewTimer = timer("ReviewTimer", &frmMain::ReviewTimer_Timer);
    PositionTimer = timer("PositionTimer", &frmMain::PositionTimer_Timer);
    SplashTimer = timer("SplashTimer", &frmMain::SplashTimer_Timer);
    PositionTimer->setInterval(1000);
    PositionTimer->start();
    SplashTimer->setInterval(500);
}

void frmMain::createPlayer()
{
    mPlayer = mPlayerFactory(client);
    QWidget *video = mPlayer->widget();
    video->setObjectName(QStringLiteral("oMediaPlayer"));
    video->setGeometry(kPlayerLeft, kPlayerTop, 239, 181);
    connect(mPlayer.get(), &MediaPlayer::PlayStateChange, this, &frmMain::oMediaPlayer_PlayStateChange);
    connect(mPlayer.get(), &MediaPlayer::OpenStateChange, this, &frmMain::oMediaPlayer_OpenStateChange);
    connect(mPlayer.get(), &MediaPlayer::MouseDown, this, &frmMain::oMediaPlayer_MouseDown);
    mPlay = std::make_unique<PlayControl>(*mPlayer, *frCommand, *PlayTimer, *PauseTimer);
    mOpening = std::make_unique<MediaOpening>(*mPlayer, *mPlay, *this);
    connect(mPlayer.get(), &MediaPlayer::Error, this, [this] { mOpening->tellFailure(); });
    mSpeedHost = std::make_unique<SpeedBarHost>(*frCommand, *PlayTimer, *mPlay, *mPlayer);
    mSpeed = std::make_unique<SlowMotion>(*mSpeedHost);
    mPositionHost = std::make_unique<PositionBarHost>(*frCommand, mDuration, [this](qint32 offset) { ShowImage(offset); });
    mPosition = std::make_unique<PositionControl>(*mPlayer, *mPositionHost);
    mLive = std::make_unique<LiveBarHost>(*frCommand, *menuBar(), *mPlay, *mPlayer, *this);
}

frmMain::~frmMain()
{
    mInput.reset(); // no event reaches a window half gone
    // The player's widget is a child of client; release the engine first so it never
    // outlives the window it draws into.
    mView.reset();
    mReview.reset();
    mPosition.reset();
    mSpeed.reset();
    mPlay.reset();
    mPlayer.reset();
}

void frmMain::createCommandBar()
{
    frCommand = new CommandBar(client);
    connect(frCommand->cmdPlay, &QToolButton::clicked, this, &frmMain::cmdPlay_Click);
    connect(frCommand->cmdLeft, &ReviewButton::MouseDown, this, &frmMain::cmdLeft_MouseDown);
    connect(frCommand->cmdRight, &ReviewButton::MouseDown, this, &frmMain::cmdRight_MouseDown);
    for (ReviewButton *button : {frCommand->cmdLeft, frCommand->cmdRight})
        connect(button, &ReviewButton::MouseUp, this, [this] { ReleaseReview(); });
    connect(frCommand->cmdFullScreen, &QToolButton::clicked, this, &frmMain::cmdFullScreen_Click);
    connect(frCommand->SpeedSlider, &QSlider::valueChanged, this, &frmMain::SpeedSlider_Change);
    // Only the user's moves seek: a value the refresh sets is no scroll.
    connect(frCommand->PositionSlider, &QSlider::actionTriggered, this, &frmMain::PositionSlider_Scroll);
    mInput = std::make_unique<WindowInput>(*this, *this);
}

void frmMain::runCommand(Commands::Id id)
{
    using enum Commands::Id;
    using Handler = void (frmMain::*)();
    static const QHash<Commands::Id, Handler> handlers{
        {FileOpen, &frmMain::mnuFileOpen_Click}, {FileExit, &frmMain::mnuFileExit_Click},
        {FileOpenLive, &frmMain::mnuFileOpenLive_Click},
        {Copy, &frmMain::mnuToolsCopy_Click}, {Options, &frmMain::mnuToolsOptions_Click},
        {Previous, &frmMain::mnuViewPrev_Click}, {Next, &frmMain::mnuViewNext_Click},
        {PlayPause, &frmMain::mnuViewPlay_Click}, {Back15, &frmMain::mnuViewBack15sec_Click},
        {Back5, &frmMain::mnuViewBack5sec_Click}, {Forward15, &frmMain::mnuViewForward15sec_Click},
        {Forward5, &frmMain::mnuViewForward5sec_Click}, {Speed, &frmMain::mnuViewSpeed_Click},
        {Zoom100, &frmMain::mnuZoom100_Click}, {Zoom200, &frmMain::mnuZoom200_Click},
        {ZoomFit, &frmMain::mnuZoomFit_Click}, {FullScreen, &frmMain::mnuZoomFullScreen_Click},
        {Help, &frmMain::mnuHelpContent_Click}, {Email, &frmMain::mnuHelpEmail_Click},
        {About, &frmMain::mnuHelpAbout_Click}, {HoldBack, &frmMain::holdReviewBack},
        {HoldForward, &frmMain::holdReviewForward}, {SaveSnapshots, &frmMain::mnuFileSaveSnapshots_Click},
        {SaveImage, &frmMain::mnuToolsSaveImage_Click},
    };
    mDelay->pick(id);
    if (const Handler handler = handlers.value(id); handler && !mLive->refuses(id))
        (this->*handler)();
}

void frmMain::Form_Load()
{
    reportFailures(*this, "Form_Load: ", [&] {
        LoadSettings();
        frCommand->showButtonTips(true);
        mVideoSize = QSize(200, 200);
        if (!mCommandLine.isEmpty())
            OpenMedia(mCommandLine);
        if (mPlayer->PlayState() == MediaPlayer::Closed) {
            if (WindowSettings::countStart() < 5)
                SplashTimer->start();
        }
        mRing.setCaptureSlot(mRing.count());
    });
}

void frmMain::showAbout()
{
    if (mAbout)
        return;
    frmAbout about(frCommand->imgLeft, frCommand->imgRight, this);
    mAbout = &about;
    about.exec();
}

void frmMain::Form_Unload()
{
    if (mUnloaded)
        return;
    mUnloaded = true;
    SaveWindowSettings();
    for (qint32 s = 1; s <= mRing.count(); ++s)
        ignoreFailure([&] { mRing.releaseSlot(s); });
    ignoreFailure([&] { mOptions->unload(); });
    for (QDialog *dialog : std::initializer_list<QDialog *>{mErrors.openDialog(), mAbout.data()})
        ignoreFailure([&] { dialog ? dialog->done(0) : void(); });
    ignoreFailure([&] { PlayTimer->stop(); PauseTimer->stop(); ReviewTimer->stop(); SplashTimer->stop(); });
}

void frmMain::SaveWindowSettings()
{
    WindowSettings now;
    ignoreFailure([&] { now.widthTwips = float(Twips::outerWidth(this)); });
    ignoreFailure([&] { now.heightTwips = float(Twips::outerHeight(this)); });
    now.zoom = mZoom->stored();
    now.delay = mDelay->seconds();
    now.save();
}

void frmMain::LoadSettings()
{
    reportFailures(*this, "LoadSettings: ", [&] {
        mOptions->takeFrameTime();
        PauseTimer->setInterval(0);
        const WindowSettings stored = WindowSettings::load(*this);
        const auto savedSize = [this, stored] {
            if (stored.widthTwips)
                Twips::setOuterWidth(this, *stored.widthTwips);
            if (stored.heightTwips)
                Twips::setOuterHeight(this, *stored.heightTwips);
        };
        mLayoutHost->againWhenFramed(savedSize);
        savedSize();
        mRing.setCount(stored.captureCount);
        mZoom->restore(stored.zoom);
        mDelay->restore(stored.delay);
    });
}

void frmMain::mnuFileOpen_Click()
{
    leaveSilently([&] {
        mPlay->pauseForDialog();
        if (const QString fileName = OpenDialog::getOpenFileName(this); !fileName.isEmpty())
            OpenMedia(fileName);
    });
}

void frmMain::dropEvent(QDropEvent *event)
{
    event->acceptProposedAction();
    Form_OLEDragDrop(event->mimeData());
}

void frmMain::Form_OLEDragDrop(const QMimeData *data)
{
    reportFailures(*this, "Form_OLEDragDrop: ", [&] {
        const QString fileName = DroppedFile::name(data);
        if (fileName.isEmpty())
            raiseFailure(Failure::NoFileDropped);
        OpenMedia(fileName);
    });
}

void frmMain::OpenMedia(const QString &name)
{
    reportFailures(*this, "OpenMedia: ", [&] { mOpening->open(name); });
}

void frmMain::setCaption(const QString &shownName)
{
    setWindowTitle(shownName.isEmpty() ? QStringLiteral("Orvane %1 %2").arg(AppInfo::kTitle, AppInfo::kVersion)
                                       : QStringLiteral("Orvane %1 - ").arg(AppInfo::kTitle) + shownName);
}

void frmMain::opened(qint32 lengthSeconds, QSize video)
{
    mDuration = lengthSeconds;
    mVideoSize = video;
    mOptions->takeFrameTime(); // the new medium's frame rate counts with every frame
    switch (mZoom->stored()) {
    case WindowSettings::Zoom::Percent100: mnuZoom100_Click(); break;
    case WindowSettings::Zoom::Percent200: mnuZoom200_Click(); break;
    case WindowSettings::Zoom::Fit: mnuZoomFit_Click(); break;
    case WindowSettings::Zoom::None: break;
    }
}

void frmMain::cmdPlay_Click()
{
    reportFailures(*this, "cmdPlay_Click: ", [&] {
        if (mPlay->picture() == PlayPicture::Play)
            ShowImage(0);
        frCommand->showButtonTips(!mPlay->userPlayPause());
    });
}

void frmMain::oMediaPlayer_PlayStateChange(int /*previous*/, int state)
{
    reportFailures(*this, "oMediaPlayer_PlayStateChange: ", [&] {
        mPlay->stateChanged(state);
        if (state == MediaPlayer::Playing) {
            ReviewTimer->stop();
            ShowImage(0);
            frCommand->setLeftPicture(PictureStore::Picture::Normal);
            // Under a delay there are newer snapshots to step forward to.
            frCommand->setRightPicture(mDelay->seconds() > 0 ? PictureStore::Picture::Normal : PictureStore::Picture::Disabled);
        }
    });
}

void frmMain::oMediaPlayer_OpenStateChange(int previous, int /*state*/)
{
    frCommand->cmdPlay->setEnabled(previous != MediaPlayer::Open);
    frCommand->cmdLeft->setEnabled(frCommand->cmdPlay->isEnabled());
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmMain::Form_Resize()
{
    if (mLayout)
        reportFailures(*this, "Form_Resize: ", [&] { mLayout->resized(); });
}

// A zoom asked for is a layout of its own, whatever number of resizes it takes, and the
// ones that follow it: a shortage of memory is told once for it.
void frmMain::zoom(const char *handler, qint32 factor)
{
    mRingSizing->newLayout();
    reportFailures(*this, handler, [&] { mLayout->zoom(factor); });
}

void frmMain::mnuZoomFit_Click()
{
    mRingSizing->newLayout();
    mLayout->fit();
}

void frmMain::cmdFullScreen_Click()
{
    reportFailures(*this, "cmdFullScreen_Click: ", [&] {
        mLayout->toggleFullScreen();
        mnuZoomFit_Click();
    });
}

void frmMain::Form_KeyDown(int keyCode, int /*shift*/)
{
    reportFailures(*this, "Form_KeyDown: ", [&] {
        if (const Commands::Command *command = Commands::forHeldKey(keyCode))
            runCommand(command->id);
    });
}

void frmMain::Form_KeyUp(int keyCode, int /*shift*/)
{
    if (const Commands::Command *command = Commands::forKeyUp(keyCode, mLayout->fullScreen()))
        runCommand(command->id);
    ReleaseReview();
}

void frmMain::mnuToolsOptions_Click()
{
    reportFailures(*this, "mnuToolsOptions_Click: ", [&] {
        mPlay->pauseForDialog();
        mOptions->run();
    });
}

void frmMain::SetSnapshotRegion()
{
    reportFailures(*this, "SetSnapshotRegion: ", [&] { mRingSizing->size(); });
}

void frmMain::CaptureImage()
{
    reportFailures(*this, "CaptureImage: ", [&] { mView->capture(); mDelay->follow(); });
}

void frmMain::PlayTimer_Timer()
{
    mPlay->playTick();
    ignoreFailure([&] { CaptureImage(); });
}

void frmMain::ShowImage(qint32 offset)
{
    reportFailures(*this, "ShowImage: ", [&] { mDelay->show(offset); });
}

void frmMain::mnuToolsCopy_Click()
{
    reportFailures(*this, "mnuToolsCopy_Click: ", [&] { SnapshotSaving::copyPicture(mView->shownPicture()); });
}

// The save dialogs pause the video as any dialog does; the picture saved is the one left shown.
void frmMain::mnuFileSaveSnapshots_Click()
{
    reportFailures(*this, "mnuFileSaveSnapshots_Click: ", [&] {
        mPlay->pauseForDialog();
        mSaving->saveSnapshots(mRing);
    });
}

void frmMain::mnuToolsSaveImage_Click()
{
    reportFailures(*this, "mnuToolsSaveImage_Click: ", [&] {
        mPlay->pauseForDialog();
        mSaving->savePicture(mView->shownPicture());
    });
}

void frmMain::ShowError(QString &sErr, const Failure &failure)
{
    sErr += QStringLiteral(", line ") + QString::number(failure.line());
    // A failure to pause must not cost the report its log line.
    ignoreFailure([&] { mPlay->pauseForDialog(); });
    ReviewTimer->stop();
    PlayTimer->stop();
    mErrors.present(sErr, failure.number());
}

void frmMain::jump(const char *handler, qint32 seconds)
{
    reportFailures(*this, handler, [&] { seconds < 0 ? mPosition->jumpBack(-seconds) : mPosition->jumpForward(seconds); });
}
