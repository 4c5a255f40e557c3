#include "app/frmMain.h"

#include "AppInfo.h"
#include "about/frmAbout.h"
#include "app/KeyCodes.h"
#include "app/Twips.h"
#include "errors/Failure.h"
#include "errors/MessageBox.h"
#include "errors/frmError.h"
#include "playback/MediaPlayer.h"
#include "playback/OpenDialog.h"
#include "review/MemoryBudget.h"
#include "review/ReviewAge.h"
#include "review/ReviewPicture.h"
#include "review/TileGrid.h"
#include "settings/Numbers.h"
#include "settings/SettingsStore.h"
#include "settings/frmOptions.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSlider>
#include <QToolButton>
#include <QUrl>
#include <QWindow>

#include <limits>

namespace {
QString appTitle()
{
    return QString::fromLatin1(AppInfo::kTitle);
}

QString versionNumbers()
{
    return QString::fromLatin1(AppInfo::kVersion);
}

// Pixels from a twips value, refusing sizes no window can take.
int pixelsFromTwips(double twips, double twipsPerPixel, std::source_location where)
{
    const double pixels = twips / twipsPerPixel;
    if (!(pixels >= 0) || pixels > QWIDGETSIZE_MAX)
        raiseFailure(Failure::InvalidPropertyValue, Failure::standardDescription(Failure::InvalidPropertyValue), where);
    return int(std::lround(pixels));
}

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

    PlayTimer = new IntervalTimer(this);
    PauseTimer = new IntervalTimer(this);
    ReviewTimer = new IntervalTimer(this);
    PositionTimer = new IntervalTimer(this);
    SplashTimer = new IntervalTimer(this);
    PositionTimer->setInterval(1000);
    PositionTimer->start();
    SplashTimer->setInterval(500);
    connect(PlayTimer, &IntervalTimer::Timer, this, &frmMain::PlayTimer_Timer);
    connect(PauseTimer, &IntervalTimer::Timer, this, &frmMain::PauseTimer_Timer);
    connect(ReviewTimer, &IntervalTimer::Timer, this, &frmMain::ReviewTimer_Timer);
    connect(SplashTimer, &IntervalTimer::Timer, this, &frmMain::SplashTimer_Timer);

    mPlayer = mPlayerFactory(client);
    QWidget *video = mPlayer->widget();
    video->setObjectName(QStringLiteral("oMediaPlayer"));
    video->setGeometry(kPlayerLeft, kPlayerTop, 239, 181);
    connect(mPlayer.get(), &MediaPlayer::PlayStateChange, this, &frmMain::oMediaPlayer_PlayStateChange);
    connect(mPlayer.get(), &MediaPlayer::OpenStateChange, this, &frmMain::oMediaPlayer_OpenStateChange);
    connect(mPlayer.get(), &MediaPlayer::MouseDown, this, &frmMain::oMediaPlayer_MouseDown);

    oCaptured = new ReviewPicture(client);
    oCaptured->setObjectName(QStringLiteral("oCaptured"));
    oCaptured->setGeometry(kPlayerLeft, kPlayerTop, 273, 173);
    oCaptured->hide();
    connect(oCaptured, &ReviewPicture::MouseDown, this, &frmMain::oCaptured_MouseDown);
    connect(oCaptured, &ReviewPicture::MouseUp, this, [this] { ReleaseReview(); });
    connect(oCaptured, &ReviewPicture::DblClick, this, &frmMain::oCaptured_DblClick);
    updateMinimumSize();

    // Design size of the inner area: 592 x 551 pixels.
    resize(592, 551 + menuBar()->sizeHint().height());
}

frmMain::~frmMain()
{
    qApp->removeEventFilter(this);
    // The player's widget is a child of client; release the engine first so it never
    // outlives the window it draws into.
    mPlayer.reset();
}

