#include "review/SaveDialog.h"

#include <QFileDialog>
#include <QPointer>
#include <QRegularExpression>

namespace SaveDialog {
namespace {
Chooser &chooser()
{
    static Chooser c;
    return c;
}

// "png" of "PNG pictures (*.png)".
QString suffixOf(const QString &filter)
{
    return QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(filter).captured(1);
}
} // namespace

QString getSaveFileName(QWidget *parent, const QString &title, const QStringList &filters)
{
    if (chooser())
        return chooser()(title, filters);
    // On the heap: should the parent go while the dialog is open, it takes the dialog with it.
    QPointer<QFileDialog> dialog = new QFileDialog(parent, title, QString(), filters.join(QStringLiteral(";;")));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    // The suffix is added before the dialog asks whether to replace a file of that name.
    const auto suffixFor = [dialog](const QString &filter) { dialog->setDefaultSuffix(suffixOf(filter)); };
    suffixFor(filters.value(0));
    QObject::connect(dialog.data(), &QFileDialog::filterSelected, dialog.data(), suffixFor);
    const bool accepted = dialog->exec() == QDialog::Accepted && dialog;
    QString name = accepted ? dialog->selectedFiles().value(0) : QString();
    const QString suffix = QFileInfo(name).suffix();
    if (!name.isEmpty() && std::none_of(filters.begin(), filters.end(), [&](const QString &filter) {
            return suffixOf(filter).compare(suffix, Qt::CaseInsensitive) == 0;
        }))
        name += QLatin1Char('.') + dialog->defaultSuffix();
    delete dialog.data();
    return name;
}

Chooser setChooser(Chooser c)
{
    Chooser old = std::move(chooser());
    chooser() = std::move(c);
    return old;
}

} // namespace SaveDialog
