#include "ModalCloser.h"

#include "errors/frmError.h"

#include <QApplication>
#include <QDialog>
#include <QPlainTextEdit>

ModalCloser::ModalCloser(QObject *parent) : QObject(parent)
{
    connect(&mTimer, &QTimer::timeout, this, &ModalCloser::poll);
    mTimer.start(10);
}

int ModalCloser::count(const QString &className) const
{
    int n = 0;
    for (const Seen &s : mSeen)
        n += s.className == className;
    return n;
}

void ModalCloser::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    if (modal != mLast) {
        mLast = modal;
        Seen s{QString::fromLatin1(modal->metaObject()->className()), modal->windowTitle(), {}};
        if (auto *error = qobject_cast<frmError *>(modal))
            s.text = error->reportText();
        mSeen.append(s);
        if (mInspector)
            mInspector(modal);
    }
    if (mClosing) {
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->done(QDialog::Rejected);
        else
            modal->close();
        mLast = nullptr;
    }
}
