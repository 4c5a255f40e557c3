#pragma once
// The main window: the video, the bar of controls above it, the menus and the
// timers that drive capture and review. Its life is the program's life.

#include "playback/IntervalTimer.h"
#include "app/Commands.h"
#include "app/KeyTracker.h"
#include "app/WindowInput.h"
#include "app/WindowLayout.h"
#include "errors/ErrorLog.h"
#include "errors/FailurePatterns.h"
#include "playback/PictureStore.h"
#include "playback/PlayControl.h"
#include "playback/PositionControl.h"
#include "playback/SlowMotion.h"
#include "review/RingSizing.h"
#include "review/ReviewStepper.h"
#include "review/SnapshotRing.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <source_location>
#include <memory>

class MediaPlayer;
class frmOptions;
class frmAbout;
class QAction;
class CommandBar;
class QLabel;
class QMenu;
class QMimeData;
class QSlider;
class QToolButton;
class ReviewButton;
class ReviewPicture;
class SnapshotView;

class WindowFrameWatch;

class frmMain : public QMainWindow, public ErrorSink, public ReviewHost, public SpeedHost, public PositionHost,
               public PlayHost, public LayoutHost, public RingSizingHost,
               public InputHost {
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
    void PlayMedia() override;
    void PauseMedia() override;

    // Layout.
    void Form_Resize() override;

    // Keys: the window sees them ahead of its controls. A held review key steps like a
    // held mouse button; one-shot commands run on release.
    void Form_KeyDown(int keyCode, int shift) override;
    void Form_KeyUp(int keyCode, int shift) override;

    // Speed, and the snapshot ring, capture and review.
    void ToggleSpeed();
    void CaptureImage();
    void ShowImage(qint32 offset) override;
    void MouseDown(int button) { mReview.MouseDown(button); }
    void ReleaseReview() override { mReview.ReleaseReview(); }
    bool reviewHeld() const override { return mlReviewDirection() > 0; }
    bool isReviewButton(const QObject *object) const override;
    qint32 mlReviewOffset() const { return mReview.mlReviewOffset(); }
    qint32 mlReviewDirection() const { return mReview.mlReviewDirection(); }

    // What the review needs of the window.
    bool reviewTimerEnabled() const override;
    qint32 captureCount() const override { return mRing.count(); }

    // Error reporting: pauses the video, stops capture and review, logs and shows the report.
    void ShowError(QString &sErr, const Failure &failure) override;
    const QString &msErrorMessages() const { return mErrors.messages(); }

    // State, named as the rest of the program knows it.
    MediaPlayer *oMediaPlayer() const { return mPlayer.get(); }
    SnapshotRing &ring() { return mRing; }
    qint32 mlCaptureCount() const { return mRing.count(); }
    qint32 mlCaptureSlot() const { return mRing.captureSlot(); }
    qint32 mlVideoWidth = 200;
    qint32 mlVideoHeight = 200;
    qint32 mlDuration = 0;
    PlayPicture playPicture() const { return mPlay->picture(); }
    PictureStore::Picture leftPicture() const { return mLeftPicture; }
    PictureStore::Picture rightPicture() const { return mRightPicture; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void Form_Unload();
    void LoadSettings();
    void ShowButtonTips(bool show);
    void SetSnapshotRegion();

    // The player's and the controls' events.
    void oMediaPlayer_PlayStateChange(int previous, int state);
    void oMediaPlayer_OpenStateChange(int previous, int state);
    void oMediaPlayer_MouseDown(int button, int shift, int x, int y);
    void cmdLeft_MouseDown(int button, int shift, int x, int y);
    void cmdRight_MouseDown(int button, int shift, int x, int y);
    void oCaptured_MouseDown(int button, int shift, int x, int y);
    void PositionSlider_Scroll();
    void SpeedSlider_Change();
    void holdReviewBack();
    void holdReviewForward();

    // The window's outer size in twips and its inner (below the menu bar) size in pixels.
    double outerWidthTwips() const;
    double outerHeightTwips() const;
    // A size no window can take fails with "Invalid property value" at the caller's line.
    void setOuterWidthTwips(double twips, std::source_location where = std::source_location::current());
    void setOuterHeightTwips(double twips, std::source_location where = std::source_location::current());
    int innerWidth() const;
    int innerHeight() const;

    // The commands of the menus and the picture buttons; tests trigger them by the items' names.
    void mnuFileOpen_Click();
    void mnuFileExit_Click() { close(); }
    void cmdPlay_Click();
    void mnuZoom100_Click();
    void mnuZoom200_Click();
    void mnuZoomFit_Click();
    void mnuZoomFullScreen_Click() { cmdFullScreen_Click(); }
    void cmdFullScreen_Click();
    void mnuViewPlay_Click() { cmdPlay_Click(); }
    void mnuViewBack15sec_Click();
    void mnuViewBack5sec_Click();
    void mnuViewForward15sec_Click();
    void mnuViewForward5sec_Click();
    void mnuViewSpeed_Click() { ToggleSpeed(); }
    void mnuHelpContent_Click();
    void mnuHelpEmail_Click();
    void mnuHelpAbout_Click();
    void mnuToolsOptions_Click();
    void mnuViewPrev_Click();
    void mnuViewNext_Click();
    void mnuToolsCopy_Click();
    void oCaptured_DblClick() { cmdPlay_Click(); }

    // The timers' ticks; tests find the timers by name and fire their signal.
    void SplashTimer_Timer();
    void PositionTimer_Timer();
    void PlayTimer_Timer();
    void PauseTimer_Timer();
    void ReviewTimer_Timer() { mReview.ReviewTimer_Timer(); }

    // Each has the object name of its member.
    IntervalTimer *PlayTimer;
    IntervalTimer *PauseTimer;
    IntervalTimer *ReviewTimer;
    IntervalTimer *PositionTimer;
    IntervalTimer *SplashTimer;

    QWidget *client;
    CommandBar *frCommand;
    ReviewPicture *oCaptured;

    QAction *mnuZoom100;
    QAction *mnuZoom200;
    QAction *mnuZoomFit;

    // What the review needs of the window.
    void setReviewTimerEnabled(bool enabled) override;
    void setLeftPicture(PictureStore::Picture picture) override;
    void setRightPicture(PictureStore::Picture picture) override;
    bool shortestFrameTimeSelected() override;
    void pauseForReview() override;

    // What the play state needs of the window.
    void setPlayPicture(PlayPicture picture) override;
    bool slowed() const override;

    // What slow motion needs of the window.
    int speedValue() const override;
    void setSpeedValue(int value) override;
    void setSpeedTip(const QString &tip) override;
    int playInterval() const override;
    void setPauseInterval(int milliseconds) override;
    void setMute(bool mute) override;
    void reclaimFocus() override { setFocus(); }

    // What the ring's sizing needs of the window.
    QSize videoSize() const override;
    void placeReviewPicture(QSize size) override;
    bool atHundredPercent() const override;
    void zoomToHundredPercent() override { mnuZoom100_Click(); }
    void pauseForMessage() override;
    // The options dialog, loaded when it is not.
    frmOptions &options();

    // What the position display needs of the window.
    qint32 positionSliderValue() const override;
    void setPositionSliderValue(qint32 value) override;
    qint32 positionSliderMaximum() const override;
    void setPositionText(const QString &text) override;
    qint32 lengthSeconds() const override { return mlDuration; }
    void afterSliderChange() override { setFocus(); }

    // What the layouts need of the window.
    Metrics metrics() const override;
    Zoom zoom() const override;
    void setZoom(Zoom zoom) override;
    void leaveMaximized() override;
    void setOuterTwips(double width, double height) override;
    void againWhenFramed(std::function<void()> sizing) override;
    void layOut(QSize player) override;
    void showChrome(bool show) override;
    void setFullScreen(bool on, QRect normal) override;

    // The hidden picture stores of the three picture buttons.
    const PictureStore imgPlay{PictureStore::Shape::Play};
    const PictureStore imgLeft{PictureStore::Shape::Left};
    const PictureStore imgRight{PictureStore::Shape::Right};

    void createMenus();
    void runCommand(Commands::Id id);
    void showAbout();
    void createCommandBar();
    void setCaption(const QString &caption);

    PlayerFactory mPlayerFactory;
    QString mCommandLine;
    std::unique_ptr<MediaPlayer> mPlayer;
    SnapshotRing mRing;
    RingSizing mRingSizing{mRing, *this};
    ReviewStepper mReview{*this, *this};
    SlowMotion mSpeed{*this};
    std::unique_ptr<PositionControl> mPosition; // made with the player
    std::unique_ptr<PlayControl> mPlay;         // made with the player
    std::unique_ptr<SnapshotView> mView;        // made with the player and the review picture
    WindowFrameWatch *mFrameWatch = nullptr;
    WindowLayout mLayout{*this};
    std::unique_ptr<WindowInput> mInput;
    ErrorLog mErrors;
    QPointer<frmOptions> mOptions;
    QPointer<frmAbout> mAbout;
    PictureStore::Picture mLeftPicture = PictureStore::Picture::Normal;
    PictureStore::Picture mRightPicture = PictureStore::Picture::Normal;
    bool mUnloaded = false;
};
