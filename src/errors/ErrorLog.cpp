#include "errors/ErrorLog.h"

#include "AppInfo.h"
#include "errors/Failure.h"
#include "errors/MessageBox.h"
#include "errors/frmError.h"

namespace {
const QLatin1String kCrLf("\r\n");
}

const QString &ErrorLog::memoryAdvice()
{
    static const QString advice = QStringLiteral(
        "Keep fewer snapshots (Edit > Options) or restart the application with reduced video "
        "window size.");
    return advice;
}

ErrorLog::~ErrorLog()
{
    delete mDialog.data();
}

frmError *ErrorLog::openDialog() const
{
    return mDialog.data();
}

void ErrorLog::present(QString &sErr, int failureNumber)
{
    mMessages += sErr + kCrLf;
    emit reported(sErr);

    if (mDialog) {
        // The dialog is modal and already waiting for the user: add this report to it.
        QString text = sErr;
        if (failureNumber == Failure::NoImageMemory)
            text += kCrLf + memoryAdvice();
        mDialog->addReport(text);
        return;
    }

    auto *dialog = new frmError(*this, MessageBox::ownerWindow());
    mDialog = dialog;
    dialog->setWindowTitle(QLatin1String(AppInfo::kTitle) + QLatin1String(" error description"));
    if (failureNumber == Failure::NoImageMemory)
        sErr += kCrLf + memoryAdvice();
    dialog->setReport(sErr);
    dialog->exec();
    delete mDialog.data(); // gone already if its owner went while it was open
}
