#pragma once
// The error dialog: shows the current report and can send the run's error log as a
// bug report mail.

#include <QDialog>

class ErrorLog;
class QPlainTextEdit;
class QPushButton;

class frmError : public QDialog {
    Q_OBJECT
public:
    explicit frmError(const ErrorLog &log, QWidget *parent = nullptr);

    void setReport(const QString &text);
    // A further report while the dialog is open: shown below the current one.
    void addReport(const QString &text);
    QString reportText() const;

    // The bug report body for the given log.
    static QString bugReportBody(const QString &errorMessages);

    QPlainTextEdit *txtError;
    QPushButton *OKButton;
    QPushButton *cmdEmail;

public slots:
    void OKButton_Click();
    void cmdEmail_Click();

private:
    const ErrorLog &mLog;
};
