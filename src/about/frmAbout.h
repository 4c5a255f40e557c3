#pragma once
// The About box: a short tutorial of reviewing with the mouse buttons, playing by itself
// on a mock of the window's arrows and video, and links to the web site and the author.

#include "about/AboutTutorial.h"
#include "playback/PictureStore.h"

#include <QDialog>

class ImageControl;
class QLabel;
class QPushButton;
class QTimer;

class frmAbout : public QDialog, private TutorialHost {
    Q_OBJECT
public:
    // The arrows are the main window's review arrows, drawn by its picture stores.
    frmAbout(const PictureStore &left, const PictureStore &right, QWidget *parent = nullptr);

    // "About Replixa 2.6.0".
    static QString caption();

    // Caption, links, arrows and the tutorial's first frame; a failure shows a
    // "frmAbout: " message box and keeps the steps done before it.
    void Form_Load();
    void Timer1_Timer() { mTutorial.Timer1_Timer(); }
    void cmdOK_Click() { accept(); }
    void lblWebLink_Click();
    void lblEmailLink_Click();

    // Loads <program folder>/<n>.gif into oFrame; a failure goes to the caller.
    void ShowFrame(int n);

    const AboutTutorial &tutorial() const { return mTutorial; }

    QLabel *Label1, *lblLeft, *lblRight, *Label4, *lblWebLink, *Label5, *lblEmailLink;
    ImageControl *oLeftMouse, *oRightMouse, *oLeftImage, *oRightImage, *oFrame;
    QPushButton *cmdOK;
    QTimer *Timer1;

public slots:
    // Escape and the close box go through OK, as a cancel button would.
    void reject() override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showPhase(int step) override;
    void showFrame(int n) override { ShowFrame(n); }
    void stopTimer() override;
    // Grows the labels from their design geometry to their text, and the dialog with them.
    void fitCaptions();

    const PictureStore mLeft, mRight;
    AboutTutorial mTutorial{*this};
};