void frmMain::createMenus()
{
    mnuFile = menuBar()->addMenu(tr("&File"));
    mnuFileOpen = mnuFile->addAction(tr("&Open Video..."));
    connect(mnuFileOpen, &QAction::triggered, this, &frmMain::mnuFileOpen_Click);
    mnuFile->addSeparator();
    mnuFileExit = mnuFile->addAction(tr("E&xit"));
    connect(mnuFileExit, &QAction::triggered, this, &frmMain::mnuFileExit_Click);

    mnuTools = menuBar()->addMenu(tr("&Edit"));
    mnuToolsCopy = mnuTools->addAction(tr("&Copy Image"));
    mnuToolsCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    connect(mnuToolsCopy, &QAction::triggered, this, &frmMain::mnuToolsCopy_Click);
    mnuTools->addSeparator();
    mnuToolsOptions = mnuTools->addAction(tr("&Options..."));
    connect(mnuToolsOptions, &QAction::triggered, this, &frmMain::mnuToolsOptions_Click);

    mnuView = menuBar()->addMenu(tr("&View"));
    // The key names are part of the captions: F5 and F6 belong to the window's own key handling.
    mnuViewPrev = mnuView->addAction(tr("P&revious Frame") + QString(33, QLatin1Char(' ')) + QStringLiteral("F5"));
    connect(mnuViewPrev, &QAction::triggered, this, &frmMain::mnuViewPrev_Click);
    mnuViewNext = mnuView->addAction(tr("&Next Frame") + QString(39, QLatin1Char(' ')) + QStringLiteral("F6"));
    connect(mnuViewNext, &QAction::triggered, this, &frmMain::mnuViewNext_Click);
    mnuView->addSeparator();
    mnuViewPlay = mnuView->addAction(tr("&Play / Pause"));
    mnuViewPlay->setShortcut(QKeySequence(Qt::Key_F7));
    connect(mnuViewPlay, &QAction::triggered, this, &frmMain::cmdPlay_Click);

    mnuZoom = menuBar()->addMenu(tr("&Zoom"));
    mnuZoom100 = mnuZoom->addAction(tr("&100 %"));
    mnuZoom100->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F1));
    mnuZoom200 = mnuZoom->addAction(tr("&200 %"));
    mnuZoom200->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F2));
    mnuZoomFit = mnuZoom->addAction(tr("&Fit to Window"));
    mnuZoomFit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F3));
    mnuZoomFullScreen = mnuZoom->addAction(tr("Full &Screen"));
    mnuZoomFullScreen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4));
    for (QAction *item : {mnuZoom100, mnuZoom200, mnuZoomFit})
        item->setCheckable(true);
    connect(mnuZoom100, &QAction::triggered, this, &frmMain::mnuZoom100_Click);
    connect(mnuZoom200, &QAction::triggered, this, &frmMain::mnuZoom200_Click);
    connect(mnuZoomFit, &QAction::triggered, this, &frmMain::mnuZoomFit_Click);
    connect(mnuZoomFullScreen, &QAction::triggered, this, &frmMain::mnuZoomFullScreen_Click);

    mnuHelp = menuBar()->addMenu(tr("&Help"));
    mnuHelpAbout = mnuHelp->addAction(tr("&About..."));
}

