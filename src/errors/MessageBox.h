#pragma once
// Plain message boxes with an OK button and the application title as caption.
// Tests replace the presenter so that no modal box waits for a click.

#include <QString>

#include <functional>

class QWidget;

namespace MessageBox {

enum class Icon { None, Critical, Information, Warning };

// Shows a modal message box, centred over ownerWindow(), and returns when it is closed.
void show(const QString &text, Icon icon = Icon::None);

// The window the program's boxes and dialogs open over: the active window, else the
// first visible main window, else none.
QWidget *ownerWindow();

using Presenter = std::function<void(const QString &title, const QString &text, Icon icon)>;
// Installs a presenter in place of the real box; returns the previous one.
// An empty presenter restores the real box.
Presenter setPresenter(Presenter presenter);

} // namespace MessageBox
