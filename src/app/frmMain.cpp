#include "app/frmMain.h"

#include "AppInfo.h"
#include "about/frmAbout.h"
#include "app/CommandBar.h"
#include "app/Commands.h"
#include "app/DroppedFile.h"
#include "app/KeyTracker.h"
#include "app/Twips.h"
#include "app/WindowInput.h"
#include "app/WindowChrome.h"
#include "app/WindowFrameWatch.h"
#include "errors/Failure.h"
#include "errors/MessageBox.h"
#include "errors/SupportMail.h"
#include "errors/frmError.h"
#include "playback/InputCodes.h"
#include "playback/LocalName.h"
#include "playback/MediaPlayer.h"
#include "playback/OpenDialog.h"
#include "review/Capture.h"
#include "review/ReviewAge.h"
#include "review/ReviewButton.h"
#include "review/ReviewPicture.h"
#include "review/SnapshotView.h"
#include "review/SharedImageBlock.h"
#include "settings/Numbers.h"
#include "settings/SettingsStore.h"
#include "settings/WindowSettings.h"
#include "settings/frmOptions.h"

#include <QApplication>
#include <QDesktopServices>
#include <QClipboard>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QSlider>
#include <QToolButton>
#include <QUrl>
#include <QWindow>

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
    createMenus();
    createCommandBar();

    const auto timer = [this](const char *name) {
        auto *timer = new IntervalTimer(this);
        timer->setObjectName(QLatin1String(name));
        return timer;
    };
    PlayTimer = timer("PlayTimer");
    PauseTimer = timer("PauseTimer");
    ReviewTimer = timer("ReviewTimer");
    PositionTimer = timer("PositionTimer");
    SplashTimer = timer("SplashTimer");
    PositionTimer->setInterval(1000);
    PositionTimer->start();
    SplashTimer->setInterval(500);
    connect(PlayTimer, &IntervalTimer::Timer, this, &frmMain::PlayTimer_Timer);
    connect(PauseTimer, &IntervalTimer::Timer, this, &frmMain::PauseTimer_Timer);
    connect(ReviewTimer, &IntervalTimer::Timer, this, &frmMain::ReviewTimer_Timer);
    connect(SplashTimer, &IntervalTimer::Timer, this, &frmMain::SplashTimer_Timer);
    connect(PositionTimer, &IntervalTimer::Timer, this, &frmMain::PositionTimer_Timer);

    mPlayer = mPlayerFactory(client);
    QWidget *video = mPlayer->widget();
    video->setObjectName(QStringLiteral("oMediaPlayer"));
    video->setGeometry(kPlayerLeft, kPlayerTop, 239, 181);
    connect(mPlayer.get(), &MediaPlayer::PlayStateChange, this, &frmMain::oMediaPlayer_PlayStateChange);
    connect(mPlayer.get(), &MediaPlayer::OpenStateChange, this, &frmMain::oMediaPlayer_OpenStateChange);
    connect(mPlayer.get(), &MediaPlayer::MouseDown, this, &frmMain::oMediaPlayer_MouseDown);
    // A medium that fails while it plays is told as one that fails to open.
    connect(mPlayer.get(), &MediaPlayer::Error, this, [this] {
        const QString name = LocalName::shown(mPlayer->FileName());
        MessageBox::show(mPlayer->ErrorDescription() + QStringLiteral("\r\n") + name, MessageBox::Icon::Warning);
    });
    mPosition = std::make_unique<PositionControl>(*mPlayer, *this);
    mPlay = std::make_unique<PlayControl>(*mPlayer, *this, *PlayTimer, *PauseTimer);

    oCaptured = new ReviewPicture(client);
    oCaptured->setObjectName(QStringLiteral("oCaptured"));
    oCaptured->setGeometry(kPlayerLeft, kPlayerTop, 273, 173);
    oCaptured->hide();
    connect(oCaptured, &ReviewPicture::MouseDown, this, &frmMain::oCaptured_MouseDown);
    connect(oCaptured, &ReviewPicture::MouseUp, this, [this] { ReleaseReview(); });
    connect(oCaptured, &ReviewPicture::DblClick, this, &frmMain::oCaptured_DblClick);
    mView = std::make_unique<SnapshotView>(mRing, *oCaptured, *mPlayer, *frCommand->lblReviewTime);
    WindowChrome::keepPlayerRoom(this, kPlayerTop);

    // Where the display server reads our memory, the ring lies in one block shared with it,
    // so that a snapshot is shown without a copy.
    mRing.setMemory(std::make_unique<SharedImageBlock>());
    mFrameWatch = new WindowFrameWatch(this);
    // Design size of the inner area: 592 x 551 pixels.
    resize(592, 551 + menuBar()->sizeHint().height());
}

