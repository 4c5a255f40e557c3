#pragma once
// The main window: the video, the bar of controls above it, the menus and the
// timers that drive capture and review. Its life is the program's life.

#include "about/Help.h"
#include "app/CommandBar.h"
#include "app/Commands.h"
#include "app/LiveBarHost.h"
#include "app/WindowInput.h"
#include "app/WindowLayout.h"
#include "errors/ErrorLog.h"
#include "errors/FailurePatterns.h"
#include "playback/MediaOpening.h"
#include "playback/PictureStore.h"
#include "playback/PlayControl.h"
#include "playback/PositionControl.h"
#include "playback/SlowMotion.h"
#include "review/RingSizing.h"
#include "review/ReviewStepper.h"
#include "review/SnapshotRing.h"

#include <QCloseEvent>
#include <QDropEvent>
#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class DelayWiring;
class IntervalTimer;
class MediaPlayer;
class PositionBarHost;
class ReviewBarHost;
class QMimeData;
class ReviewPicture;
class SnapshotSaving;
class SnapshotView;
class SpeedBarHost;
class WindowLayoutHost;
class ZoomMenu;
class frmAbout;
class OptionsSession;

class frmMain : public QMainWindow, public ErrorSink, public InputHost, public OpenHost {
    Q_OBJECT
public:
    // Makes the media player component, its video widget a child of the given parent.
    using PlayerFactory = std::function<std::unique_ptr<MediaPlayer>(QWidget *videoParent)>;

    // Which picture cmdPlay shows: the record of what the user asked for.
    using PlayPicture = PlayHost::Picture;

    frmMain(PlayerFactory playerFactory, QString commandLine, QWidget *parent = nullptr);
    ~frmMain() override;

    // Start-up, and the window's size and zoom as the exit saves them.
    void Form_Load();
    void SaveWindowSettings();

    // Playback.
    void Form_OLEDragDrop(const QMimeData *data);
    void OpenMedia(const QString &name);
    void PlayMedia() { mPlay->PlayMedia(); }
    void PauseMedia() { mPlay->PauseMedia(); }

    // Layout.
    void Form_Resize() override;

    // Keys: the window sees them ahead of its controls. A held review key steps like a
    // held mouse button; one-shot commands run on release.
    void Form_KeyDown(int keyCode, int shift) override;
    void Form_KeyUp(int keyCode, int shift) override;

    // Speed, and the snapshot ring, capture and review.
    void ToggleSpeed() { mSpeed->toggleSpeed(); }
    void CaptureImage();
    void ShowImage(qint32 offset);
    void MouseDown(int button) { mReview->MouseDown(button); }
    void ReleaseReview() override { mReview->ReleaseReview(); }
    bool reviewHeld() const override { return mlReviewDirection() > 0; }
    bool isReviewButton(const QObject *object) const override { return frCommand->isReviewButton(object); }
    qint32 mlReviewOffset() const { return mReview->mlReviewOffset(); }
    qint32 mlReviewDirection() const { return mReview->mlReviewDirection(); }
    bool reviewTimerEnabled() const { return ReviewTimer->isEnabled(); }

    // Error reporting: pauses the video, stops capture and review, logs and shows the report.
    void ShowError(QString &sErr, const Failure &failure) override;
    const QString &msErrorMessages() const { return mErrors.messages(); }

    // State, named as the rest of the program knows it.
    MediaPlayer *oMediaPlayer() const { return mPlayer.get(); }
    SnapshotRing &ring() { return mRing; }
    qint32 mlCaptureCount() const { return mRing.count(); }
    qint32 mlCaptureSlot() const { return mRing.captureSlot(); }
    qint32 mlVideoWidth() const { return mVideoSize.width(); }
    qint32 mlVideoHeight() const { return mVideoSize.height(); }
    qint32 mlDuration() const { return mDuration; }
    PlayPicture playPicture() const { return mPlay->picture(); }
    PictureStore::Picture leftPicture() const { return frCommand->leftPicture(); }
    PictureStore::Picture rightPicture() const { return frCommand->rightPicture(); }

protected:
    void closeEvent(QCloseEvent *event) override { Form_Unload(); event->accept(); }
    void resizeEvent(QResizeEvent *event) override;
    // Any drop is taken: one without a file is reported, so the user learns why nothing opened.
    void dragEnterEvent(QDragEnterEvent *event) override { event->acceptProposedAction(); }
    void dropEvent(QDropEvent *event) override;

private:
    void Form_Unload();
    void LoadSettings();
    void SetSnapshotRegion();

    // The player's and the controls' events.
    void oMediaPlayer_PlayStateChange(int previous, int state);
    void oMediaPlayer_OpenStateChange(int previous, int state);
    void oMediaPlayer_MouseDown(int button, int, int, int) { MouseDown(button); }
    void cmdLeft_MouseDown(int button, int, int, int) { MouseDown(button); }
    void cmdRight_MouseDown(int, int, int, int) { MouseDown(2); }
    void oCaptured_MouseDown(int button, int, int, int) { MouseDown(button); }
    void PositionSlider_Scroll() { mPosition->sliderScrolled(); }
    void SpeedSlider_Change() { mSpeed->speedChanged(); }
    void holdReviewBack() { mReview->holdKey(ReviewStepper::Back); }
    void holdReviewForward() { mReview->holdKey(ReviewStepper::Forward); }

