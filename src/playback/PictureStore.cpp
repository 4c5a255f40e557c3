#include "playback/PictureStore.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>

#include <array>

namespace {

// Paints one picture into whatever rectangle and scale the button asks for.
class VectorPicture : public QIconEngine {
public:
    VectorPicture(PictureStore::Shape shape, PictureStore::Picture picture) : mShape(shape), mPicture(picture) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode, QIcon::State) override
    {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 16.0, rect.height() / 16.0);
        draw(*painter);
        painter->restore();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }

    QIconEngine *clone() const override { return new VectorPicture(mShape, mPicture); }
    QString key() const override { return QStringLiteral("ReplixaVectorPicture"); }

private:
    // Drawn on a 16 x 16 grid.
    void draw(QPainter &p) const
    {
        const QColor dark(0x20, 0x20, 0x20);
        const QColor grey(0x80, 0x80, 0x80);
        const QColor pale(0xC4, 0xC4, 0xC4);
        const QColor blue(0x1E, 0x64, 0xC8);
        p.setPen(Qt::NoPen);
        if (mShape == PictureStore::Shape::FullScreen) {
            QPen pen(dark, 1.6);
            pen.setCapStyle(Qt::FlatCap);
            p.setPen(pen);
            p.setBrush(Qt::NoBrush);
            for (const auto &[x, y, dx, dy] : {std::array<qreal, 4>{2, 2, 1, 1}, {14, 2, -1, 1}, {2, 14, 1, -1},
                                               {14, 14, -1, -1}}) {
                p.drawLine(QPointF(x, y), QPointF(x + 4 * dx, y));
                p.drawLine(QPointF(x, y), QPointF(x, y + 4 * dy));
            }
            return;
        }
        if (mShape == PictureStore::Shape::Play) {
            if (mPicture == PictureStore::Picture::Pressed) {
                p.setBrush(grey);
                p.drawRect(QRectF(3.5, 2.5, 3.5, 11));
                p.drawRect(QRectF(9, 2.5, 3.5, 11));
                return;
            }
            p.setBrush(mPicture == PictureStore::Picture::Normal ? dark : pale);
            QPainterPath triangle;
            triangle.moveTo(4, 2);
            triangle.lineTo(13.5, 8);
            triangle.lineTo(4, 14);
            triangle.closeSubpath();
            p.drawPath(triangle);
            return;
        }
        QColor arrowColour = dark;
        if (mPicture == PictureStore::Picture::Pressed) {
            p.setBrush(pale);
            p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 2, 2);
            arrowColour = blue;
        } else if (mPicture == PictureStore::Picture::Disabled) {
            arrowColour = pale;
        }
        p.setBrush(arrowColour);
        // The right arrow is the left one mirrored.
        if (mShape == PictureStore::Shape::Right) {
            p.translate(16, 0);
            p.scale(-1, 1);
        }
        QPainterPath arrow;
        arrow.moveTo(2, 8);
        arrow.lineTo(8, 2.5);
        arrow.lineTo(8, 5.5);
        arrow.lineTo(14, 5.5);
        arrow.lineTo(14, 10.5);
        arrow.lineTo(8, 10.5);
        arrow.lineTo(8, 13.5);
        arrow.closeSubpath();
        p.drawPath(arrow);
    }

    PictureStore::Shape mShape;
    PictureStore::Picture mPicture;
};

} // namespace

QIcon PictureStore::picture(Picture picture) const
{
    return QIcon(new VectorPicture(mShape, picture));
}
