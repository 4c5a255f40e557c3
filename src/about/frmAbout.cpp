#include "about/frmAbout.h"

#include "AppInfo.h"
#include "about/ImageControl.h"
#include "errors/FailurePatterns.h"
#include "errors/SupportMail.h"
#include "settings/SettingsStore.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace {
QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

// The frame around the mock, in pixels, and the line under its strip of arrows.
constexpr int kMockLeft = 547 / 15, kMockTop = 1680 / 15, kMockRight = 5167 / 15, kMockBottom = 4140 / 15;
constexpr int kMockStrip = 2160 / 15;

QString programFile(const QString &name)
{
    return ProgramFolder::path() + QLatin1Char('/') + name;
}
} // namespace

frmAbout::frmAbout(const PictureStore &left, const PictureStore &right, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      mLeft(left), mRight(right)
{
    setObjectName(QStringLiteral("frmAbout"));
    resize(397, 344);

    const auto label = [this](const char *name, const QString &text, QRect place, qreal points, bool link = false) {
        auto *control = new QLabel(text, this);
        control->setObjectName(QLatin1String(name));
        control->setGeometry(place);
        QFont font = control->font();
        if (points > 0)
            font.setPointSizeF(points);
        font.setUnderline(link);
        control->setFont(font);
        QPalette white = control->palette();
        white.setColor(QPalette::Window, Qt::white);
        white.setColor(QPalette::WindowText, Qt::black);
        control->setPalette(white);
        control->setAutoFillBackground(true);
        if (link) {
            control->setCursor(Qt::PointingHandCursor);
            control->installEventFilter(this);
        }
        return control;
    };
    const auto image = [this](const char *name, QRect place) {
        auto *control = new ImageControl(this);
        control->setObjectName(QLatin1String(name));
        control->setGeometry(place);
        return control;
    };
    Label1 = label("Label1", tr("To review the last 60 video frames:"), twipsRect(607, 180, 3735, 255), 9.75);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    oLeftMouse = image("oLeftMouse", twipsRect(487, 480, 600, 600));
    lblLeft = label("lblLeft", tr("Press left mouse button to view previous frames"), twipsRect(1260, 720, 4275, 255),
                    9.75);
    oRightMouse = image("oRightMouse", twipsRect(487, 960, 600, 600));
    lblRight = label("lblRight", tr("Press right mouse button to view next frames"), twipsRect(1267, 1200, 4275, 255),
                     9.75);
    for (QWidget *hidden : std::initializer_list<QWidget *>{oLeftMouse, lblLeft, oRightMouse, lblRight})
        hidden->hide();
    oLeftImage = image("oLeftImage", twipsRect(1177, 1740, 405, 345));
    oRightImage = image("oRightImage", twipsRect(1867, 1740, 405, 345));
    oFrame = image("oFrame", twipsRect(1867, 2160, 1590, 1665));
    Label4 = label("Label4", tr("Web site:"), twipsRect(540, 4380, 765, 195), 0);
    lblWebLink = label("lblWebLink", QString(), twipsRect(1440, 4380, 1770, 225), 8.25, true);
    Label5 = label("Label5", tr("Email:"), twipsRect(540, 4680, 765, 195), 0);
    lblEmailLink = label("lblEmailLink", QString(), twipsRect(1440, 4680, 1770, 225), 8.25, true);

    cmdOK = new QPushButton(tr("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(twipsRect(3727, 4380, 1440, 390));
    cmdOK->setDefault(true);
    cmdOK->setFocus();
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &frmAbout::Timer1_Timer);

    Form_Load();
    fitCaptions();
    Timer1->start();
}

QString frmAbout::caption()
{
    return QStringLiteral("About %1 %2.%3.%4")
        .arg(QLatin1String(AppInfo::kTitle))
        .arg(AppInfo::kVersionMajor)
        .arg(AppInfo::kVersionMinor)
        .arg(AppInfo::kVersionRevision);
}

void frmAbout::Form_Load()
{
    messageBoxOnFailure("frmAbout: ", [&] {
        setWindowTitle(caption());
        lblWebLink->setText(SupportMail::webCaption());
        lblEmailLink->setText(SupportMail::emailCaption());
        oLeftImage->setIcon(mLeft.picture(PictureStore::Picture::Normal));
        oRightImage->setIcon(mRight.picture(PictureStore::Picture::Normal));
        mTutorial.start();
        // The mice come last: without them the tutorial still plays.
        oLeftMouse->setImage(ImageControl::loadPicture(programFile(QStringLiteral("mouse-left.png"))));
        oRightMouse->setImage(ImageControl::loadPicture(programFile(QStringLiteral("mouse-right.png"))));
    });
}

void frmAbout::ShowFrame(int n)
{
    oFrame->setImage(ImageControl::loadPicture(programFile(QStringLiteral("%1.gif").arg(n))));
}

void frmAbout::showPhase(int step)
{
    using Picture = PictureStore::Picture;
    oLeftImage->setIcon(mLeft.picture(step == -1 ? Picture::Pressed : Picture::Normal));
    oRightImage->setIcon(mRight.picture(step == 1 ? Picture::Pressed : Picture::Normal));
    oLeftMouse->setVisible(step == -1);
    lblLeft->setVisible(step == -1);
    oRightMouse->setVisible(step == 1);
    lblRight->setVisible(step == 1);
}

void frmAbout::reject()
{
    cmdOK->click();
}

void frmAbout::stopTimer()
{
    Timer1->stop();
}

void frmAbout::lblWebLink_Click()
{
    ignoreFailure([] { QDesktopServices::openUrl(QUrl(QString(SupportMail::kWebSite))); });
}

void frmAbout::lblEmailLink_Click()
{
    SupportMail::SendMail(SupportMail::GetVersionText(), QString());
}

bool frmAbout::eventFilter(QObject *watched, QEvent *event)
{
    // A link is clicked when the left button goes up over it.
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const auto *link = static_cast<QWidget *>(watched);
        if (mouse->button() == Qt::LeftButton && link->rect().contains(mouse->position().toPoint())) {
            if (watched == lblWebLink)
                lblWebLink_Click();
            else if (watched == lblEmailLink)
                lblEmailLink_Click();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmAbout::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    painter.drawLine(kMockLeft, kMockTop, kMockRight, kMockTop);
    painter.drawLine(kMockLeft, kMockStrip, kMockRight, kMockStrip);
    painter.drawLine(kMockLeft, kMockBottom, kMockRight, kMockBottom);
    painter.drawLine(kMockLeft, kMockTop, kMockLeft, kMockBottom);
    painter.drawLine(kMockRight, kMockTop, kMockRight, kMockBottom);
}

void frmAbout::fitCaptions()
{
    // The design geometry is the least each control gets. A label grows to its text; the
    // links move right of the longest of their captions and OK right of the links, the
    // e-mail row below the web row; the dialog grows to hold them all.
    const QSize design = size();
    const QRect designEmail = lblEmailLink->geometry(), designButton = cmdOK->geometry();
    const int gap = std::max(4, style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing));
    const int rowGap = designEmail.y() - lblWebLink->y() - lblWebLink->height();
    const int margin = design.width() - lblLeft->x() - lblLeft->width(); // the narrowest on the right
    for (QLabel *l : findChildren<QLabel *>())
        l->resize(l->size().expandedTo(l->sizeHint()));
    const auto right = [](QWidget *a, QWidget *b) { return std::max(a->x() + a->width(), b->x() + b->width()); };
    const auto bottom = [](QWidget *a, QWidget *b) { return std::max(a->y() + a->height(), b->y() + b->height()); };
    const int linkLeft = std::max(lblWebLink->x(), right(Label4, Label5) + gap);
    lblWebLink->move(linkLeft, lblWebLink->y());
    const int emailTop = std::max(designEmail.y(), bottom(Label4, lblWebLink) + rowGap);
    Label5->move(Label5->x(), emailTop);
    lblEmailLink->move(linkLeft, emailTop);
    const int okLeft = std::max(designButton.x(), right(lblWebLink, lblEmailLink) + gap);
    cmdOK->setGeometry(QRect(QPoint(okLeft, designButton.y()), designButton.size().expandedTo(cmdOK->sizeHint())));
    QSize needed = design;
    for (QWidget *w : findChildren<QWidget *>())
        needed = needed.expandedTo(QSize(right(w, w) + margin, bottom(w, w) + gap));
    setFixedSize(needed);
}
