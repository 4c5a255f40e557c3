#include "playback/OpenDialog.h"

#include <QFileDialog>

namespace OpenDialog {
namespace {
Chooser &chooser()
{
    static Chooser c;
    return c;
}
} // namespace

QString title()
{
    return QStringLiteral("Open Video File");
}

QStringList filters()
{
    // The classic formats, then what phones and cameras write today.
    return {QStringLiteral("Video Files (*.avi *.wmv *.wmp *.asf *.asx *.wmx *.mpeg *.mpg *.mp2 *.rm "
                           "*.mp4 *.m4v *.mov *.mkv *.webm *.ts *.mts *.m2ts *.3gp)"),
            QStringLiteral("AllFiles (*.*)")};
}

QString getOpenFileName(QWidget *parent)
{
    if (chooser())
        return chooser()(title(), filters());
    return QFileDialog::getOpenFileName(parent, title(), QString(), filters().join(QStringLiteral(";;")));
}

Chooser setChooser(Chooser c)
{
    Chooser old = std::move(chooser());
    chooser() = std::move(c);
    return old;
}

} // namespace OpenDialog
