#include "review/TileGrid.h"

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
    const std::size_t bytes = std::size_t(w) * 4;
    for (int row = 0; row < h; ++row) {
        const uchar *s = src.constScanLine(sy + row) + std::size_t(sx) * 4;
        uchar *d = dst.scanLine(dy + row) + std::size_t(dx) * 4;
        std::memcpy(d, s, bytes);
    }
}

void copyTiles(const QImage &src, QPoint origin, QImage &dst, QSize tile)
{
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            const QPoint at(c * tile.width(), r * tile.height());
            copyPixels(src, origin + at, dst, at, tile);
        }
    }
}

} // namespace TileGrid
