#pragma once
// The run's error log and the error dialog that shows each report. The main
// window's reporter pauses playback, then hands the report message here.

#include <QObject>
#include <QPointer>
#include <QString>

class frmError;

class ErrorLog : public QObject {
    Q_OBJECT
public:
    static const QString &memoryAdvice();

    using QObject::QObject;
    ~ErrorLog() override;

    // msErrorMessages: every report of this run, one per line, each ending in CR LF.
    const QString &messages() const { return mMessages; }

    // Logs sErr and shows it in the error dialog; returns when the dialog is closed.
    // A failure numbered 480 gets the colour-depth advice in the dialog, never in the log.
    // A report that arrives while the dialog is open joins the open dialog and returns at once.
    void present(QString &sErr, int failureNumber);

    // The dialog while it is open, else null.
    frmError *openDialog() const;

signals:
    void reported(const QString &message);

private:
    QString mMessages;
    QPointer<frmError> mDialog;
};
