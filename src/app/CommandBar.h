#pragma once
// The bar of controls above the video: the play, review and full-screen buttons, the
// age of the shown snapshot, the speed slider and the position slider with its
// read-out, each at its design place. It keeps the buttons' pictures and shows what the
// play state asks of it; the main window wires the controls to its handlers.

#include "playback/PictureStore.h"
#include "playback/PlayControl.h"

#include <QFrame>

class QLabel;
class QSlider;
class QToolButton;
class ReviewButton;

class CommandBar : public QFrame, public PlayHost {
    Q_OBJECT
public:
    explicit CommandBar(QWidget *parent);

    // The hidden picture stores of the three picture buttons; the About box shows two.
    const PictureStore imgPlay{PictureStore::Shape::Play};
    const PictureStore imgLeft{PictureStore::Shape::Left};
    const PictureStore imgRight{PictureStore::Shape::Right};

    void setPlayPicture(Picture picture) override;
    bool slowed() const override;
    void setLeftPicture(PictureStore::Picture picture);
    void setRightPicture(PictureStore::Picture picture);
    PictureStore::Picture leftPicture() const { return mLeftPicture; }
    PictureStore::Picture rightPicture() const { return mRightPicture; }
    // The buttons' tips with their keys, shown until the user first pauses.
    void showButtonTips(bool show);
    bool isReviewButton(const QObject *object) const;

    QToolButton *cmdPlay;
    ReviewButton *cmdLeft;
    QLabel *lblReviewTime;
    ReviewButton *cmdRight;
    QToolButton *cmdFullScreen;
    QSlider *SpeedSlider;
    QLabel *Label1;
    QSlider *PositionSlider;
    QLabel *lblPosition;

private:
    PictureStore::Picture mLeftPicture = PictureStore::Picture::Normal;
    PictureStore::Picture mRightPicture = PictureStore::Picture::Normal;
};
