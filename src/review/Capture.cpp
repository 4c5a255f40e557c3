#include "review/Capture.h"

#include "playback/MediaPlayer.h"
#include "review/ReviewPicture.h"
#include "review/TileGrid.h"

#include <QWidget>

namespace Capture {

void visiblePixels(const MediaPlayer &player, const ReviewPicture &review, QPoint from, QImage &to, QPoint at,
                   QSize size)
{
    const QWidget *video = player.widget();
    if (video->isVisible()) {
        const QImage &frame = player.frame();
        if (frame.width() < video->width() || frame.height() < video->height()) {
            for (int y = std::max(0, at.y()); y < std::min(to.height(), at.y() + size.height()); ++y) {
                QRgb *line = reinterpret_cast<QRgb *>(to.scanLine(y));
                for (int x = std::max(0, at.x()); x < std::min(to.width(), at.x() + size.width()); ++x)
                    line[x] = qRgb(0, 0, 0);
            }
        }
        TileGrid::copyPixels(frame, from - video->pos(), to, at, size);
    }
    if (review.isVisible())
        TileGrid::copyPixels(review.buffer(), from - review.pos(), to, at, size);
}

void videoArea(const MediaPlayer &player, const ReviewPicture &review, QImage &into)
{
    const QWidget *video = player.widget();
    const QSize tile = TileGrid::tileSize(video->width(), video->height());
    for (int r = 0; r < TileGrid::kRows; ++r) {
        for (int c = 0; c < TileGrid::kColumns; ++c) {
            const QPoint at(c * tile.width(), r * tile.height());
            visiblePixels(player, review, video->pos() + at, into, at, tile);
        }
    }
}

} // namespace Capture
