#include "about/ImageControl.h"

#include "errors/Failure.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#include <algorithm>

namespace {
constexpr int kInvalidPicture = 481;
}

void ImageControl::setImage(const QImage &image)
{
    mImage = image;
    update();
}

void ImageControl::setIcon(const QIcon &icon)
{
    mIcon = icon;
    update();
}

QImage ImageControl::loadPicture(const QString &path)
{
    const QFileInfo file(path);
    if (!file.isFile())
        raiseFailure(Failure::FileNotFound);
    if (!file.isReadable())
        raiseFailure(Failure::PermissionDenied);
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    if (image.isNull())
        raiseFailure(kInvalidPicture, QStringLiteral("Invalid picture"));
    return image;
}

void ImageControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!mIcon.isNull()) {
        const int side = std::min(width(), height());
        mIcon.paint(&painter, QRect((width() - side) / 2, (height() - side) / 2, side, side));
    }
    // Without smoothing a picture grows to the screen's scale pixel by pixel.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (!mImage.isNull())
        painter.drawImage(QPoint(0, 0), mImage);
}