void frmMain::createCommandBar()
{
    frCommand = new QFrame(client);
    frCommand->setObjectName(QStringLiteral("frCommand"));
    frCommand->setGeometry(3, 0, 389, 41);

    auto pictureButton = [this](const char *name, int left, const QString &tip) {
        auto *button = new QToolButton(frCommand);
        button->setObjectName(QLatin1String(name));
        button->setGeometry(left, 10, 16, 16);
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRaise(true);
        button->setIconSize(QSize(16, 16));
        button->setToolTip(tip);
        return button;
    };
    cmdPlay = pictureButton("cmdPlay", 0, tr("Play - Pause F7"));
    // Until a medium opens, the play button takes no clicks and shows a copy of its
    // disabled picture, which counts as neither play nor pause.
    cmdPlay->setEnabled(false);
    cmdPlay->setIcon(imgPlay.picture(PictureStore::Picture::Disabled));
    cmdLeft = pictureButton("cmdLeft", 24, tr("Previous Frame F5"));
    cmdLeft->setIcon(imgLeft.picture(PictureStore::Picture::Normal));
    cmdRight = pictureButton("cmdRight", 88, tr("Next Frame F6"));
    cmdRight->setIcon(imgRight.picture(PictureStore::Picture::Normal));
    cmdFullScreen = pictureButton("cmdFullScreen", 112, tr("Full Screen"));
    connect(cmdPlay, &QToolButton::clicked, this, &frmMain::cmdPlay_Click);
    connect(cmdFullScreen, &QToolButton::clicked, this, &frmMain::cmdFullScreen_Click);
    cmdFullScreen->setIcon(PictureStore(PictureStore::Shape::FullScreen).picture(PictureStore::Picture::Normal));
    // The review buttons react to either mouse button, so they are watched directly.
    cmdLeft->installEventFilter(this);
    cmdRight->installEventFilter(this);
    // A release ends a held step wherever it lands: the widget that took the press may
    // have been hidden by the step itself (the video gives way to the review picture).
    qApp->installEventFilter(this);

    lblReviewTime = new QLabel(tr("-0.0 sec"), frCommand);
    lblReviewTime->setObjectName(QStringLiteral("lblReviewTime"));
    lblReviewTime->setGeometry(48, 12, 37, 13);
    QFont small = lblReviewTime->font();
    small.setPixelSize(9);
    lblReviewTime->setFont(small);

    SpeedSlider = new QSlider(Qt::Horizontal, frCommand);
    SpeedSlider->setObjectName(QStringLiteral("SpeedSlider"));
    SpeedSlider->setRange(1, 3);
    SpeedSlider->setValue(3);
    SpeedSlider->setPageStep(1);
    SpeedSlider->setFocusPolicy(Qt::NoFocus);
    SpeedSlider->setGeometry(136, 10, 49, 25);
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
            const qint16 count = IncrementStartCount();
            if (count < 5)
                SplashTimer->start();
        }
        mRing.setCaptureSlot(mRing.count());
    });
}

qint16 frmMain::IncrementStartCount()
{
    // Two copies starting at once would otherwise both read the same count.
    const SettingsLock lock;
    const QString text = GetConfigValue(QStringLiteral("StartCount"));
    qint16 count = 1;
    if (Numbers::readsAsNumber(text))
        count = Numbers::toInt16(Numbers::toDouble(text) + 1);
    SetConfigValue(QStringLiteral("StartCount"), QString::number(count));
    return count;
}

void frmMain::SplashTimer_Timer()
{
    SplashTimer->stop();
    if (mAbout)
        return;
    frmAbout about;
    mAbout = &about;
    about.exec();
}

