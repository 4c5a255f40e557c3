#include "settings/frmOptions.h"

#include "errors/FailurePatterns.h"
#include "settings/WindowSettings.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>

#include <algorithm>

namespace {
QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

struct OptionDesign {
    const char *caption;
    int left, width;
};
constexpr OptionDesign kOptions[6] = {
    {"0.025 sec", 120, 1095}, {"0.05 sec", 1200, 975}, {"0.1 sec", 2280, 915},
    {"0.2 sec", 3240, 915},   {"0.5 sec", 4320, 855},  {"Every frame", 5280, 1215},
};
} // namespace

frmOptions::frmOptions(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(tr("Options"));
    resize(363, 129);

    Frame1 = new QGroupBox(tr("Video Frame Time:"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twipsRect(120, 240, 5235, 795));
    for (int i = 0; i < 6; ++i) {
        auto *option = new QRadioButton(tr(kOptions[i].caption), Frame1);
        option->setObjectName(QStringLiteral("optFreezeFrameTime%1").arg(i));
        option->setGeometry(twipsRect(kOptions[i].left, 360 - 240, kOptions[i].width, 255));
        optFreezeFrameTime[std::size_t(i)] = option;
        connect(option, &QRadioButton::toggled, this, &frmOptions::showSummary);
    }
    optFreezeFrameTime[1]->setChecked(true);

    Frame2 = new QGroupBox(tr("Snapshots Kept:"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    txtCaptureCount = new QSpinBox(Frame2);
    txtCaptureCount->setObjectName(QStringLiteral("txtCaptureCount"));
    txtCaptureCount->setRange(0, 32767); // the ring counts its slots in 16 bits
    txtCaptureCount->setAccelerated(true);
    lblHistory = new QLabel(Frame2);
    lblHistory->setObjectName(QStringLiteral("lblHistory"));
    connect(txtCaptureCount, &QSpinBox::valueChanged, this, &frmOptions::showSummary);

    OKButton = new QPushButton(tr("&Close"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(twipsRect(4080, 1380, 1215, 375));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &frmOptions::OKButton_Click);

    fitCaptions();
    Form_Load();
}

void frmOptions::fitCaptions()
{
    // The design geometry is the least each control gets. An option grows to its caption
    // and pushes the ones to its right along, the options sit below the frame's title, and
    // the frame, the Close button and the dialog grow to hold them with the design's
    // margins; the button keeps to the bottom right corner.
    const QSize design = size();
    const QRect designFrame = Frame1->geometry(), designButton = OKButton->geometry();
    const int gap = std::max(4, style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing));
    const int top = std::max(optFreezeFrameTime[0]->y(), Frame1->contentsRect().top());
    QSize inner; // what the options take inside the frame
    for (QRadioButton *option : optFreezeFrameTime) {
        QRect r(option->pos(), option->size().expandedTo(option->sizeHint()));
        r.moveTo(inner.isValid() ? std::max(r.x(), inner.width() + gap) : r.x(), top);
        option->setGeometry(r);
        inner = QSize(r.x() + r.width(), r.y() + r.height());
    }
    const int margin = optFreezeFrameTime[0]->x();
    const QRect options(designFrame.topLeft(), designFrame.size().expandedTo(inner + QSize(margin, margin)));
    Frame1->setGeometry(options);
    // The snapshots kept, below: the count, and beside it what it means, room left for its longest text.
    const QSize count = txtCaptureCount->sizeHint().expandedTo({80, 0});
    txtCaptureCount->setGeometry(QRect(QPoint(margin, top), count));
    const int textWidth = lblHistory->fontMetrics().horizontalAdvance(QStringLiteral("32767 snapshots — 16383.5 sec — 999.9 GB"));
    lblHistory->setGeometry(margin + count.width() + gap, top, textWidth, count.height());
    const QRect kept(options.x(), options.y() + options.height() + gap,
                     std::max(options.width(), lblHistory->x() + textWidth + margin), top + count.height() + margin);
    Frame2->setGeometry(kept);
    Frame1->resize(kept.width(), options.height());
    const QRect frame(options.topLeft(), QSize(kept.width(), kept.y() + kept.height() - options.y()));

    const QSize button = designButton.size().expandedTo(OKButton->sizeHint());
    const int frameRight = design.width() - designFrame.x() - designFrame.width();
    const int right = design.width() - designButton.x() - designButton.width();
    const int bottom = design.height() - designButton.y() - designButton.height();
    const int buttonTop = designButton.y() + frame.height() - designFrame.height();
    const QSize dialog = design.expandedTo(
        QSize(std::max(frame.x() + frame.width() + frameRight, frame.x() + button.width() + right),
              buttonTop + button.height() + bottom));
    OKButton->setGeometry(QRect(QPoint(dialog.width() - right - button.width(), buttonTop), button));
    setFixedSize(dialog);
}

void frmOptions::Form_Load()
{
    messageBoxOnFailure("frmOptions: ", [&] {
        if (const std::optional<int> option = WindowSettings::loadFrameTime())
            optFreezeFrameTime[std::size_t(*option)]->setChecked(true);
    });
}

int frmOptions::intervalOf(int option)
{
    return option >= 0 && option < int(kIntervals.size()) ? kIntervals[std::size_t(option)] : 0;
}

int frmOptions::captureCount() const
{
    return txtCaptureCount->value();
}

void frmOptions::setCaptureCount(int count)
{
    txtCaptureCount->setValue(count);
}

void frmOptions::setSummary(Summary summary)
{
    mSummary = std::move(summary);
    showSummary();
}

void frmOptions::showSummary()
{
    if (lblHistory) // the options are checked while the dialog is made
        lblHistory->setText(mSummary ? mSummary(captureCount(), selectedIndex()) : QString());
}

void frmOptions::OKButton_Click()
{
    messageBoxOnFailure("frmOptions: ", [&] {
        hide();
        QDialog::done(QDialog::Accepted);
        WindowSettings::saveFrameTime(selectedIndex());
    });
}

int frmOptions::selectedIndex() const
{
    for (int i = 0; i < 6; ++i) {
        if (optFreezeFrameTime[std::size_t(i)]->isChecked())
            return i;
    }
    return 0;
}

void frmOptions::reject()
{
    // Escape is the Close button: the shown selection is stored.
    OKButton_Click();
}

void frmOptions::closeEvent(QCloseEvent *event)
{
    mClosedByWindow = true;
    event->accept();
    QDialog::done(QDialog::Rejected);
}
