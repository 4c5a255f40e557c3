#pragma once
// The geometry that capture and display share: the size of a snapshot and the 6 x 6
// tiles it is copied in, with halves rounded to the even neighbour.

#include <QImage>
#include <QPoint>
#include <QSize>

namespace TileGrid {

constexpr int kColumns = 6;
constexpr int kRows = 6;

// Nearest whole number, halves to the even neighbour (272 / 6 = 45.33 -> 45, 45.5 -> 46).
int roundHalfEven(double value);

// The snapshot of a player width x height: W rounded, H rounded when above 25, else 0.
QSize snapshotSize(double playerWidth, double playerHeight);

// One tile: the player's width and height over 6, each rounded.
QSize tileSize(double playerWidth, double playerHeight);

// The 6 x 6 tiles side by side: the one rectangle they cover.
QSize gridSize(QSize tile);

// Copies size pixels from src at from into dst at to, clipped to both images. Both
// images hold 32-bit pixels. Allocates nothing.
void copyPixels(const QImage &src, QPoint from, QImage &dst, QPoint to, QSize size);

// Fills the part of the rectangle inside dst (32-bit pixels) with one colour.
void fillRect(QImage &dst, QRect rect, QRgb colour);

// Copies the 36 tiles from src at origin into dst at (0, 0): the rectangle of 6 x 6
// tiles, clipped to both images.
void copyTiles(const QImage &src, QPoint origin, QImage &dst, QSize tile);

} // namespace TileGrid
