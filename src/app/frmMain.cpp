#include "app/frmMain.h"

#include "AppInfo.h"
#include "about/frmAbout.h"
#include "app/Twips.h"
#include "errors/Failure.h"
#include "errors/MessageBox.h"
#include "errors/frmError.h"
#include "playback/MediaPlayer.h"
#include "playback/OpenDialog.h"
#include "settings/Numbers.h"
#include "settings/SettingsStore.h"
#include "settings/frmOptions.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QRadioButton>
#include <QToolButton>

namespace {
QString appTitle()
{
    return QString::fromLatin1(AppInfo::kTitle);
}

QString versionNumbers()
{
    return QStringLiteral("%1.%2.%3").arg(AppInfo::kVersionMajor).arg(AppInfo::kVersionMinor).arg(
        AppInfo::kVersionRevision);
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

    // Design size of the inner area: 592 x 551 pixels.
    resize(592, 551 + menuBar()->sizeHint().height());
}

frmMain::~frmMain()
{
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
    mnuToolsOptions = mnuTools->addAction(tr("&Options..."));

    mnuView = menuBar()->addMenu(tr("&View"));
    mnuViewPlay = mnuView->addAction(tr("&Play / Pause"));
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

    lblReviewTime = new QLabel(tr("-0.0 sec"), frCommand);
    lblReviewTime->setObjectName(QStringLiteral("lblReviewTime"));
    lblReviewTime->setGeometry(48, 12, 37, 13);
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
    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
    for (QAction *zoom : {mnuZoom100, mnuZoom200, mnuZoomFit})
        zoom->setChecked(zoom == item);
    // Outer size over inner size turns the video's pixels into the window's twips,
    // frame and bars included.
    QWidget *video = mPlayer->widget();
    mdFormWidth = (video->x() + double(factor) * mlVideoWidth) * (outerWidthTwips() / innerWidth());
    if (mdFormWidth < minimumWidthTwips)
        mdFormWidth = minimumWidthTwips;
    mdFormHeight = (video->y() + double(factor) * mlVideoHeight) * (outerHeightTwips() / innerHeight());
    setOuterWidthTwips(float(mdFormWidth));
    setOuterHeightTwips(float(mdFormHeight));
}

void frmMain::mnuZoomFit_Click()
{
    mnuZoom100->setChecked(false);
    mnuZoom200->setChecked(false);
    mnuZoomFit->setChecked(true);
    Form_Resize();
}

// ---------------------------------------------------------------------------
// Review

void frmMain::SetSnapshotRegion()
{
}

void frmMain::ShowImage(qint32 /*offset*/)
{
    mPlayer->widget()->setVisible(true);
}

void frmMain::oCaptured_MouseDown(int /*button*/, int /*shift*/, int /*x*/, int /*y*/)
{
}

void frmMain::PlayTimer_Timer()
{
}

void frmMain::PauseTimer_Timer()
{
    PauseTimer->stop();
    PlayMedia();
}

void frmMain::ReviewTimer_Timer()
{
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
