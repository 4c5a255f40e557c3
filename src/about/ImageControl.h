#pragma once
// An image control of the About box: a picture from a file, drawn from the top left
// corner at its own size, or an icon drawn to the largest square that fits, centred.
// Both stay crisp at any screen scale: a picture grows pixel by pixel, an icon's
// vectors are drawn at the screen's resolution.

#include <QIcon>
#include <QImage>
#include <QWidget>

class ImageControl : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    void setImage(const QImage &image);
    void setIcon(const QIcon &icon);
    const QImage &image() const { return mImage; }
    const QIcon &icon() const { return mIcon; }

    // Reads a picture file, whatever its name's ending says. A missing file fails with
    // "File not found", one that cannot be read with "Permission denied" and one that
    // is no picture with "Invalid picture".
    static QImage loadPicture(const QString &path);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage mImage;
    QIcon mIcon;
};
