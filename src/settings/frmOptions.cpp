#include "settings/frmOptions.h"

#include "errors/Failure.h"
#include "errors/FailurePatterns.h"
#include "settings/Numbers.h"
#include "settings/SettingsStore.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

namespace {
QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

struct OptionDesign {
    const char *caption;
    int left, width;
};
constexpr OptionDesign kOptions[5] = {
    {"0.025 sec", 120, 1095}, {"0.05 sec", 1200, 975}, {"0.1 sec", 2280, 915},
    {"0.2 sec", 3240, 915},   {"0.5 sec", 4320, 855},
};
} // namespace

frmOptions::frmOptions(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(tr("Options"));
    setFixedSize(363, 129);

    Frame1 = new QGroupBox(tr("Video Frame Time:"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twipsRect(120, 240, 5235, 795));
    for (int i = 0; i < 5; ++i) {
        auto *option = new QRadioButton(QString::fromLatin1(kOptions[i].caption), Frame1);
        option->setObjectName(QStringLiteral("optFreezeFrameTime%1").arg(i));
        option->setGeometry(twipsRect(kOptions[i].left, 360 - 240, kOptions[i].width, 255));
        optFreezeFrameTime[std::size_t(i)] = option;
    }
    optFreezeFrameTime[1]->setChecked(true);

    OKButton = new QPushButton(tr("&Close"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(twipsRect(4080, 1380, 1215, 375));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &frmOptions::OKButton_Click);

    Form_Load();
}

void frmOptions::Form_Load()
{
    messageBoxOnFailure("frmOptions: ", [&] {
        const QString text = GetConfigValue(QStringLiteral("FrameTime"));
        if (!text.isEmpty()) {
            const qint16 index = Numbers::textToInt16(text);
            if (index < 0 || index > 4)
                raiseFailure(Failure::SubscriptOutOfRange);
            optFreezeFrameTime[std::size_t(index)]->setChecked(true);
        }
    });
}

void frmOptions::OKButton_Click()
{
    messageBoxOnFailure("frmOptions: ", [&] {
        hide();
        QDialog::done(QDialog::Accepted);
        for (int i = 0; i < 5; ++i) {
            if (optFreezeFrameTime[std::size_t(i)]->isChecked())
                SetConfigValue(QStringLiteral("FrameTime"), QString::number(i));
        }
    });
}

int frmOptions::selectedIndex() const
{
    for (int i = 0; i < 5; ++i) {
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
