#include "review/ReviewPicture.h"

#include "errors/Failure.h"

#include <QMouseEvent>
#include <QPainter>

int mouseButtonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

int shiftCode(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

ReviewPicture::ReviewPicture(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ReviewPicture::setPictureSize(QSize size)
{
    if (size.width() < 0 || size.height() < 0)
        raiseFailure(Failure::InvalidPropertyValue);
    if (size != mBuffer.size()) {
        QImage buffer;
        if (!size.isEmpty()) {
            buffer = QImage(size, QImage::Format_RGB32);
            if (buffer.isNull())
                raiseFailure(Failure::NoImageMemory);
            buffer.fill(Qt::black);
        }
        mBuffer = std::move(buffer);
    }
    resize(size);
}

void ReviewPicture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (mBuffer.isNull())
        painter.fillRect(rect(), Qt::black);
    else
        painter.drawImage(0, 0, mBuffer);
}

void ReviewPicture::mousePressEvent(QMouseEvent *event)
{
    emit MouseDown(mouseButtonCode(event->button()), shiftCode(event->modifiers()), int(event->position().x()),
                   int(event->position().y()));
}

void ReviewPicture::mouseReleaseEvent(QMouseEvent *event)
{
    emit MouseUp(mouseButtonCode(event->button()), shiftCode(event->modifiers()), int(event->position().x()),
                 int(event->position().y()));
}

void ReviewPicture::mouseDoubleClickEvent(QMouseEvent *)
{
    emit DblClick();
}