frmMain::~frmMain()
{
    mInput.reset(); // no event reaches a window half gone
    // The player's widget is a child of client; release the engine first so it never
    // outlives the window it draws into.
    mView.reset();
    mPlay.reset();
    mPosition.reset();
    mPlayer.reset();
}

void frmMain::createMenus()
{
    for (const Commands::Menu &menu : Commands::menus())
        menuBar()->addMenu(tr(menu.caption))->setObjectName(QLatin1String(menu.name));
    for (const Commands::Command &command : Commands::table()) {
        auto *menu = command.menu ? menuBar()->findChild<QMenu *>(QLatin1String(command.menu)) : nullptr;
        if (!menu)
            continue;
        QAction *item = qstrcmp(command.caption, "-") == 0 ? menu->addSeparator() : menu->addAction(tr(command.caption));
        item->setObjectName(QLatin1String(command.name));
        item->setShortcut(command.shortcut);
        item->setAutoRepeat(false); // a held key is one command
        if (command.id != Commands::Id::None)
            connect(item, &QAction::triggered, this, [this, id = command.id] { runCommand(id); });
    }
    const auto item = [this](const char *name) { return menuBar()->findChild<QAction *>(QLatin1String(name)); };
    mnuZoom100 = item("mnuZoom100");
    mnuZoom200 = item("mnuZoom200");
    mnuZoomFit = item("mnuZoomFit");
    for (QAction *zoom : {mnuZoom100, mnuZoom200, mnuZoomFit})
        zoom->setCheckable(true);
}

void frmMain::createCommandBar()
{
    frCommand = new CommandBar(imgPlay, imgLeft, imgRight, client);
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
        {Copy, &frmMain::mnuToolsCopy_Click}, {Options, &frmMain::mnuToolsOptions_Click},
        {Previous, &frmMain::mnuViewPrev_Click}, {Next, &frmMain::mnuViewNext_Click},
        {PlayPause, &frmMain::mnuViewPlay_Click}, {Back15, &frmMain::mnuViewBack15sec_Click},
        {Back5, &frmMain::mnuViewBack5sec_Click}, {Forward15, &frmMain::mnuViewForward15sec_Click},
        {Forward5, &frmMain::mnuViewForward5sec_Click}, {Speed, &frmMain::mnuViewSpeed_Click},
        {Zoom100, &frmMain::mnuZoom100_Click}, {Zoom200, &frmMain::mnuZoom200_Click},
        {ZoomFit, &frmMain::mnuZoomFit_Click}, {FullScreen, &frmMain::mnuZoomFullScreen_Click},
        {Help, &frmMain::mnuHelpContent_Click}, {Email, &frmMain::mnuHelpEmail_Click},
        {About, &frmMain::mnuHelpAbout_Click}, {HoldBack, &frmMain::holdReviewBack},
        {HoldForward, &frmMain::holdReviewForward},
    };
    if (const Handler handler = handlers.value(id))
        (this->*handler)();
}

// ---------------------------------------------------------------------------
// Start-up and shutdown

void frmMain::Form_Load()
{
    reportFailures(*this, "Form_Load: ", [&] {
        // Positions and sizes inside the window are pixels already; only the outer
        // size is kept in twips.
        LoadSettings();
        ShowButtonTips(true);
        mlVideoHeight = 200;
        mlVideoWidth = 200;
        if (!mCommandLine.isEmpty())
            OpenMedia(mCommandLine);
        if (mPlayer->PlayState() == MediaPlayer::Closed) {
            if (WindowSettings::countStart() < 5)
                SplashTimer->start();
        }
        mRing.setCaptureSlot(mRing.count());
    });
}

void frmMain::SplashTimer_Timer()
{
    SplashTimer->stop();
    showAbout();
}

void frmMain::showAbout()
{
    if (mAbout)
        return;
    frmAbout about(imgLeft, imgRight, this);
    mAbout = &about;
    about.exec();
}

