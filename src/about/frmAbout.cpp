#include "about/frmAbout.h"

#include "AppInfo.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(caption());

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setText(tr("<b>To review the last 60 video frames:</b><br><br>"
                       "Press left mouse button to view previous frames<br>"
                       "Press right mouse button to view next frames"));
    cmdOK = new QPushButton(tr("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(cmdOK, 0, Qt::AlignRight);
}

QString frmAbout::caption()
{
    return QStringLiteral("About %1 %2").arg(QLatin1String(AppInfo::kTitle), QLatin1String(AppInfo::kVersion));
}

void frmAbout::cmdOK_Click()
{
    accept();
}
