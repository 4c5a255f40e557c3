#include "errors/MessageBox.h"

#include "AppInfo.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

#include <algorithm>

namespace MessageBox {
namespace {
Presenter &presenter()
{
    static Presenter p;
    return p;
}
} // namespace

void show(const QString &text, Icon icon)
{
    const QString title = QString::fromLatin1(AppInfo::kTitle);
    if (presenter()) {
        presenter()(title, text, icon);
        return;
    }
    // On the heap: should the owner go while the box is open, it takes the box with it.
    QPointer<QMessageBox> box = new QMessageBox(icon == Icon::Critical      ? QMessageBox::Critical
                                                : icon == Icon::Warning     ? QMessageBox::Warning
                                                : icon == Icon::Information ? QMessageBox::Information
                                                                            : QMessageBox::NoIcon,
                                                title, text, QMessageBox::Ok, ownerWindow(),
                                                Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                                                    Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    box->exec();
    delete box.data();
}

QWidget *ownerWindow()
{
    if (QWidget *active = QApplication::activeWindow())
        return active;
    const QWidgetList windows = QApplication::topLevelWidgets();
    const auto main = std::find_if(windows.begin(), windows.end(), [](QWidget *w) {
        return w->isVisible() && w->windowType() == Qt::Window;
    });
    return main != windows.end() ? *main : nullptr;
}

Presenter setPresenter(Presenter p)
{
    Presenter old = std::move(presenter());
    presenter() = std::move(p);
    return old;
}

} // namespace MessageBox
