#pragma once
// The save dialogs for snapshots and pictures: a title, a list of filters, and a way for
// tests to answer them without a window.

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace SaveDialog {

// Shows a save dialog offering the filters ("Name (*.ext)"). Returns the chosen name, given
// the chosen filter's suffix when it has none of the filters', or an empty string when
// cancelled.
QString getSaveFileName(QWidget *parent, const QString &title, const QStringList &filters);

using Chooser = std::function<QString(const QString &title, const QStringList &filters)>;
// Tests put an answer in place of the dialog; returns the previous chooser.
Chooser setChooser(Chooser chooser);

} // namespace SaveDialog