void frmMain::mnuFileExit_Click()
{
    close();
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
    ignoreFailure([&] {
        SetConfigValue(QStringLiteral("width"), Numbers::shortestText(float(outerWidthTwips())));
    });
    ignoreFailure([&] {
        SetConfigValue(QStringLiteral("height"), Numbers::shortestText(float(outerHeightTwips())));
    });
    ignoreFailure([&] {
        const int zoom = 1 * mnuZoom100->isChecked() + 2 * mnuZoom200->isChecked() + 3 * mnuZoomFit->isChecked();
        SetConfigValue(QStringLiteral("zoom"), QString::number(zoom));
    });
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

void frmMain::LoadSettings()
{
    reportFailures(*this, "LoadSettings: ", [&] {
        PlayTimer->setInterval(GetFrameTimeInterval());
        PauseTimer->setInterval(0);
        ReviewTimer->setInterval(PlayTimer->interval());
        const QString width = GetConfigValue(QStringLiteral("width"));
        if (!width.isEmpty())
            setOuterWidthTwips(Numbers::textToSingle(width));
        const QString height = GetConfigValue(QStringLiteral("height"));
        if (!height.isEmpty())
            setOuterHeightTwips(Numbers::textToSingle(height));
        const QString captureCount = GetConfigValue(QStringLiteral("CaptureCount"));
        qint32 count = 30;
        if (Numbers::readsAsNumber(captureCount))
            count = Numbers::textToInt32(captureCount);
        else
            SetConfigValue(QStringLiteral("CaptureCount"), QStringLiteral("30"));
        mRing.setCount(count);
        const QString zoom = GetConfigValue(QStringLiteral("zoom"));
        QAction *checked = zoom == QLatin1String("2")   ? mnuZoom200
                           : zoom == QLatin1String("3") ? mnuZoomFit
                                                        : mnuZoom100;
        checked->setChecked(true);
    });
}

frmOptions *frmMain::optionsDialog() const
{
    return mOptions.data();
}

qint32 frmMain::GetFrameTimeInterval()
{
    if (!mOptions)
        mOptions = new frmOptions(this);
    qint32 interval = 25;
    for (int i = 1; i < 5; ++i) {
        if (mOptions->optFreezeFrameTime[std::size_t(i)]->isChecked())
            interval = frmOptions::kIntervals[std::size_t(i)];
    }
    return interval;
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
        PauseMedia();
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
        const QList<QUrl> urls = data ? data->urls() : QList<QUrl>();
        if (urls.isEmpty() || !urls.first().isLocalFile())
            raiseFailure(Failure::NoFileDropped);
        OpenMedia(urls.first().toLocalFile());
    });
}

