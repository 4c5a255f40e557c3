#include "review/ReviewButton.h"

#include "playback/InputCodes.h"

#include <QMouseEvent>

void ReviewButton::mousePressEvent(QMouseEvent *event)
{
    QToolButton::mousePressEvent(event);
    emit MouseDown(InputCodes::button(event->button()), InputCodes::shift(event->modifiers()), int(event->position().x()),
                   int(event->position().y()));
}

void ReviewButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A quick second click is one more step, not a double-click.
    mousePressEvent(event);
}

void ReviewButton::mouseReleaseEvent(QMouseEvent *event)
{
    QToolButton::mouseReleaseEvent(event);
    emit MouseUp(InputCodes::button(event->button()), InputCodes::shift(event->modifiers()), int(event->position().x()),
                 int(event->position().y()));
}
