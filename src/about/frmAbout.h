#pragma once
// The About box: credits and a short introduction to reviewing with the mouse buttons.

#include <QDialog>

class QLabel;
class QPushButton;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);

    static QString caption();

    QLabel *Label1;
    QPushButton *cmdOK;

public slots:
    void cmdOK_Click();
};
