#include "playback/frmOpenLive.h"

#include "errors/MessageBox.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace {
frmOpenLive::Chooser &chooser()
{
    static frmOpenLive::Chooser c;
    return c;
}
} // namespace

frmOpenLive::frmOpenLive(const QList<LiveSource::Camera> &cameras, QWidget *parent)
    : QDialog(parent), mCameras(cameras)
{
    setObjectName(QStringLiteral("frmOpenLive"));
    setWindowTitle(QStringLiteral("Open Camera or Stream"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(cameras.isEmpty() ? QStringLiteral("No video camera is present.")
                                                   : QStringLiteral("&Camera:"), this));
    lstCameras = new QListWidget(this);
    lstCameras->setObjectName(QStringLiteral("lstCameras"));
    for (const LiveSource::Camera &camera : cameras)
        lstCameras->addItem(camera.shown());
    lstCameras->setCurrentRow(0);
    lstCameras->setVisible(!cameras.isEmpty());
    connect(lstCameras, &QListWidget::itemActivated, this, [this] { txtAddress->clear(), accept(); });
    layout->addWidget(lstCameras);
    auto *addressLabel = new QLabel(QStringLiteral("Stream &address (udp, rtp, rtsp, srt, http or https):"), this);
    layout->addWidget(addressLabel);
    txtAddress = new QLineEdit(this);
    txtAddress->setObjectName(QStringLiteral("txtAddress"));
    txtAddress->setPlaceholderText(QStringLiteral("udp://127.0.0.1:1234"));
    addressLabel->setBuddy(txtAddress);
    layout->addWidget(txtAddress);
    lblMessage = new QLabel(this);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setWordWrap(true);
    lblMessage->setMinimumHeight(3 * lblMessage->fontMetrics().lineSpacing()); // room for a refusal
    layout->addWidget(lblMessage);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &frmOpenLive::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &frmOpenLive::reject);
    layout->addWidget(buttons);
    // Without a camera the address is all there is to choose.
    (cameras.isEmpty() ? static_cast<QWidget *>(txtAddress) : lstCameras)->setFocus();
    resize(460, sizeHint().height());
}

QString frmOpenLive::refusal(const QString &text)
{
    if (text.trimmed().isEmpty())
        return QStringLiteral("Choose a camera or type the address of a stream.");
    if (LiveSource::isLive(text.trimmed()))
        return {};
    return QStringLiteral("\"%1\" is not a stream address: one starts with udp://, rtp://, rtsp://, srt://, "
                          "http:// or https:// and names a host, e.g. udp://127.0.0.1:1234.")
        .arg(text.trimmed());
}

void frmOpenLive::accept()
{
    const int row = lstCameras->currentRow();
    QString text = txtAddress->text().trimmed();
    if (text.isEmpty() && row >= 0 && row < mCameras.size())
        text = mCameras[row].path;
    if (const QString why = refusal(text); !why.isEmpty()) {
        lblMessage->setText(why);
        txtAddress->setFocus();
        return;
    }
    mChosen = text;
    QDialog::accept();
}

QString frmOpenLive::choose(QWidget *parent)
{
    const QList<LiveSource::Camera> cameras = LiveSource::cameras();
    if (chooser()) {
        const QString text = chooser()(cameras).trimmed();
        if (const QString why = refusal(text); !text.isEmpty() && !why.isEmpty()) {
            MessageBox::show(why, MessageBox::Icon::Warning);
            return {};
        }
        return text;
    }
    frmOpenLive dialog(cameras, parent);
    return dialog.exec() == QDialog::Accepted ? dialog.chosen() : QString();
}

frmOpenLive::Chooser frmOpenLive::setChooser(Chooser c)
{
    Chooser old = std::move(chooser());
    chooser() = std::move(c);
    return old;
}
