#pragma once
// The options dialog: the video frame time, the interval at which snapshots are taken
// and a held review step repeats, or every video frame; and how many snapshots the ring
// keeps, with what that means at the video's size. Its option buttons hold the current
// choice while the program runs; the settings file holds it between runs.

#include <QDialog>

#include <array>
#include <functional>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

class frmOptions : public QDialog {
    Q_OBJECT
public:
    // Interval in milliseconds of each timed option, index 0 to 4; option 5 takes every frame.
    static constexpr std::array<int, 5> kIntervals{25, 50, 100, 200, 500};
    // What a number of snapshots means with a frame time option: "300 snapshots — 5.0 sec — 1.2 GB".
    using Summary = std::function<QString(int count, int option)>;

    explicit frmOptions(QWidget *parent = nullptr);

    // Selects the stored option; a bad stored value shows a "frmOptions: " message box
    // and leaves the design selection ("0.05 sec").
    void Form_Load();
    // Hides the dialog and stores the selection.
    void OKButton_Click();

    // True once the dialog was closed through its window's close box: the choice
    // shown was discarded and the dialog counts as unloaded.
    bool closedByWindow() const { return mClosedByWindow; }

    int selectedIndex() const;
    // The interval of an option or of the selected one, in milliseconds; 0 for every frame.
    static int intervalOf(int option);
    int intervalMs() const { return intervalOf(selectedIndex()); }

    // The number of snapshots shown and chosen; the window applies and stores it.
    int captureCount() const;
    void setCaptureCount(int count);
    void setSummary(Summary summary);

    QGroupBox *Frame1;
    std::array<QRadioButton *, 6> optFreezeFrameTime{};
    QGroupBox *Frame2;
    QSpinBox *txtCaptureCount = nullptr;
    QLabel *lblHistory = nullptr;
    QPushButton *OKButton;

protected:
    void reject() override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Grows the controls and the dialog from their design geometry to what the captions
    // need at the current font, and fixes the dialog's size.
    void fitCaptions();
    void showSummary();

    Summary mSummary;
    bool mClosedByWindow = false;
};
