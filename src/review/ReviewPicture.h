#pragma once
// The review picture: lies over the video area and shows a snapshot. It draws the
// ring slot's own pixels while that snapshot is shown, without copying them: the
// picture it shows holds a reference to the slot's image, so a capture that comes
// round to that slot while the picture is still shown (or on the clipboard) writes
// into a fresh image instead of changing it. A snapshot in display memory goes to the
// screen through the display server alone (X11Overlay).

#include "review/SharedImageBlock.h"
#include "review/X11Overlay.h"

#include <QImage>
#include <QWidget>

class ReviewPicture : public QWidget {
    Q_OBJECT
public:
    explicit ReviewPicture(QWidget *parent = nullptr);
    ~ReviewPicture() override;

    // The picture shown, at the picture's own size: the top left part of a snapshot,
    // or black. Read-only: writing through a copy of it detaches that copy.
    const QImage &buffer() const { return mShown; }
    // The picture shown, for the clipboard: shared, but copied when it lies in display
    // memory, one block for the whole ring, which the clipboard would otherwise keep.
    QImage clipboardPicture() const { return SharedImageBlock::holds(mShown) ? mShown.copy() : mShown; }
    // Resizes the picture; it shows black, also at the same size, and lets go of the
    // snapshot shown. A picture that cannot be had raises failure 480.
    void setPictureSize(QSize size);

    // Shows the part of the snapshot that the picture covers, sharing the snapshot's
    // pixels. A snapshot smaller than the picture is copied into a black picture instead.
    void showSnapshot(const QImage &snapshot);
    // Shows black, and lets go of any snapshot shown.
    void showBlack();
    // Brings the picture to the screen at once.
    void present();

signals:
    // Buttons and shift state as the media player component reports them.
    void MouseDown(int button, int shift, int x, int y);
    void MouseUp(int button, int shift, int x, int y);
    void DblClick();

protected:
    void paintEvent(QPaintEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QImage mBlack; // at the picture's size
    QImage mShown; // mBlack, or a read-only window onto a snapshot
    X11Overlay mOverlay{this};
};
