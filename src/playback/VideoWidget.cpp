#include "playback/VideoWidget.h"

#include "playback/InputCodes.h"

#include <QMouseEvent>
#include <QPainter>

#include <cstdlib>
#include <cstring>

namespace {

void freeAligned(void *data)
{
    std::free(data);
}

// An RGB32 image over a buffer whose address and row stride are multiples of the
// alignment, as the software renderer prefers; every pixel starts opaque black.
QImage alignedImage(int width, int height)
{
    const qsizetype stride =
        (qsizetype(width) * 4 + VideoWidget::kAlignment - 1) / VideoWidget::kAlignment * VideoWidget::kAlignment;
    const size_t bytes = size_t(stride) * size_t(height);
    void *data = std::aligned_alloc(VideoWidget::kAlignment, bytes);
    if (!data)
        return {};
    QImage image(static_cast<uchar *>(data), width, height, stride, QImage::Format_RGB32, freeAligned, data);
    image.fill(Qt::black);
    return image;
}

// One pass over the pixels, in the widest vector unit the processor has: the frame
// is still in cache just after the renderer wrote it.
__attribute__((target_clones("avx2", "default"))) void setOpaque(quint32 *pixels, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        pixels[i] |= 0xff000000u;
}

} // namespace

VideoWidget::VideoWidget(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

VideoWidget::~VideoWidget() = default;

void VideoWidget::setRenderer(Renderer renderer)
{
    mRenderer = std::move(renderer);
}

bool VideoWidget::ensureImage()
{
    const QSize wanted = size();
    if (wanted.isEmpty()) {
        mImage = QImage();
        return false;
    }
    // A copy handed out through frame() must not change under its holder, so a
    // shared image is replaced rather than drawn over.
    if (mImage.size() != wanted || !mImage.isDetached())
        mImage = alignedImage(wanted.width(), wanted.height());
    return !mImage.isNull();
}

void VideoWidget::renderFrame()
{
    // A busy event loop can bring the next frame before the paint of the last one, whose
    // request waits behind it at low priority; that frame is painted now, not lost.
    if (mUnpainted && isVisible())
        repaint();
    drawPicture();
}

void VideoWidget::drawPicture()
{
    if (!ensureImage())
        return;
    const bool rendered = mRenderer && mRenderer(mImage);
    if (rendered) {
        // The padding byte of each pixel is left undefined by the renderer; RGB32 wants it
        // at 0xff. The rows' padding is the image's own, so the buffer is one run of pixels.
        setOpaque(reinterpret_cast<quint32 *>(mImage.bits()),
                  std::size_t(mImage.bytesPerLine()) / 4 * std::size_t(mImage.height()));
    }
    mUnpainted = true;
    update();
    if (rendered)
        emit drawn();
}

void VideoWidget::paintEvent(QPaintEvent *)
{
    mUnpainted = false;
    QPainter painter(this);
    if (mImage.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    painter.drawImage(QPoint(0, 0), mImage);
    if (mImage.width() < width())
        painter.fillRect(mImage.width(), 0, width() - mImage.width(), height(), Qt::black);
    if (mImage.height() < height())
        painter.fillRect(0, mImage.height(), mImage.width(), height() - mImage.height(), Qt::black);
}

void VideoWidget::resizeEvent(QResizeEvent *)
{
    // The current frame is drawn again at the new size, also while paused.
    drawPicture();
}

void VideoWidget::mousePressEvent(QMouseEvent *event)
{
    const int button = InputCodes::button(event->button());
    if (button == 0) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    event->accept();
    emit mousePressed(button, InputCodes::shift(event->modifiers()), at.x(), at.y());
}