void frmMain::OpenMedia(const QString &name)
{
    reportFailures(*this, "OpenMedia: ", [&] {
        QString fileName = name;
        fileName.remove(QLatin1Char('"'));
        mPlayer->SetFileName(fileName);
        if (mPlayer->PlayState() == MediaPlayer::Closed) {
            setCaption(QStringLiteral("Orvane ") + appTitle() + QLatin1Char(' ') + versionNumbers());
            MessageBox::show(mPlayer->ErrorDescription() + QStringLiteral("\r\n") + name);
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
        setCaption(QStringLiteral("Orvane ") + appTitle() + QStringLiteral(" - ") + mPlayer->FileName());
        PlayMedia();
        Form_Resize();
    });
}

void frmMain::setPlayPicture(PlayPicture picture)
{
    mPlayPicture = picture;
    cmdPlay->setIcon(imgPlay.picture(picture == PlayPicture::Pause ? PictureStore::Picture::Pressed
                                     : picture == PlayPicture::Play ? PictureStore::Picture::Normal
                                                                    : PictureStore::Picture::Disabled));
}

void frmMain::setLeftPicture(PictureStore::Picture picture)
{
    mLeftPicture = picture;
    cmdLeft->setIcon(imgLeft.picture(picture));
}

void frmMain::setRightPicture(PictureStore::Picture picture)
{
    mRightPicture = picture;
    cmdRight->setIcon(imgRight.picture(picture));
}

void frmMain::PlayMedia()
{
    ignoreFailure([&] {
        if (mPlayer->PlayState() != MediaPlayer::Closed)
            mPlayer->Play();
    });
    ignoreFailure([&] {
        if (mPlayer->PlayState() == MediaPlayer::Playing)
            setPlayPicture(PlayPicture::Pause);
    });
}

void frmMain::PauseMedia()
{
    if (mPlayer->PlayState() == MediaPlayer::Playing)
        mPlayer->Pause();
    if (!PauseTimer->isEnabled())
        setPlayPicture(PlayPicture::Play);
}

void frmMain::ShowButtonTips(bool show)
{
    cmdLeft->setToolTip(show ? tr("Previous Frame <-") : QString());
    cmdRight->setToolTip(show ? tr("Next Frame ->") : QString());
    cmdPlay->setToolTip(show ? tr("Play - Pause (Space)") : QString());
}

void frmMain::cmdPlay_Click()
{
    reportFailures(*this, "cmdPlay_Click: ", [&] {
        if (mPlayPicture == PlayPicture::Play) {
            ShowImage(0);
            PlayMedia();
            ShowButtonTips(false);
        } else {
            PlayTimer->stop();
            PauseTimer->stop();
            PauseMedia();
            ShowButtonTips(true);
        }
    });
}

void frmMain::oMediaPlayer_PlayStateChange(int /*previous*/, int state)
{
    reportFailures(*this, "oMediaPlayer_PlayStateChange: ", [&] {
        if (state == MediaPlayer::Playing) {
            PlayTimer->start();
            ReviewTimer->stop();
            ShowImage(0);
            setPlayPicture(PlayPicture::Pause);
            setLeftPicture(PictureStore::Picture::Normal);
            setRightPicture(PictureStore::Picture::Disabled);
        } else if (state == MediaPlayer::Paused) {
            PlayTimer->stop();
        } else {
            setPlayPicture(PlayPicture::Play);
            PlayTimer->stop();
        }
    });
}

void frmMain::oMediaPlayer_OpenStateChange(int previous, int /*state*/)
{
    cmdPlay->setEnabled(previous != MediaPlayer::Open);
    cmdLeft->setEnabled(cmdPlay->isEnabled());
}

void frmMain::oMediaPlayer_MouseDown(int button, int /*shift*/, int /*x*/, int /*y*/)
{
    oCaptured_MouseDown(button, 0, 0, 0);
}

// ---------------------------------------------------------------------------
// Layout and zoom

double frmMain::outerWidthTwips() const
{
    return frameGeometry().width() * Twips::perPixelX(this);
}

double frmMain::outerHeightTwips() const
{
    return frameGeometry().height() * Twips::perPixelY(this);
}

void frmMain::setOuterWidthTwips(double twips, std::source_location where)
{
    const int frame = frameGeometry().width() - width();
    resize(std::max(1, pixelsFromTwips(twips, Twips::perPixelX(this), where) - frame), height());
}

void frmMain::setOuterHeightTwips(double twips, std::source_location where)
{
    const int frame = frameGeometry().height() - height();
    resize(width(), std::max(1, pixelsFromTwips(twips, Twips::perPixelY(this), where) - frame));
}

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
    reportFailures(*this, "Form_Resize: ", [&] {
        QWidget *video = mPlayer->widget();
        if (mnuZoom100->isChecked()) {
            video->resize(mlVideoWidth, mlVideoHeight);
        } else if (mnuZoom200->isChecked()) {
            video->resize(2 * mlVideoWidth, 2 * mlVideoHeight);
        } else {
            int h = video->height();
            int w = video->width();
            if (video->y() < innerHeight())
                h = innerHeight() - video->y();
            if (video->x() < innerWidth())
                w = innerWidth() - video->x();
            video->resize(w, h);
        }
        frCommand->move(frCommand->x(), 0);
        frCommand->resize(innerWidth(), frCommand->height());
        SetSnapshotRegion();
        ShowImage(0);
    });
}

void frmMain::mnuZoom100_Click()
{
    reportFailures(*this, "mnuZoom100_Click: ", [&] { zoomWindow(mnuZoom100, 1, 6500); });
}

void frmMain::mnuZoom200_Click()
{
    reportFailures(*this, "mnuZoom200_Click: ", [&] { zoomWindow(mnuZoom200, 2, 0); });
}

void frmMain::zoomWindow(QAction *item, int factor, double minimumWidthTwips)
{
    // One zoom is one layout, whatever number of resizes it takes: a shortage of
    // memory is told once.
    if (mRegionDepth == 0)
        mMemoryWarned = false;
    ++mRegionDepth;
    const auto leave = qScopeGuard([this] { --mRegionDepth; });

    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
    for (QAction *zoom : {mnuZoom100, mnuZoom200, mnuZoomFit})
        zoom->setChecked(zoom == item);
    // The window's frame and bars keep their size: the outer size is the video's
    // extent plus them, so that the inner area wraps the video exactly.
    QWidget *video = mPlayer->widget();
    const double perPixelX = Twips::perPixelX(this);
    const double perPixelY = Twips::perPixelY(this);
    mdFormWidth = outerWidthTwips() - innerWidth() * perPixelX + (video->x() + double(factor) * mlVideoWidth) * perPixelX;
    if (mdFormWidth < minimumWidthTwips)
        mdFormWidth = minimumWidthTwips;
    mdFormHeight =
        outerHeightTwips() - innerHeight() * perPixelY + (video->y() + double(factor) * mlVideoHeight) * perPixelY;
    const QSize before = size();
    setOuterWidthTwips(float(mdFormWidth));
    setOuterHeightTwips(float(mdFormHeight));
    // A window already of that size sees no resize; the video still takes its zoom.
    if (size() == before)
        Form_Resize();
}

