#include "app/ExitSignals.h"

#include <QApplication>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <xcb/xcb.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The handler may only write to a descriptor; the UI thread reads the other end.
int gPipe[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

std::function<void()> gDisplayLost;
QtMessageHandler gPreviousHandler = nullptr;

bool displayBroken()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 && x11->connection() && xcb_connection_has_error(x11->connection());
}

// Any warning on the UI thread looks at the connection, so that no wording of the toolkit's
// matters; other threads leave it to the UI thread, which touches the window.
void onMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    gPreviousHandler(type, context, text);
    const QCoreApplication *app = QCoreApplication::instance();
    if (type != QtWarningMsg || !app || QThread::currentThread() != app->thread() || !gDisplayLost || !displayBroken())
        return;
    std::exchange(gDisplayLost, {})();
    std::fflush(nullptr);
    std::_Exit(0);
}

void onExitSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(gPipe[1], &byte, 1);
    errno = saved;
}

} // namespace

ExitSignals::ExitSignals(std::function<void()> exit, std::function<void()> displayLost, QObject *parent)
    : QObject(parent), mExit(std::move(exit))
{
    gDisplayLost = std::move(displayLost);
    gPreviousHandler = qInstallMessageHandler(onMessage);
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, gPipe) != 0)
        return;
    mNotifier = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, this);
    connect(mNotifier, &QSocketNotifier::activated, this, &ExitSignals::onSignal);
    struct sigaction action {};
    action.sa_handler = onExitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : kSignals)
        ::sigaction(number, &action, nullptr);
}

ExitSignals::~ExitSignals()
{
    qInstallMessageHandler(gPreviousHandler);
    gDisplayLost = {};
    for (const int number : kSignals)
        ::signal(number, SIG_DFL);
    for (int &fd : gPipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void ExitSignals::onSignal()
{
    char bytes[16];
    while (::read(gPipe[0], bytes, sizeof bytes) > 0) {
    }
    exitWhenUnwound();
}

void ExitSignals::exitWhenUnwound()
{
    // Popup menus and modal windows run event loops of their own inside some handler:
    // they are closed, and the exit waits until that handler has finished and the
    // program's main loop, the only one left, runs again. Before the main loop has
    // started (a message box at start-up) there is none to wait for yet either.
    QWidget *open = QApplication::activePopupWidget();
    if (!open)
        open = QApplication::activeModalWidget();
    if (open) {
        open->close();
        if (open->isVisible())
            open->hide();
    }
    if (open || QThread::currentThread()->loopLevel() != 1) {
        QTimer::singleShot(10, this, &ExitSignals::exitWhenUnwound);
        return;
    }
    mExit();
}
