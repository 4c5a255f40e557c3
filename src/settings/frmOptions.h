#pragma once
// The options dialog: the video frame time, the interval at which snapshots are taken
// and a held review step repeats. Its option buttons hold the current choice while the
// program runs; the settings file holds it between runs.

#include <QDialog>

#include <array>

class QGroupBox;
class QPushButton;
class QRadioButton;

class frmOptions : public QDialog {
    Q_OBJECT
public:
    // Interval in milliseconds of each option, index 0 to 4.
    static constexpr std::array<int, 5> kIntervals{25, 50, 100, 200, 500};

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
    // The interval of the selected option, in milliseconds.
    int intervalMs() const { return kIntervals[std::size_t(selectedIndex())]; }

    QGroupBox *Frame1;
    std::array<QRadioButton *, 5> optFreezeFrameTime{};
    QPushButton *OKButton;

protected:
    void reject() override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Grows the controls and the dialog from their design geometry to what the captions
    // need at the current font, and fixes the dialog's size.
    void fitCaptions();

    bool mClosedByWindow = false;
};