void frmMain::mnuZoomFit_Click()
{
    mnuZoom100->setChecked(false);
    mnuZoom200->setChecked(false);
    mnuZoomFit->setChecked(true);
    Form_Resize();
}

void frmMain::mnuZoomFullScreen_Click()
{
    cmdFullScreen_Click();
}

void frmMain::cmdFullScreen_Click()
{
    reportFailures(*this, "cmdFullScreen_Click: ", [&] {
        mbFullScreen = !mbFullScreen;
        ShowTitleBar(this, !mbFullScreen);
        for (QMenu *menu : {mnuFile, mnuView, mnuHelp, mnuTools, mnuZoom})
            menu->menuAction()->setVisible(!mbFullScreen);
        // With all five menus hidden the window has no menu bar.
        menuBar()->setVisible(!mbFullScreen);
        // The window system is asked for full screen, and the window is also put over
        // the whole screen itself, for desktops whose window manager does not do it.
        if (mbFullScreen) {
            mNormalGeometry = geometry();
            // A new geometry would end the full-screen state, so it comes first.
            if (QScreen *display = screen())
                setGeometry(display->geometry());
            setWindowState(Qt::WindowFullScreen);
        } else {
            setWindowState(Qt::WindowNoState);
            if (mNormalGeometry.isValid())
                setGeometry(mNormalGeometry);
        }
        updateMinimumSize();
        mnuZoomFit_Click();
    });
}

void frmMain::ShowTitleBar(QWidget *window, bool show)
{
    const bool wasVisible = window->isVisible();
    window->setWindowFlag(Qt::FramelessWindowHint, !show);
    // A change of window flags hides the window; show it again so the frame is redrawn.
    if (wasVisible)
        window->show();
}

void frmMain::updateMinimumSize()
{
    // Keeps the video area above 25 pixels high, so that a resize never gives a
    // snapshot without height.
    const int bar = menuBar()->isHidden() ? 0 : menuBar()->sizeHint().height();
    setMinimumSize(160, bar + kPlayerTop + 36);
}

void frmMain::Form_KeyDown(int keyCode, int /*shift*/)
{
    reportFailures(*this, "Form_KeyDown: ", [&] {
        if (keyCode == KeyCodes::Numpad4 || keyCode == KeyCodes::Left || keyCode == KeyCodes::F5) {
            if (!ReviewTimer->isEnabled())
                cmdLeft_MouseDown(1, 0, 0, 0);
        } else if (keyCode == KeyCodes::Numpad6 || keyCode == KeyCodes::Right || keyCode == KeyCodes::F6) {
            if (!ReviewTimer->isEnabled())
                cmdLeft_MouseDown(2, 0, 0, 0);
        }
    });
}

void frmMain::Form_KeyUp(int keyCode, int /*shift*/)
{
    if (keyCode == KeyCodes::Space || keyCode == KeyCodes::Enter)
        cmdPlay_Click();
    ReleaseReview();
}

void frmMain::mnuToolsOptions_Click()
{
    reportFailures(*this, "mnuToolsOptions_Click: ", [&] {
        PauseMedia();
        GetFrameTimeInterval(); // loads the dialog when it is not loaded
        mOptions->exec();
        if (mOptions->closedByWindow()) {
            // Closed through its close box: the dialog is unloaded and the choice discarded.
            delete mOptions.data();
        }
        PlayTimer->setInterval(GetFrameTimeInterval());
        ReviewTimer->setInterval(PlayTimer->interval());
    });
}