void frmMain::mnuHelpAbout_Click()
{
    mPlay->pauseForDialog();
    showAbout();
}

void frmMain::mnuHelpContent_Click()
{
    const QString help = ProgramFolder::path() + QStringLiteral("/Replixa FAQ.htm");
    ignoreFailure([&] { QDesktopServices::openUrl(QUrl::fromLocalFile(help)); });
}

void frmMain::mnuHelpEmail_Click()
{
    SupportMail::SendMail(SupportMail::GetVersionText(), QString());
}

void frmMain::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void frmMain::Form_Unload()
{
    if (mUnloaded)
        return;
    mUnloaded = true;
    SaveWindowSettings();
    for (qint32 s = 1; s <= mRing.count(); ++s)
        ignoreFailure([&] { mRing.releaseSlot(s); });
    ignoreFailure([&] { delete mOptions.data(); });
    ignoreFailure([&] {
        if (frmError *dialog = mErrors.openDialog())
            dialog->done(0);
    });
    ignoreFailure([&] {
        if (mAbout)
            mAbout->done(0);
    });
    ignoreFailure([&] { PlayTimer->stop(); PauseTimer->stop(); ReviewTimer->stop(); SplashTimer->stop(); });
}

// ---------------------------------------------------------------------------
// Settings

void frmMain::SaveWindowSettings()
{
    WindowSettings now;
    ignoreFailure([&] { now.widthTwips = float(outerWidthTwips()); });
    ignoreFailure([&] { now.heightTwips = float(outerHeightTwips()); });
    now.zoom = mnuZoom100->isChecked()   ? WindowSettings::Zoom::Percent100
               : mnuZoom200->isChecked() ? WindowSettings::Zoom::Percent200
               : mnuZoomFit->isChecked() ? WindowSettings::Zoom::Fit
                                         : WindowSettings::Zoom::None;
    now.save();
}

void frmMain::LoadSettings()
{
    reportFailures(*this, "LoadSettings: ", [&] {
        PlayTimer->setInterval(options().intervalMs());
        PauseTimer->setInterval(0);
        ReviewTimer->setInterval(PlayTimer->interval());
        const WindowSettings stored = WindowSettings::load(*this);
        const auto savedSize = [this, stored] {
            if (stored.widthTwips)
                setOuterWidthTwips(*stored.widthTwips);
            if (stored.heightTwips)
                setOuterHeightTwips(*stored.heightTwips);
        };
        mFrameWatch->againWhenFramed(savedSize);
        savedSize();
        mRing.setCount(stored.captureCount);
        using enum WindowSettings::Zoom;
        (stored.zoom == Percent200 ? mnuZoom200 : stored.zoom == Fit ? mnuZoomFit : mnuZoom100)->setChecked(true);
    });
}

frmOptions &frmMain::options()
{
    if (!mOptions)
        mOptions = new frmOptions(this);
    return *mOptions;
}

// ---------------------------------------------------------------------------
// Playback

void frmMain::setCaption(const QString &caption)
{
    setWindowTitle(caption);
}

void frmMain::mnuFileOpen_Click()
{
    leaveSilently([&] {
        mPlay->pauseForDialog();
        const QString fileName = OpenDialog::getOpenFileName(this);
        if (fileName.isEmpty())
            return;
        OpenMedia(fileName);
    });
}

void frmMain::dragEnterEvent(QDragEnterEvent *event)
{
    // Any drop is taken: one without a file is reported, so the user learns why nothing opened.
    event->acceptProposedAction();
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
    reportFailures(*this, "OpenMedia: ", [&] {
        // A caller without a shell may wrap the whole name in quotes; one inside belongs to it.
        const bool wrapped = name.size() > 1 && name.startsWith(u'"') && name.endsWith(u'"');
        mPlay->newFile();
        mPlayer->SetFileName(wrapped ? name.mid(1, name.size() - 2) : name);
        if (mPlayer->PlayState() == MediaPlayer::Closed) {
            setCaption(QStringLiteral("Orvane %1 %2").arg(AppInfo::kTitle, AppInfo::kVersion));
            MessageBox::show(mPlayer->ErrorDescription() + QStringLiteral("\r\n") + LocalName::shown(name),
                             MessageBox::Icon::Warning);
            return;
        }
        mlDuration = Numbers::toInt32(mPlayer->Duration());
        mlVideoHeight = Numbers::toInt32(mPlayer->widget()->height());
        mlVideoWidth = Numbers::toInt32(mPlayer->widget()->width());
        if (mnuZoom100->isChecked())
            mnuZoom100_Click();
        if (mnuZoom200->isChecked())
            mnuZoom200_Click();
        if (mnuZoomFit->isChecked())
            mnuZoomFit_Click();
        setCaption(QStringLiteral("Orvane %1 - ").arg(AppInfo::kTitle) + LocalName::shown(mPlayer->FileName()));
        PlayMedia();
        Form_Resize();
    });
}

