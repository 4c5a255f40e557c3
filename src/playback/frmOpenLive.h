#pragma once
// The dialog that opens a live source: the video cameras present, by their own names, and
// a field for a stream address. Enter or OK takes the address typed, else the camera
// chosen; an address of a kind that is not opened is told in the dialog, which stays.

#include "playback/LiveSource.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;

class frmOpenLive : public QDialog {
    Q_OBJECT
public:
    frmOpenLive(const QList<LiveSource::Camera> &cameras, QWidget *parent);

    // What the user chose: an address or a camera's device path.
    QString chosen() const { return mChosen; }
    // Why this answer is not opened, or "" when it is.
    static QString refusal(const QString &text);

    // Shows the dialog over parent with the cameras present; the source chosen, or "" when
    // cancelled. An answer the tests put in (a chooser) is refused as the dialog's would be,
    // in a message box.
    static QString choose(QWidget *parent);
    using Chooser = std::function<QString(const QList<LiveSource::Camera> &cameras)>;
    // Tests put an answer in place of the dialog; returns the previous chooser.
    static Chooser setChooser(Chooser chooser);

    void accept() override;

private:
    QListWidget *lstCameras;
    QLineEdit *txtAddress;
    QLabel *lblMessage;
    QList<LiveSource::Camera> mCameras;
    QString mChosen;
};
