#include "errors/MessageBox.h"

#include "AppInfo.h"

#include <QApplication>
#include <QMessageBox>

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
    QMessageBox box(icon == Icon::Critical      ? QMessageBox::Critical
                    : icon == Icon::Information ? QMessageBox::Information
                                                : QMessageBox::NoIcon,
                    title, text, QMessageBox::Ok);
    box.exec();
}

Presenter setPresenter(Presenter p)
{
    Presenter old = std::move(presenter());
    presenter() = std::move(p);
    return old;
}

} // namespace MessageBox
