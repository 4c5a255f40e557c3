#include "app/ReplixaApplication.h"

#include "app/CommandLine.h"
#include "errors/Failure.h"
#include "errors/FailurePatterns.h"
#include "errors/MessageBox.h"
#include "app/ExitSignals.h"
#include "app/frmMain.h"
#include "playback/LocalName.h"
#include "playback/MpvMediaPlayer.h"

#include <QIcon>

#include <clocale>

ReplixaApplication::ReplixaApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    // The media engine needs the C numeric locale; Qt sets the user's one.
    std::setlocale(LC_NUMERIC, "C");
}

bool ReplixaApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        const Failure failure = Failure::fromCurrentException();
        QString label = failure.routine();
        if (label.isEmpty())
            label = QString::fromLatin1(receiver->metaObject()->className());
        QString sErr = label + QStringLiteral(": ") + failure.description();
        // A failure that escapes while the error dialog of an earlier one is open joins
        // that dialog; only one that escapes from reporting itself is left on the console.
        if (!mSink || mReporting > 1) {
            qWarning("Unhandled failure: %s", qPrintable(sErr));
            return false;
        }
        ++mReporting;
        try {
            mSink->ShowError(sErr, failure);
        } catch (...) {
            qWarning("Failure while reporting: %s", qPrintable(sErr));
        }
        --mReporting;
        return false;
    }
}

int runReplixa(int argc, char **argv)
{
    // The toolkit sees none of the command line, so that none of it is taken for the
    // toolkit's options; the file name's bytes are kept as they are, UTF-8 or not.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << LocalName::fromBytes(argv[i]);
    const CommandLine::Reading line = CommandLine::read(arguments);
    if (line.request != CommandLine::Request::Open)
        return CommandLine::answer(line.request);
    int toolkitArgc = 1;
    ReplixaApplication app(toolkitArgc, argv);
    ReplixaApplication::setApplicationName(QStringLiteral("Replixa"));
    // The desktop entry and its icon: the window carries the icon, and a Wayland
    // compositor finds the entry by this name.
    ReplixaApplication::setDesktopFileName(QStringLiteral("replixa"));
    QIcon icon;
    for (const int size : {48, 256})
        icon.addFile(QStringLiteral(":/icons/replixa-%1.png").arg(size), QSize(size, size));
    ReplixaApplication::setWindowIcon(icon);
    std::unique_ptr<frmMain> window;
    // Logout, shutdown, Ctrl+C and the end of the display end the program as File > Exit does.
    ExitSignals exitSignals(
        [&] {
            if (window)
                window->close();
            QApplication::quit();
        },
        [&] {
            // No box can open on a display that is gone.
            MessageBox::setPresenter([](const QString &, const QString &text, MessageBox::Icon) {
                qInfo("%s", qPrintable(text));
            });
            if (window)
                window->SaveWindowSettings();
        });
    try {
        window = std::make_unique<frmMain>(
            [](QWidget *videoParent) -> std::unique_ptr<MediaPlayer> {
                return std::make_unique<MpvMediaPlayer>(videoParent);
            },
            line.fileName);
    } catch (...) {
        // Without its video engine there is no program to show.
        const Failure failure = Failure::fromCurrentException();
        MessageBox::show(QStringLiteral("Replixa cannot start its video engine: ") + failure.description(),
                         MessageBox::Icon::Critical);
        return 1;
    }
    app.setFailureSink(window.get());
    window->Form_Load();
    window->show();
    const int result = app.exec();
    app.setFailureSink(nullptr);
    return result;
}
