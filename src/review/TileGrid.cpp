#include "review/TileGrid.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace TileGrid {

int roundHalfEven(double value)
{
    return int(std::nearbyint(value)); // the default rounding mode is to nearest, ties to even
}

QSize snapshotSize(double playerWidth, double playerHeight)
{
    return QSize(roundHalfEven(playerWidth), playerHeight > 25 ? roundHalfEven(playerHeight) : 0);
}

QSize tileSize(double playerWidth, double playerHeight)
{
    return QSize(roundHalfEven(playerWidth / kColumns), roundHalfEven(playerHeight / kRows));
}

QSize gridSize(QSize tile)
{
    return QSize(kColumns * tile.width(), kRows * tile.height());
}

void copyPixels(const QImage &src, QPoint from, QImage &dst, QPoint to, QSize size)
{
    if (src.isNull() || dst.isNull() || src.depth() != 32 || dst.depth() != 32)
        return;
    // Clip the rectangle against the source, then against the destination.
    int sx = from.x(), sy = from.y(), dx = to.x(), dy = to.y();
    int w = size.width(), h = size.height();
    auto clip = [&](int &a, int &b, int &extent, int limit) {
        if (a < 0) {
            b -= a;
            extent += a;
            a = 0;
        }
        if (a + extent > limit)
            extent = limit - a;
    };
    clip(sx, dx, w, src.width());
    clip(sy, dy, h, src.height());
    clip(dx, sx, w, dst.width());
    clip(dy, sy, h, dst.height());
    if (w <= 0 || h <= 0)
        return;
    const qsizetype srcStride = src.bytesPerLine();
    const qsizetype dstStride = dst.bytesPerLine();
    const uchar *s = src.constBits() + sy * srcStride + qsizetype(sx) * 4;
    uchar *d = dst.bits() + dy * dstStride + qsizetype(dx) * 4;
    const std::size_t bytes = std::size_t(w) * 4;
    // Whole rows of equal strides are one block.
    if (srcStride == dstStride && qsizetype(bytes) == srcStride) {
        std::memcpy(d, s, bytes * std::size_t(h));
        return;
    }
    for (int row = 0; row < h; ++row, s += srcStride, d += dstStride)
        std::memcpy(d, s, bytes);
}

void fillRect(QImage &dst, QRect rect, QRgb colour)
{
    if (dst.isNull() || dst.depth() != 32)
        return;
    rect &= dst.rect();
    if (rect.isEmpty())
        return;
    const qsizetype stride = dst.bytesPerLine();
    uchar *line = dst.bits() + rect.y() * stride + qsizetype(rect.x()) * 4;
    for (int row = 0; row < rect.height(); ++row, line += stride) {
        auto *pixel = reinterpret_cast<QRgb *>(line);
        std::fill(pixel, pixel + rect.width(), colour);
    }
}

void copyTiles(const QImage &src, QPoint origin, QImage &dst, QSize tile)
{
    // The 36 tiles lie side by side with one offset between source and destination.
    copyPixels(src, origin, dst, QPoint(0, 0), gridSize(tile));
}

} // namespace TileGrid