    // The commands of the menus and the picture buttons; tests trigger them by the items' names.
    void mnuFileOpen_Click();
    void mnuFileOpenLive_Click() { if (const QString name = mLive->choose(this); !name.isEmpty()) OpenMedia(name); }
    void mnuFileExit_Click() { close(); }
    void cmdPlay_Click();
    void mnuZoom100_Click() { zoom("mnuZoom100_Click: ", 1); }
    void mnuZoom200_Click() { zoom("mnuZoom200_Click: ", 2); }
    void mnuZoomFit_Click();
    void mnuZoomFullScreen_Click() { cmdFullScreen_Click(); }
    void cmdFullScreen_Click();
    void mnuViewPlay_Click() { cmdPlay_Click(); }
    void mnuViewBack15sec_Click() { jump("mnuViewBack15sec_Click: ", -15); }
    void mnuViewBack5sec_Click() { jump("mnuViewBack5sec_Click: ", -5); }
    void mnuViewForward15sec_Click() { jump("mnuViewForward15sec_Click: ", 15); }
    void mnuViewForward5sec_Click() { jump("mnuViewForward5sec_Click: ", 5); }
    void mnuViewSpeed_Click() { ToggleSpeed(); }
    void mnuHelpContent_Click() { Help::showContents(); }
    void mnuHelpEmail_Click() { Help::writeMail(); }
    void mnuHelpAbout_Click() { mPlay->pauseForDialog(); showAbout(); }
    void mnuToolsOptions_Click();
    void mnuViewPrev_Click() { mReview->stepOnce(ReviewStepper::Back); }
    void mnuViewNext_Click() { mReview->stepOnce(ReviewStepper::Forward); }
    void mnuToolsCopy_Click();
    void mnuFileSaveSnapshots_Click();
    void mnuToolsSaveImage_Click();
    void oCaptured_DblClick() { cmdPlay_Click(); }

    // The timers' ticks; tests find the timers by name and fire their signal.
    void SplashTimer_Timer() { SplashTimer->stop(); showAbout(); }
    void PositionTimer_Timer() { if (!mLive->mode().tick()) mPosition->timerTick(); }
    void PlayTimer_Timer();
    void PauseTimer_Timer() { mPlay->pauseTick(); }
    void ReviewTimer_Timer() { mReview->ReviewTimer_Timer(); }

    // Each has the object name of its member.
    IntervalTimer *PlayTimer;
    IntervalTimer *PauseTimer;
    IntervalTimer *ReviewTimer;
    IntervalTimer *PositionTimer;
    IntervalTimer *SplashTimer;

    QWidget *client;
    CommandBar *frCommand;
    ReviewPicture *oCaptured;

    // What opening needs of the window.
    void setCaption(const QString &shownName) override;
    void opened(qint32 lengthSeconds, QSize video) override;

    // Sizes the ring for the layout and shows the video.
    void laidOut() { SetSnapshotRegion(); ShowImage(0); }

    void createTimers();
    void createPlayer();
    void createCommandBar();
    void runCommand(Commands::Id id);
    void showAbout();
    // A jump of the position, reported under the handler's name.
    void jump(const char *handler, qint32 seconds);
    void zoom(const char *handler, qint32 factor);

    PlayerFactory mPlayerFactory;
    QString mCommandLine;
    std::unique_ptr<MediaPlayer> mPlayer;
    SnapshotRing mRing;
    std::unique_ptr<ZoomMenu> mZoom;
    std::unique_ptr<PlayControl> mPlay;           // made with the player
    std::unique_ptr<MediaOpening> mOpening;       // made with the player
    std::unique_ptr<SpeedBarHost> mSpeedHost;     // made with the player
    std::unique_ptr<SlowMotion> mSpeed;           // made with the player
    std::unique_ptr<PositionBarHost> mPositionHost;
    std::unique_ptr<PositionControl> mPosition;   // made with the player
    std::unique_ptr<LiveBarHost> mLive;           // made with the player
    std::unique_ptr<ReviewBarHost> mReviewHost;   // made with the player
    std::unique_ptr<ReviewStepper> mReview;       // made with the player
    std::unique_ptr<DelayWiring> mDelay;
    std::unique_ptr<SnapshotView> mView;          // made with the player and the review picture
    std::unique_ptr<SnapshotSaving> mSaving;
    std::unique_ptr<WindowLayoutHost> mLayoutHost;
    std::unique_ptr<WindowLayout> mLayout;
    std::unique_ptr<RingSizing> mRingSizing;
    std::unique_ptr<WindowInput> mInput;
    ErrorLog mErrors;
    std::unique_ptr<OptionsSession> mOptions;
    QPointer<frmAbout> mAbout;
    QSize mVideoSize{200, 200}; // the open medium's
    qint32 mDuration = 0;       // whole seconds
    bool mUnloaded = false;
};
