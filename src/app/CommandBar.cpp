#include "app/CommandBar.h"

#include "playback/SlowMotion.h"
#include "review/ReviewButton.h"

#include <QLabel>
#include <QSlider>

namespace {

template <class Button>
Button *pictureButton(Button *button, const char *name, int left, const QString &tip)
{
    button->setObjectName(QLatin1String(name));
    button->setGeometry(left, 10, 16, 16);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRaise(true);
    button->setIconSize(QSize(16, 16));
    button->setToolTip(tip);
    return button;
}

QLabel *smallLabel(const QString &text, const char *name, QRect place, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(place);
    QFont small = label->font();
    small.setPixelSize(9);
    label->setFont(small);
    return label;
}

QSlider *slider(const char *name, int minimum, int maximum, QRect place, const QString &tip, QWidget *parent)
{
    auto *slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(QLatin1String(name));
    slider->setRange(minimum, maximum);
    slider->setGeometry(place);
    slider->setToolTip(tip);
    // The keys belong to the window: an arrow steps through the snapshots, never a slider.
    slider->setFocusPolicy(Qt::NoFocus);
    return slider;
}

} // namespace

CommandBar::CommandBar(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("frCommand"));
    setGeometry(3, 0, 389, 41);
    cmdPlay = pictureButton(new QToolButton(this), "cmdPlay", 0, tr("Play - Pause F7"));
    // Until a medium opens, the play button takes no clicks and shows a copy of its
    // disabled picture, which counts as neither play nor pause.
    cmdPlay->setEnabled(false);
    cmdPlay->setIcon(imgPlay.picture(PictureStore::Picture::Disabled));
    cmdLeft = pictureButton(new ReviewButton(this), "cmdLeft", 24, tr("Previous Frame F5"));
    cmdLeft->setIcon(imgLeft.picture(PictureStore::Picture::Normal));
    lblReviewTime = smallLabel(tr("-0.0 sec"), "lblReviewTime", QRect(48, 12, 37, 13), this);
    cmdRight = pictureButton(new ReviewButton(this), "cmdRight", 88, tr("Next Frame F6"));
    cmdRight->setIcon(imgRight.picture(PictureStore::Picture::Normal));
    cmdFullScreen = pictureButton(new QToolButton(this), "cmdFullScreen", 112, tr("Full Screen"));
    cmdFullScreen->setIcon(PictureStore(PictureStore::Shape::FullScreen).picture(PictureStore::Picture::Normal));
    SpeedSlider = slider("SpeedSlider", 1, 3, QRect(136, 10, 49, 25), QStringLiteral("1"), this);
    SpeedSlider->setValue(3);
    SpeedSlider->setPageStep(1);
    Label1 = smallLabel(tr("Speed F8"), "Label1", QRect(138, 0, 45, 10), this);
    Label1->setToolTip(tr("Toggle Speed F8"));
    PositionSlider = slider("PositionSlider", 0, 90, QRect(184, 10, 197, 25), tr("Position"), this);
    lblPosition = smallLabel(tr("Position"), "lblPosition", QRect(192, 0, 135, 10), this);
}

void CommandBar::setPlayPicture(Picture picture)
{
    cmdPlay->setIcon(imgPlay.picture(picture == Picture::Pause  ? PictureStore::Picture::Pressed
                                     : picture == Picture::Play ? PictureStore::Picture::Normal
                                                                : PictureStore::Picture::Disabled));
}

bool CommandBar::slowed() const
{
    return SpeedSlider->value() < SlowMotion::Normal;
}

void CommandBar::setLeftPicture(PictureStore::Picture picture)
{
    mLeftPicture = picture;
    cmdLeft->setIcon(imgLeft.picture(picture));
}

void CommandBar::setRightPicture(PictureStore::Picture picture)
{
    mRightPicture = picture;
    cmdRight->setIcon(imgRight.picture(picture));
}

void CommandBar::showButtonTips(bool show)
{
    cmdLeft->setToolTip(show ? tr("Previous Frame <-") : QString());
    cmdRight->setToolTip(show ? tr("Next Frame ->") : QString());
    cmdPlay->setToolTip(show ? tr("Play - Pause (Space)") : QString());
}

bool CommandBar::isReviewButton(const QObject *object) const
{
    return object == cmdLeft || object == cmdRight;
}