void frmMain::setPlayPicture(PlayPicture picture)
{
    frCommand->cmdPlay->setIcon(imgPlay.picture(picture == PlayPicture::Pause ? PictureStore::Picture::Pressed
                                     : picture == PlayPicture::Play ? PictureStore::Picture::Normal
                                                                    : PictureStore::Picture::Disabled));
}

void frmMain::setLeftPicture(PictureStore::Picture picture)
{
    mLeftPicture = picture;
    frCommand->cmdLeft->setIcon(imgLeft.picture(picture));
}

void frmMain::setRightPicture(PictureStore::Picture picture)
{
    mRightPicture = picture;
    frCommand->cmdRight->setIcon(imgRight.picture(picture));
}

void frmMain::PlayMedia()
{
    mPlay->PlayMedia();
}

void frmMain::PauseMedia()
{
    mPlay->PauseMedia();
}

void frmMain::pauseForReview()
{
    mPlay->pauseForReview();
}

bool frmMain::slowed() const
{
    return frCommand->SpeedSlider->value() < SlowMotion::Normal;
}

void frmMain::ShowButtonTips(bool show)
{
    frCommand->cmdLeft->setToolTip(show ? tr("Previous Frame <-") : QString());
    frCommand->cmdRight->setToolTip(show ? tr("Next Frame ->") : QString());
    frCommand->cmdPlay->setToolTip(show ? tr("Play - Pause (Space)") : QString());
}

void frmMain::cmdPlay_Click()
{
    reportFailures(*this, "cmdPlay_Click: ", [&] {
        if (mPlay->picture() == PlayPicture::Play)
            ShowImage(0);
        ShowButtonTips(!mPlay->userPlayPause());
    });
}

void frmMain::oMediaPlayer_PlayStateChange(int /*previous*/, int state)
{
    reportFailures(*this, "oMediaPlayer_PlayStateChange: ", [&] {
        mPlay->stateChanged(state);
        if (state == MediaPlayer::Playing) {
            ReviewTimer->stop();
            ShowImage(0);
            setLeftPicture(PictureStore::Picture::Normal);
            setRightPicture(PictureStore::Picture::Disabled);
        }
    });
}

void frmMain::oMediaPlayer_OpenStateChange(int previous, int /*state*/)
{
    frCommand->cmdPlay->setEnabled(previous != MediaPlayer::Open);
    frCommand->cmdLeft->setEnabled(frCommand->cmdPlay->isEnabled());
}

void frmMain::oMediaPlayer_MouseDown(int button, int /*shift*/, int /*x*/, int /*y*/)
{
    oCaptured_MouseDown(button, 0, 0, 0);
}

// ---------------------------------------------------------------------------
// Layout and zoom

double frmMain::outerWidthTwips() const { return Twips::outerWidth(this); }
double frmMain::outerHeightTwips() const { return Twips::outerHeight(this); }
void frmMain::setOuterWidthTwips(double twips, std::source_location where) { Twips::setOuterWidth(this, twips, where); }
void frmMain::setOuterHeightTwips(double twips, std::source_location where) { Twips::setOuterHeight(this, twips, where); }

int frmMain::innerWidth() const
{
    return width();
}

