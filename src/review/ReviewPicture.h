#pragma once
// The review picture: lies over the video area and shows a snapshot from its own
// image buffer, which the Copy Image command also reads.

#include <QImage>
#include <QWidget>

class ReviewPicture : public QWidget {
    Q_OBJECT
public:
    explicit ReviewPicture(QWidget *parent = nullptr);

    // The persistent buffer, at the picture's own size.
    QImage &buffer() { return mBuffer; }
    const QImage &buffer() const { return mBuffer; }
    // Resizes the picture and its buffer. A buffer that cannot be had raises failure 480.
    void setPictureSize(QSize size);

signals:
    // Buttons and shift state as the media player component reports them.
    void MouseDown(int button, int shift, int x, int y);
    void MouseUp(int button, int shift, int x, int y);
    void DblClick();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QImage mBuffer;
};

// Mouse button and shift codes of a Qt mouse event: 1 left, 2 right, 4 middle;
// 1 Shift, 2 Ctrl, 4 Alt.
int mouseButtonCode(Qt::MouseButton button);
int shiftCode(Qt::KeyboardModifiers modifiers);
