#include "review/ReviewPicture.h"

#include "errors/Failure.h"
#include "playback/InputCodes.h"
#include "review/TileGrid.h"

#include <QMouseEvent>
#include <QPainter>

ReviewPicture::ReviewPicture(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

ReviewPicture::~ReviewPicture() = default;

void ReviewPicture::setPictureSize(QSize size)
{
    if (size.width() < 0 || size.height() < 0)
        raiseFailure(Failure::InvalidPropertyValue);
    if (size != mBlack.size()) {
        QImage black;
        if (!size.isEmpty()) {
            black = QImage(size, QImage::Format_RGB32);
            if (black.isNull())
                raiseFailure(Failure::NoImageMemory);
            black.fill(Qt::black);
        }
        mBlack = std::move(black);
    }
    // A new layout lets go of the snapshot shown, on the screen too, so that the ring's old
    // memory (one block for the whole ring where the display server reads it) is given back
    // before the new ring is taken: the memory check counts it as given back.
    mShown = mBlack;
    mOverlay.hide();
    update();
    resize(size);
}

namespace {

void releaseSnapshot(void *snapshot)
{
    delete static_cast<QImage *>(snapshot);
}

} // namespace

void ReviewPicture::showSnapshot(const QImage &snapshot)
{
    const QSize size = mBlack.size();
    if (size.isEmpty())
        return;
    if (snapshot.width() < size.width() || snapshot.height() < size.height() ||
        snapshot.format() != QImage::Format_RGB32) {
        QImage picture = mBlack.copy();
        TileGrid::copyPixels(snapshot, QPoint(0, 0), picture, QPoint(0, 0), size);
        mShown = std::move(picture);
        return;
    }
    // A window onto the snapshot's rows, read-only so that nothing writes through it, and
    // holding a reference to the snapshot's pixels for as long as the window or any copy
    // of it (the clipboard's) lives.
    auto *held = new QImage(snapshot);
    QImage window(held->constBits(), size.width(), size.height(), held->bytesPerLine(), held->format(),
                  releaseSnapshot, held);
    if (window.isNull()) {
        delete held;
        raiseFailure(Failure::NoImageMemory);
    }
    mShown = std::move(window);
}

void ReviewPicture::showBlack()
{
    mShown = mBlack;
}

void ReviewPicture::present()
{
    // A snapshot in display memory costs no copy here; anything else is painted.
    if (!mOverlay.show(mShown))
        repaint();
}

void ReviewPicture::hideEvent(QHideEvent *)
{
    mOverlay.hide();
    // Only the first step of a hold was painted; the steps after it went to the overlay. A
    // minimised window hides its widgets without losing them, and when it comes back the
    // picture shown now is painted, not that first step.
    update();
}

void ReviewPicture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (mShown.isNull())
        painter.fillRect(rect(), Qt::black);
    else
        painter.drawImage(0, 0, mShown);
}

void ReviewPicture::mousePressEvent(QMouseEvent *event)
{
    emit MouseDown(InputCodes::button(event->button()), InputCodes::shift(event->modifiers()), int(event->position().x()),
                   int(event->position().y()));
}

void ReviewPicture::mouseReleaseEvent(QMouseEvent *event)
{
    emit MouseUp(InputCodes::button(event->button()), InputCodes::shift(event->modifiers()), int(event->position().x()),
                 int(event->position().y()));
}

void ReviewPicture::mouseDoubleClickEvent(QMouseEvent *)
{
    emit DblClick();
}
