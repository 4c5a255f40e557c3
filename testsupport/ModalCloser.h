#pragma once
// Closes modal windows as they open, from inside their own event loop, and keeps a
// record of each: its class, caption and, for the error dialog, its text. A test
// that triggers a modal window cannot close it from outside while exec() runs.

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

class QWidget;

class ModalCloser : public QObject {
    Q_OBJECT
public:
    struct Seen {
        QString className;
        QString caption;
        QString text; // the error dialog's report text, when it is one
    };

    explicit ModalCloser(QObject *parent = nullptr);

    // Runs on each modal window before it is closed (while it is open).
    void setInspector(std::function<void(QWidget *)> inspector) { mInspector = std::move(inspector); }
    // When false, windows are recorded but left open.
    void setClosing(bool closing) { mClosing = closing; }

    const QList<Seen> &seen() const { return mSeen; }
    int count(const QString &className) const;

private:
    void poll();

    QTimer mTimer;
    QList<Seen> mSeen;
    QWidget *mLast = nullptr;
    bool mClosing = true;
    std::function<void(QWidget *)> mInspector;
};
