#pragma once
// Closes modal windows as they open, from inside their own event loop, and records each:
// its class, caption and, for the error dialog, its report text. A test that triggers a
// modal window cannot close it from outside while exec() runs.
#include "errors/frmError.h"
#include <QApplication>
#include <QTimer>
#include <functional>

class ModalCloser : public QObject {
public:
    struct Seen { QString className, caption, text; };
    ModalCloser() { connect(&mTimer, &QTimer::timeout, this, &ModalCloser::poll), mTimer.start(10); }
    std::function<void(QWidget *)> inspector; // runs on each modal window while it is open
    bool closing = true;                       // when false, windows are recorded but left open
    const QList<Seen> &seen() const { return mSeen; }
    qsizetype count(const QString &className) const
    {
        return std::count_if(mSeen.begin(), mSeen.end(), [&](const Seen &s) { return s.className == className; });
    }

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        if (std::exchange(mLast, modal) != modal) {
            auto *error = qobject_cast<frmError *>(modal);
            mSeen.append({modal->metaObject()->className(), modal->windowTitle(), error ? error->reportText() : ""});
            if (inspector)
                inspector(modal);
        }
        if (closing)
            modal->close(), mLast = nullptr;
    }
    QTimer mTimer;
    QList<Seen> mSeen;
    QWidget *mLast = nullptr;
};