// ---------------------------------------------------------------------------
// Snapshot ring, capture and review

void frmMain::SetSnapshotRegion()
{
    const bool outermost = mRegionDepth == 0;
    if (outermost)
        mMemoryWarned = false;
    ++mRegionDepth;
    reportFailures(*this, "SetSnapshotRegion: ", [&] {
        for (;;) {
            QWidget *video = mPlayer->widget();
            const QSize size = TileGrid::snapshotSize(video->width(), video->height());
            oCaptured->move(video->pos());
            // A video too low for snapshots plays on with an empty ring.
            oCaptured->setPictureSize(QSize(size.width(), std::max(0, size.height() - 10)));
            if (mRing.count() > SnapshotRing::kMaxCount)
                raiseFailure(Failure::Overflow);
            // What the ring may take: what the system can still give, plus what the ring
            // holds now and gives back as it goes, less a reserve for everything else.
            const std::optional<qint64> available = MemoryBudget::availableBytes();
            const qint64 budget = available ? *available + mRing.bytesHeld() - MemoryBudget::kReserveBytes
                                            : std::numeric_limits<qint64>::max();
            if (mRing.allocateAll(size, budget))
                return;
            if (!mnuZoom100->isChecked()) {
                mnuZoom100_Click();
                continue;
            }
            if (!mMemoryWarned) {
                mMemoryWarned = true;
                PauseMedia();
                MessageBox::show(QStringLiteral("Not enough video memory. Please reduce Windows color depth to 16 bit. "
                                                "Restart the application with reduced zoom or video window size."),
                                 MessageBox::Icon::Critical);
            }
            return;
        }
    });
    --mRegionDepth;
}

void frmMain::copyVisiblePixels(QPoint from, QImage &to, QPoint at, QSize size) const
{
    // What the window shows at a point of its inner area: the review picture where it
    // lies over the video, the video's picture elsewhere, black where the video has none.
    const QWidget *video = mPlayer->widget();
    if (video->isVisible()) {
        const QImage &frame = mPlayer->frame();
        if (frame.width() < video->width() || frame.height() < video->height()) {
            for (int y = 0; y < size.height() && at.y() + y < to.height(); ++y) {
                if (at.y() + y < 0)
                    continue;
                QRgb *line = reinterpret_cast<QRgb *>(to.scanLine(at.y() + y));
                for (int x = std::max(0, at.x()); x < std::min(to.width(), at.x() + size.width()); ++x)
                    line[x] = qRgb(0, 0, 0);
            }
        }
        TileGrid::copyPixels(frame, from - video->pos(), to, at, size);
    }
    if (oCaptured->isVisible())
        TileGrid::copyPixels(oCaptured->buffer(), from - oCaptured->pos(), to, at, size);
}

void frmMain::CaptureImage()
{
    reportFailures(*this, "CaptureImage: ", [&] {
        const qint32 slot = mRing.captureSlot();
        if (slot < 1)
            return; // an empty ring
        const QWidget *video = mPlayer->widget();
        const QSize tile = TileGrid::tileSize(video->width(), video->height());
        QImage &image = mRing.slot(slot);
        for (int r = 0; r < TileGrid::kRows; ++r) {
            for (int c = 0; c < TileGrid::kColumns; ++c) {
                const QPoint at(c * tile.width(), r * tile.height());
                copyVisiblePixels(video->pos() + at, image, at, tile);
            }
        }
        mRing.markWritten(slot);
        mRing.setCaptureSlot(slot - 1 < 1 ? mRing.count() : slot - 1);
    });
}

void frmMain::PlayTimer_Timer()
{
    ignoreFailure([&] {
        if (SpeedSlider->value() < 3) {
            PauseTimer->start();
            PauseMedia();
        }
    });
    ignoreFailure([&] { CaptureImage(); });
}

