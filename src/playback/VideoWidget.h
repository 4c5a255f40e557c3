#pragma once
// The widget the video is drawn into. It holds the picture as an image at the
// widget's own size; a renderer supplied by the engine fills that image, and the
// widget paints it opaque over its whole area. Mouse presses are reported with
// the component's button and shift codes.

#include <QImage>
#include <QWidget>

#include <functional>

class VideoWidget : public QWidget {
    Q_OBJECT
public:
    // Fills the target image (already at the widget's size) with the current picture;
    // returns false when nothing could be drawn.
    using Renderer = std::function<bool(QImage &target)>;

    explicit VideoWidget(QWidget *parent = nullptr);
    ~VideoWidget() override;

    void setRenderer(Renderer renderer);

    // Draws the current picture into the image at the widget's size and schedules a
    // repaint. Called by the engine when a new frame is ready, and after a resize.
    void renderFrame();

    // The picture as last drawn (black before the first frame).
    const QImage &frame() const { return mImage; }

    // Row stride and address alignment of the image buffer, in bytes.
    static constexpr int kAlignment = 64;

signals:
    // The renderer drew the image, which is whole now: told right after each drawing.
    void drawn();
    // A mouse button went down: button 1 left, 2 right, 4 middle; shift bits
    // 1 shift, 2 ctrl, 4 alt; x and y in widget pixels.
    void mousePressed(int button, int shift, int x, int y);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    // Makes mImage an unshared image of the widget's size (black when new).
    bool ensureImage();
    // Draws the current picture into the image and schedules a repaint.
    void drawPicture();

    Renderer mRenderer;
    QImage mImage;
    // The image holds a picture that has not been painted yet.
    bool mUnpainted = false;
};
