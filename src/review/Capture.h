#pragma once
// Reading what the window shows in the video area: the review picture where it lies
// over the video, the video's picture elsewhere, black where the video has none. A
// capture and the copy of the live video read it the same way: a capture into a ring
// slot that already exists, allocating nothing; the copy into a new picture.

#include <QImage>

class MediaPlayer;
class ReviewPicture;

namespace Capture {

// The whole video area, as the 6 x 6 tiles of its grid, into the image; pixels of the
// image outside the grid are made black. Beneath: the video's own picture, hidden or not,
// whatever lies over it.
void videoArea(const MediaPlayer &player, const ReviewPicture &review, QImage &into, bool beneath = false);

// The video area at the given size in a new image of its own, black where nothing is read.
QImage newPicture(const MediaPlayer &player, const ReviewPicture &review, QSize size);

} // namespace Capture