int frmMain::innerHeight() const
{
    const int bar = menuBar()->isHidden() ? 0 : menuBar()->heightForWidth(width());
    return height() - (bar > 0 ? bar : menuBar()->sizeHint().height());
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmMain::Form_Resize()
{
    reportFailures(*this, "Form_Resize: ", [&] { mLayout.resized(); });
}

// A zoom asked for is a layout of its own, whatever number of resizes it takes, and the
// ones that follow it: a shortage of memory is told once for it.
void frmMain::mnuZoom100_Click()
{
    mRingSizing.newLayout();
    reportFailures(*this, "mnuZoom100_Click: ", [&] { mLayout.zoom(1); });
}

void frmMain::mnuZoom200_Click()
{
    mRingSizing.newLayout();
    reportFailures(*this, "mnuZoom200_Click: ", [&] { mLayout.zoom(2); });
}

void frmMain::mnuZoomFit_Click()
{
    mRingSizing.newLayout();
    mLayout.fit();
}

void frmMain::cmdFullScreen_Click()
{
    reportFailures(*this, "cmdFullScreen_Click: ", [&] {
        mLayout.toggleFullScreen();
        mnuZoomFit_Click();
    });
}

LayoutHost::Metrics frmMain::metrics() const
{
    return {frameGeometry().size(), QSize(innerWidth(), innerHeight()), QSize(mlVideoWidth, mlVideoHeight),
            mPlayer->widget()->geometry(), geometry(), QPointF(Twips::perPixelX(this), Twips::perPixelY(this))};
}

LayoutHost::Zoom frmMain::zoom() const
{
    return mnuZoom100->isChecked() ? Zoom::Percent100 : mnuZoom200->isChecked() ? Zoom::Percent200 : Zoom::Fit;
}

void frmMain::setZoom(Zoom zoom)
{
    for (int i = 0; QAction *item : {mnuZoom100, mnuZoom200, mnuZoomFit})
        item->setChecked(i++ == int(zoom));
}

void frmMain::leaveMaximized() { setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen)); }
void frmMain::setOuterTwips(double width, double height) { setOuterWidthTwips(width), setOuterHeightTwips(height); }
void frmMain::againWhenFramed(std::function<void()> sizing) { mFrameWatch->againWhenFramed(std::move(sizing)); }
void frmMain::showChrome(bool show) { WindowChrome::show(this, show); }

void frmMain::setFullScreen(bool on, QRect normal) { WindowChrome::setFullScreen(this, on, normal, kPlayerTop); }

void frmMain::layOut(QSize player)
{
    mPlayer->widget()->resize(player);
    frCommand->move(frCommand->x(), 0);
    frCommand->resize(innerWidth(), frCommand->height());
    SetSnapshotRegion();
    ShowImage(0);
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
    if (const Commands::Command *command = Commands::forKeyUp(keyCode, mLayout.fullScreen()))
        runCommand(command->id);
    ReleaseReview();
}

void frmMain::holdReviewBack()
{
    if (!ReviewTimer->isEnabled())
        cmdLeft_MouseDown(1, 0, 0, 0);
}

void frmMain::holdReviewForward()
{
    if (!ReviewTimer->isEnabled())
        cmdLeft_MouseDown(2, 0, 0, 0);
}

void frmMain::mnuToolsOptions_Click()
{
    reportFailures(*this, "mnuToolsOptions_Click: ", [&] {
        mPlay->pauseForDialog();
        options().exec();
        if (mOptions->closedByWindow()) {
            // Closed through its close box: the dialog is unloaded and the choice discarded.
            delete mOptions.data();
        }
        PlayTimer->setInterval(options().intervalMs());
        ReviewTimer->setInterval(PlayTimer->interval());
    });
}

// ---------------------------------------------------------------------------
// Snapshot ring, capture and review

void frmMain::SetSnapshotRegion()
{
    reportFailures(*this, "SetSnapshotRegion: ", [&] { mRingSizing.size(); });
}

QSize frmMain::videoSize() const { return mPlayer->widget()->size(); }
bool frmMain::atHundredPercent() const { return mnuZoom100->isChecked(); }
void frmMain::pauseForMessage() { mPlay->pauseForDialog(); }

void frmMain::placeReviewPicture(QSize size)
{
    oCaptured->move(mPlayer->widget()->pos());
    oCaptured->setPictureSize(size);
}

void frmMain::CaptureImage()
{
    reportFailures(*this, "CaptureImage: ", [&] { mView->capture(); });
}

void frmMain::PlayTimer_Timer()
{
    mPlay->playTick();
    ignoreFailure([&] { CaptureImage(); });
}

void frmMain::PauseTimer_Timer()
{
    mPlay->pauseTick();
}

