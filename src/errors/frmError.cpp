#include "errors/frmError.h"

#include "errors/ErrorLog.h"
#include "errors/FailurePatterns.h"
#include "errors/SupportMail.h"

#include <QPlainTextEdit>
#include <QPushButton>

namespace {
// Design positions are in twips; 15 twips make a pixel at 96 dots per inch.
QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}
const QLatin1String kCrLf("\r\n");
} // namespace

frmError::frmError(const ErrorLog &log, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      mLog(log)
{
    setObjectName(QStringLiteral("frmError"));
    resize(346, 125);

    txtError = new QPlainTextEdit(this);
    txtError->setObjectName(QStringLiteral("txtError"));
    txtError->setReadOnly(true);
    txtError->setGeometry(twipsRect(120, 120, 4935, 1155));
    QPalette pal = txtError->palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, Qt::black);
    txtError->setPalette(pal);
    QFont font = txtError->font();
    font.setPointSizeF(9.75);
    txtError->setFont(font);

    OKButton = new QPushButton(tr("&Close"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(twipsRect(1122, 1440, 1395, 375));
    OKButton->setDefault(true);
    OKButton->setAutoDefault(true);

    cmdEmail = new QPushButton(tr("&Email bug report"), this);
    cmdEmail->setObjectName(QStringLiteral("cmdEmail"));
    cmdEmail->setGeometry(twipsRect(2674, 1440, 1395, 375));
    cmdEmail->setToolTip(tr("Email error description"));
    cmdEmail->setAutoDefault(false);

    // The design geometry is the least each control gets: the two buttons, equally wide,
    // grow to the longer caption and stay centred below the text, which widens with the
    // dialog.
    const QSize button = OKButton->size().expandedTo(OKButton->sizeHint()).expandedTo(cmdEmail->sizeHint());
    const int gap = cmdEmail->x() - OKButton->x() - OKButton->width();
    const int pair = 2 * button.width() + gap;
    const int bottom = height() - OKButton->y() - OKButton->height();
    const QSize dialog = size().expandedTo(QSize(pair + 2 * OKButton->x(), OKButton->y() + button.height() + bottom));
    const int left = (dialog.width() - pair) / 2;
    OKButton->setGeometry(QRect(QPoint(left, OKButton->y()), button));
    cmdEmail->setGeometry(QRect(QPoint(left + button.width() + gap, cmdEmail->y()), button));
    txtError->resize(txtError->width() + dialog.width() - width(), txtError->height());
    setFixedSize(dialog);

    setTabOrder(OKButton, cmdEmail);
    setTabOrder(cmdEmail, txtError);
    OKButton->setFocus();

    connect(OKButton, &QPushButton::clicked, this, &frmError::OKButton_Click);
    connect(cmdEmail, &QPushButton::clicked, this, &frmError::cmdEmail_Click);
}

void frmError::setReport(const QString &text)
{
    txtError->setPlainText(text);
}

void frmError::addReport(const QString &text)
{
    txtError->appendPlainText(text);
}

QString frmError::reportText() const
{
    return txtError->toPlainText();
}

QString frmError::bugReportBody(const QString &errorMessages)
{
    return QStringLiteral("Please write your message above this line.") + kCrLf + kCrLf +
           SupportMail::GetVersionText() + QStringLiteral(" error descriptions:") + kCrLf + errorMessages + kCrLf;
}

void frmError::OKButton_Click()
{
    // Escape reaches here too: the Close button is both default and cancel button.
    accept();
}

void frmError::cmdEmail_Click()
{
    QString subject, body;
    ignoreFailure([&] { subject = SupportMail::GetVersionText(); });
    ignoreFailure([&] { body = bugReportBody(mLog.messages()); });
    ignoreFailure([&] { SupportMail::SendMail(subject, body); });
    accept();
}