void frmMain::PauseTimer_Timer()
{
    PauseTimer->stop();
    PlayMedia();
}

void frmMain::ShowImage(qint32 offset)
{
    reportFailures(*this, "ShowImage: ", [&] {
        mReview.setOffset(offset);
        if (offset < 0 || offset > mRing.count())
            return;
        QWidget *video = mPlayer->widget();
        if (offset == 0) {
            video->setVisible(true);
            oCaptured->hide();
            lblReviewTime->setText(QStringLiteral("0 sec"));
            return;
        }
        lblReviewTime->setText(
            ReviewAge::text(ReviewAge::seconds(PlayTimer->interval(), PauseTimer->interval(), offset)));
        const qint32 slot = mRing.slotOfOffset(offset);
        video->setVisible(false);
        const QSize tile = TileGrid::tileSize(video->width(), video->height());
        QImage &buffer = oCaptured->buffer();
        if (mRing.isWritten(slot)) {
            TileGrid::copyTiles(mRing.slot(slot), QPoint(0, 0), buffer, tile);
        } else if (mRing.isAllocated(slot)) {
            buffer.fill(Qt::black); // a slot not written since its allocation is blank
        }
        oCaptured->show();
        oCaptured->raise();
        oCaptured->repaint();
    });
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease && mlReviewDirection() > 0 && watched != cmdLeft &&
        watched != cmdRight) {
        // The window itself sees the release even when no widget takes it any more.
        const bool ours = watched->isWidgetType() ? static_cast<QWidget *>(watched)->window() == this
                                                  : watched == static_cast<QObject *>(windowHandle());
        if (ours)
            ReleaseReview();
    }
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) && watched->isWidgetType() &&
        static_cast<QWidget *>(watched)->window() == this) {
        const auto *key = static_cast<QKeyEvent *>(event);
        // An unhandled key travels up through the parents; it is one key all the same.
        const KeySeen now{event, event->type(), key->key(), key->timestamp()};
        const bool seen = now == mLastKey;
        mLastKey = now;
        // Held keys repeat as release and press pairs; only the real release counts.
        if (!seen && event->type() == QEvent::KeyPress)
            Form_KeyDown(KeyCodes::fromEvent(key), shiftCode(key->modifiers()));
        else if (!seen && !key->isAutoRepeat())
            Form_KeyUp(KeyCodes::fromEvent(key), shiftCode(key->modifiers()));
    }
    if (watched == cmdLeft || watched == cmdRight) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            const int button = mouseButtonCode(mouse->button());
            const int shift = shiftCode(mouse->modifiers());
            const int x = int(mouse->position().x()), y = int(mouse->position().y());
            if (watched == cmdLeft)
                cmdLeft_MouseDown(button, shift, x, y);
            else
                cmdRight_MouseDown(button, shift, x, y);
            break;
        }
        case QEvent::MouseButtonRelease:
            ReleaseReview();
            break;
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
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

void frmMain::oCaptured_DblClick()
{
    cmdPlay_Click();
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
        // A copy, so that the review picture's buffer stays its own and the next step
        // draws into it without copying.
        if (!mPlayer->widget()->isVisible()) {
            if (oCaptured->isVisible())
                clipboard->setImage(oCaptured->buffer().copy());
        } else {
            clipboard->setImage(oCaptured->buffer().copy());
        }
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
    GetFrameTimeInterval(); // loads the options dialog when it is not loaded
    return mOptions->optFreezeFrameTime[0]->isChecked();
}

// ---------------------------------------------------------------------------
// Error reporting

void frmMain::ShowError(QString &sErr, const Failure &failure)
{
    sErr += QStringLiteral(", line ") + QString::number(failure.line());
    // A failure to pause must not cost the report its log line.
    ignoreFailure([&] { PauseMedia(); });
    ReviewTimer->stop();
    PlayTimer->stop();
    PauseTimer->stop();
    mErrors.present(sErr, failure.number());
}