void frmMain::ShowImage(qint32 offset)
{
    reportFailures(*this, "ShowImage: ", [&] {
        mReview.setOffset(offset);
        mView->show(offset, ReviewAge::seconds(PlayTimer->interval(), PauseTimer->interval(), offset));
    });
}

bool frmMain::isReviewButton(const QObject *object) const
{
    return object == frCommand->cmdLeft || object == frCommand->cmdRight;
}

void frmMain::cmdLeft_MouseDown(int button, int, int, int)
{
    MouseDown(button);
}

void frmMain::cmdRight_MouseDown(int, int, int, int)
{
    MouseDown(2);
}

void frmMain::oCaptured_MouseDown(int button, int, int, int)
{
    cmdLeft_MouseDown(button, 0, 0, 0);
}

void frmMain::mnuViewPrev_Click()
{
    if (mlReviewDirection() < 1) {
        cmdLeft_MouseDown(1, 0, 0, 0);
        ReleaseReview();
    }
}

void frmMain::mnuViewNext_Click()
{
    if (mlReviewDirection() < 1) {
        cmdLeft_MouseDown(2, 0, 0, 0);
        ReleaseReview();
    }
}

void frmMain::mnuToolsCopy_Click()
{
    reportFailures(*this, "mnuToolsCopy_Click: ", [&] {
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        if (const QImage shown = mView->shownPicture(); !shown.isNull())
            clipboard->setImage(shown);
    });
}

bool frmMain::reviewTimerEnabled() const
{
    return ReviewTimer->isEnabled();
}

void frmMain::setReviewTimerEnabled(bool enabled)
{
    ReviewTimer->setEnabled(enabled);
}

bool frmMain::shortestFrameTimeSelected()
{
    return options().intervalMs() == frmOptions::kIntervals[0];
}

// ---------------------------------------------------------------------------
// Error reporting

void frmMain::ShowError(QString &sErr, const Failure &failure)
{
    sErr += QStringLiteral(", line ") + QString::number(failure.line());
    // A failure to pause must not cost the report its log line.
    ignoreFailure([&] { mPlay->pauseForDialog(); });
    ReviewTimer->stop();
    PlayTimer->stop();
    mErrors.present(sErr, failure.number());
}

// ---------------------------------------------------------------------------
// Position and speed

void frmMain::PositionTimer_Timer()
{
    mPosition->timerTick();
}

void frmMain::PositionSlider_Scroll()
{
    mPosition->sliderScrolled();
}
void frmMain::SpeedSlider_Change()
{
    mSpeed.speedChanged();
}

void frmMain::ToggleSpeed()
{
    mSpeed.toggleSpeed();
}

int frmMain::speedValue() const { return frCommand->SpeedSlider->value(); }
void frmMain::setSpeedValue(int value) { frCommand->SpeedSlider->setValue(value); }
void frmMain::setSpeedTip(const QString &tip) { frCommand->SpeedSlider->setToolTip(tip); }
int frmMain::playInterval() const { return PlayTimer->interval(); }
void frmMain::setPauseInterval(int milliseconds) { mPlay->setStandLength(milliseconds); }
void frmMain::setMute(bool mute) { mPlayer->SetMute(mute); }
qint32 frmMain::positionSliderValue() const { return frCommand->PositionSlider->sliderPosition(); }
void frmMain::setPositionSliderValue(qint32 value) { frCommand->PositionSlider->setValue(value); }
qint32 frmMain::positionSliderMaximum() const { return frCommand->PositionSlider->maximum(); }
void frmMain::setPositionText(const QString &text) { frCommand->lblPosition->setText(text); }
void frmMain::mnuViewBack15sec_Click()
{
    reportFailures(*this, "mnuViewBack15sec_Click: ", [&] { mPosition->jumpBack(15); });
}

void frmMain::mnuViewBack5sec_Click()
{
    reportFailures(*this, "mnuViewBack5sec_Click: ", [&] { mPosition->jumpBack(5); });
}

void frmMain::mnuViewForward15sec_Click()
{
    reportFailures(*this, "mnuViewForward15sec_Click: ", [&] { mPosition->jumpForward(15); });
}

void frmMain::mnuViewForward5sec_Click()
{
    reportFailures(*this, "mnuViewForward5sec_Click: ", [&] { mPosition->jumpForward(5); });
}
