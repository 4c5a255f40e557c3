#pragma once
// Reading what the window shows in the video area: the review picture where it lies
// over the video, the video's picture elsewhere, black where the video has none. A
// capture and the copy of the live video read it the same way, into images that
// already exist, so neither allocates.

#include <QImage>

class MediaPlayer;
class ReviewPicture;

namespace Capture {

// Copies size pixels seen at the point from (the window's inner area) to at in the image.
void visiblePixels(const MediaPlayer &player, const ReviewPicture &review, QPoint from, QImage &to, QPoint at,
                   QSize size);

// The whole video area, tile by tile of the 6 x 6 grid, into the image.
void videoArea(const MediaPlayer &player, const ReviewPicture &review, QImage &into);

} // namespace Capture
