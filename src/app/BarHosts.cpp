#include "app/BarHosts.h"

#include "app/CommandBar.h"
#include "playback/IntervalTimer.h"
#include "playback/MediaPlayer.h"
#include "playback/PlayControl.h"
#include "review/DelayMirror.h"
#include "review/SnapshotRing.h"
#include "review/SnapshotView.h"

#include <QLabel>
#include <QSlider>

int SpeedBarHost::speedValue() const { return mBar.SpeedSlider->value(); }
void SpeedBarHost::setSpeedValue(int value) { mBar.SpeedSlider->setValue(value); }
void SpeedBarHost::setSpeedTip(const QString &tip) { mBar.SpeedSlider->setToolTip(tip); }
int SpeedBarHost::playInterval() const { return mPlayTimer.interval(); }
void SpeedBarHost::setPauseInterval(int milliseconds) { mPlay.setStandLength(milliseconds); }
void SpeedBarHost::setMute(bool mute) { mPlayer.SetMute(mute); }
void SpeedBarHost::reclaimFocus() { mBar.window()->setFocus(); }

qint32 PositionBarHost::positionSliderValue() const { return mBar.PositionSlider->sliderPosition(); }
void PositionBarHost::setPositionSliderValue(qint32 value) { mBar.PositionSlider->setValue(value); }
qint32 PositionBarHost::positionSliderMaximum() const { return mBar.PositionSlider->maximum(); }
void PositionBarHost::setPositionText(const QString &text) { mBar.lblPosition->setText(text); }
void PositionBarHost::afterSliderChange() { mBar.window()->setFocus(); }

void ReviewBarHost::PauseMedia() { mPlay.PauseMedia(); }
void ReviewBarHost::pauseForReview()
{
    if (mMirror)
        mMirror->pressed();
    mPlay.pauseForReview();
}
void ReviewBarHost::reviewReleased()
{
    if (mMirror)
        mMirror->released();
}
void ReviewBarHost::PlayMedia() { mPlay.PlayMedia(); }
bool ReviewBarHost::reviewTimerEnabled() const { return mReviewTimer.isEnabled(); }
void ReviewBarHost::setReviewTimerEnabled(bool enabled) { mReviewTimer.setEnabled(enabled); }
void ReviewBarHost::setLeftPicture(PictureStore::Picture picture) { mBar.setLeftPicture(picture); }
void ReviewBarHost::setRightPicture(PictureStore::Picture picture) { mBar.setRightPicture(picture); }
qint32 ReviewBarHost::captureCount() const { return mRing.count(); }
qint32 ReviewBarHost::liveOffset() const { return mView.everyFrame() ? 1 : 0; }
