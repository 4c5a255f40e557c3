#pragma once
// The bar of controls above the video: the play, review and full-screen buttons, the
// age of the shown snapshot, the speed slider and the position slider with its
// read-out, each at its design place. The main window wires them to its handlers.

#include <QFrame>

class QLabel;
class QSlider;
class QToolButton;
class ReviewButton;
class PictureStore;

class CommandBar : public QFrame {
    Q_OBJECT
public:
    CommandBar(const PictureStore &play, const PictureStore &left, const PictureStore &right, QWidget *parent);

    QToolButton *cmdPlay;
    ReviewButton *cmdLeft;
    QLabel *lblReviewTime;
    ReviewButton *cmdRight;
    QToolButton *cmdFullScreen;
    QSlider *SpeedSlider;
    QLabel *Label1;
    QSlider *PositionSlider;
    QLabel *lblPosition;
};
