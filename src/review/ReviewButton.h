#pragma once
// The arrow buttons of the review: they react to either mouse button, so they tell
// the press and the release of any button, with the component's button and shift
// codes, like the review picture does.

#include <QToolButton>

class ReviewButton : public QToolButton {
    Q_OBJECT
public:
    using QToolButton::QToolButton;

signals:
    void MouseDown(int button, int shift, int x, int y);
    void MouseUp(int button, int shift, int x, int y);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};
