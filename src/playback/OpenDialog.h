#pragma once
// The file-open dialog for videos: its title, its filter list, and a way for tests to
// answer it without a window.

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace OpenDialog {

// "Open Video File".
QString title();
// The two filter entries: every video pattern, then all files.
QStringList filters();

// Shows the dialog; returns the chosen file, or an empty string when cancelled.
QString getOpenFileName(QWidget *parent);

using Chooser = std::function<QString(const QString &title, const QStringList &filters)>;
// Tests put an answer in place of the dialog; returns the previous chooser.
Chooser setChooser(Chooser chooser);

} // namespace OpenDialog
