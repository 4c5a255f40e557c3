#include "review/Capture.h"

#include "playback/MediaPlayer.h"
#include "review/ReviewPicture.h"
#include "review/TileGrid.h"

#include <QWidget>

namespace Capture {
namespace {

// Copies size pixels seen at the point from (the window's inner area) to at in the image.
void visiblePixels(const MediaPlayer &player, const ReviewPicture &review, QPoint from, QImage &to, QPoint at,
                   QSize size, bool beneath)
{
    const QWidget *video = player.widget();
    if (video->isVisible() || beneath) {
        const QImage &frame = player.frame();
        if (frame.width() < video->width() || frame.height() < video->height())
            TileGrid::fillRect(to, QRect(at, size), qRgb(0, 0, 0));
        TileGrid::copyPixels(frame, from - video->pos(), to, at, size);
    }
    if (review.isVisible() && !beneath)
        TileGrid::copyPixels(review.buffer(), from - review.pos(), to, at, size);
}

} // namespace

void videoArea(const MediaPlayer &player, const ReviewPicture &review, QImage &into, bool beneath)
{
    const QWidget *video = player.widget();
    // The 6 x 6 tiles lie side by side, each read at its own place: together they are
    // one rectangle, read in one go. What they leave of the image (a few pixels where
    // the tiles are rounded smaller than the area) is black, so that every pixel of a
    // snapshot is written and a snapshot can be shown as it is.
    const QSize grid = TileGrid::gridSize(TileGrid::tileSize(video->width(), video->height()));
    if (grid.width() < into.width())
        TileGrid::fillRect(into, QRect(grid.width(), 0, into.width() - grid.width(), into.height()), qRgb(0, 0, 0));
    if (grid.height() < into.height())
        TileGrid::fillRect(into, QRect(0, grid.height(), into.width(), into.height() - grid.height()), qRgb(0, 0, 0));
    visiblePixels(player, review, video->pos(), into, QPoint(0, 0), grid, beneath);
}

QImage newPicture(const MediaPlayer &player, const ReviewPicture &review, QSize size)
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Qt::black);
    videoArea(player, review, picture);
    return picture;
}

} // namespace Capture
